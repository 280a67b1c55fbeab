// PlayerWindow: construction and layout, the File menu's actions and the close protocol.
#include "PlayerWindow.h"

#include "FliView.h"
#include "KillLooper.h"
#include "PlayerMessages.h"
#include "ZoetraApp.h"

#include <FilePanel.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <Messenger.h>
#include <Screen.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

BFilePanel* PlayerWindow::filePanel = nullptr;

namespace {

const BRect kConstructionFrame(150.0f, 100.0f, 469.0f, 349.0f);
constexpr float kPictureWidth = 320.0f;
constexpr float kPictureHeight = 200.0f;
// The view's extent at 1x, as a BRect measures it: one pixel less than the picture.
constexpr float kViewWidth = kPictureWidth - 1;
constexpr float kViewHeight = kPictureHeight - 1;
constexpr float kMinimumSize = 100.0f;
constexpr float kNewWindowOffset = 20.0f;

ZoetraApp* TheApp()
{
	return static_cast<ZoetraApp*>(be_app);
}

} // namespace

PlayerWindow::PlayerWindow(const char* title)
	: BWindow(kConstructionFrame, title, B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
		B_WILL_ACCEPT_FIRST_CLICK, B_CURRENT_WORKSPACE),
	  menuBar(nullptr),
	  fliView(nullptr),
	  killLooper(nullptr)
{
	// The first window is made on the application thread before any window runs, so
	// the panel is created once without a lock.
	if (filePanel == nullptr) {
		filePanel = new BFilePanel(B_OPEN_PANEL, NULL, NULL, 0, false, NULL, NULL, true, true);
		filePanel->SetNameFilters({"FLI animations (*.fli *.FLI)", "All files (*)"});
	}

	if (title != nullptr)
		Register(false);
	else
		SetWindowName(Register(true));

	menuBar = AddMenuBar();
	const float barHeight = menuBar->Bounds().Height();
	ResizeTo(kViewWidth, barHeight + 1 + kViewHeight);
	SetZoomLimits(Bounds().Width(), Bounds().Height());
	{
		BScreen screen(B_MAIN_SCREEN_ID);
		const BRect screenFrame = screen.Frame();
		SetSizeLimits(kMinimumSize, screenFrame.Width(), kMinimumSize, screenFrame.Height());
	}

	const BRect bounds = Bounds();
	fliView = new FliView(
		BRect(bounds.left, barHeight + 1, bounds.right, barHeight + 1 + kViewHeight), this);
	AddChild(fliView);
	// The player's keys go to the view.
	fliView->MakeFocus(true);
	killLooper = new KillLooper(fliView);
}

// The window leaves the application's registry first, so the application can no longer
// hand it a file; then its KillLooper forgets the view, which BWindow's destructor
// destroys, and quits after the messages already queued (a late close request or drop
// then finds no view).
PlayerWindow::~PlayerWindow()
{
	Unregister();
	killLooper.load()->DropView();
	killLooper.load()->PostMessage(B_QUIT_REQUESTED);
}

BMenuBar* PlayerWindow::AddMenuBar()
{
	BMenuBar* bar =
		new BMenuBar(Bounds(), "MenuBar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_ITEMS_IN_ROW, true);
	BMenu* menu = new BMenu("File", B_ITEMS_IN_COLUMN);
	bar->AddItem(menu);

	menu->AddItem(new BMenuItem("New", new BMessage(kNewWindow), 'N', 0));
	menu->AddItem(new BMenuItem("Open...", new BMessage(kShowOpenPanel), 'O', 0));
	menu->AddSeparatorItem();
	menu->AddItem(new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W', 0));
	menu->AddSeparatorItem();
	BMenuItem* about = new BMenuItem("About Zoetra...", new BMessage(B_ABOUT_REQUESTED), 0, 0);
	menu->AddItem(about);
	about->SetTarget(be_app);
	menu->AddSeparatorItem();
	BMenuItem* quit = new BMenuItem("Quit", new BMessage(B_QUIT_REQUESTED), 'Q', 0);
	menu->AddItem(quit);
	quit->SetTarget(be_app);

	AddChild(bar);
	return bar;
}

FliView* PlayerWindow::GetFliView() const
{
	return fliView;
}

KillLooper* PlayerWindow::GetKillLooper() const
{
	return killLooper.load();
}

bool PlayerWindow::SetData(unsigned char* data, unsigned long size, const char* title)
{
	KillLooper* looper = killLooper.load();
	if (looper == nullptr || size > UINT32_MAX)
		return false;
	BMessage load(kLoadAnimation);
	load.AddPointer(kAnimationDataField, data);
	AddAnimationSize(&load, uint32(size));
	load.AddString(kTitleField, title);
	return looper->PostMessage(&load) == B_OK;
}

void PlayerWindow::SetWindowName(long number)
{
	char title[64];
	std::snprintf(title, sizeof title, "Untitled %ld", number);
	SetTitle(title);
}

long PlayerWindow::Register(bool untitled)
{
	return TheApp()->RegisterWindow(this, untitled);
}

void PlayerWindow::Unregister()
{
	TheApp()->UnregisterWindow(this);
}

void PlayerWindow::MessageReceived(BMessage* message)
{
	if (message->WasDropped() && !TakesDrop(message))
		return;
	switch (message->what) {
		case kNewWindow:
			New();
			break;
		case kShowOpenPanel:
			Open();
			break;
		case kWindowMayClose:
			Quit();
			break;
		case B_REFS_RECEIVED:
			Refs(message);
			break;
		case FLI_DRAG:
			// Loading stops the view's play thread, which needs this window's lock.
			killLooper.load()->PostMessage(message);
			break;
		case kToggleFullScreen:
			ShowFullScreen(!IsFullScreen());
			break;
		case kLeaveFullScreen:
			ShowFullScreen(false);
			break;
		case kZoomPicture: {
			int32 zoom = 1;
			if (message->FindInt32(kZoomField, &zoom) == B_OK)
				ZoomPicture(zoom);
			break;
		}
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

float PlayerWindow::MenuBarSpace() const
{
	return menuBar->Bounds().Height() + 1;
}

void PlayerWindow::ShowFullScreen(bool fullScreen)
{
	if (fullScreen == IsFullScreen())
		return;
	// The view follows the window's sides; here it also takes or gives back the bar's rows.
	const float barSpace = MenuBarSpace();
	if (fullScreen) {
		menuBar->Hide();
		fliView->MoveBy(0, -barSpace);
		fliView->ResizeBy(0, barSpace);
	} else {
		fliView->MoveBy(0, barSpace);
		fliView->ResizeBy(0, -barSpace);
		menuBar->Show();
	}
	SetFullScreen(fullScreen);
}

void PlayerWindow::ZoomPicture(int32 zoom)
{
	ShowFullScreen(false);
	const float barSpace = MenuBarSpace();
	const BRect screen = BScreen(B_MAIN_SCREEN_ID).Frame();
	zoom = std::clamp(zoom, int32(1), int32(4));
	if (screen.IsValid())
		while (zoom > 1
			&& (kPictureWidth * zoom - 1 > screen.Width()
				|| barSpace + kPictureHeight * zoom - 1 > screen.Height()))
			zoom--;
	ResizeTo(kPictureWidth * zoom - 1, barSpace + kPictureHeight * zoom - 1);
}

// The new window has the construction size whatever this one's size is.
void PlayerWindow::New()
{
	PlayerWindow* window = new PlayerWindow(nullptr);
	BRect frame = Frame();
	frame.OffsetBy(kNewWindowOffset, kNewWindowOffset);
	window->MoveTo(BPoint(frame.left, frame.top));
	window->Show();
}

void PlayerWindow::Open()
{
	filePanel->SetTarget(BMessenger(this));
	filePanel->Show();
}

// Drops come up the handler chain from the view they landed on. Only the animation view
// takes drops, and it passes on only files (as B_REFS_RECEIVED) and animations dragged from
// other windows; what lands on the menu bar, and any other message dropped, is ignored, so
// that a drop is never taken for a command.
bool PlayerWindow::TakesDrop(const BMessage* message) const
{
	if (message->what != B_REFS_RECEIVED && message->what != FLI_DRAG)
		return false;
	return FindView(ConvertFromScreen(message->DropPoint())) == fliView;
}

// The application loads the file and hands it back to this window, from the open panel or
// from a drop on the view.
void PlayerWindow::Refs(BMessage* message)
{
	BMessage copy(*message);
	copy.AddPointer(kSourceWindowField, this);
	be_app->PostMessage(&copy);
}

// The window never closes here: its KillLooper stops the play thread (which needs this
// window's lock for every frame) and answers kWindowMayClose, on which the window quits.
bool PlayerWindow::QuitRequested()
{
	killLooper.load()->PostMessage(kKillThread, NULL, this);
	return false;
}
