// BWindow: a looper whose messages become input for its views, drawn into a native window.
#include <Window.h>

#include <Application.h>
#include <Entry.h>
#include <Errors.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <View.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "DisplayWindow.h"
#include "private/interface/ViewGeometry.h"
#include "private/interface/WindowEventsBridge.h"
#include "private/storage/AbsolutePath.h"
#include "private/storage/EntryRefPrivate.h"
#include "private/app/MessagePrivate.h"
#include "private/app/WindowRegistry.h"
#include "private/interface/WindowPrivate.h"

using BPrivate::kDropped;
using BPrivate::kMenuItemChosen;
using BPrivate::kUpdate;

namespace {

// The largest content area a window may have, in either direction, in pixels.
constexpr float kMaxExtent = 32767.0f;

window_look LookFor(window_type type)
{
	switch (type) {
		case B_MODAL_WINDOW:
			return B_MODAL_WINDOW_LOOK;
		case B_DOCUMENT_WINDOW:
			return B_DOCUMENT_WINDOW_LOOK;
		case B_BORDERED_WINDOW:
			return B_BORDERED_WINDOW_LOOK;
		case B_FLOATING_WINDOW:
			return B_FLOATING_WINDOW_LOOK;
		default:
			return B_TITLED_WINDOW_LOOK;
	}
}

window_feel FeelFor(window_type type)
{
	switch (type) {
		case B_MODAL_WINDOW:
			return B_MODAL_APP_WINDOW_FEEL;
		case B_FLOATING_WINDOW:
			return B_FLOATING_APP_WINDOW_FEEL;
		default:
			return B_NORMAL_WINDOW_FEEL;
	}
}

int32 PixelCount(float extent)
{
	return int32(std::ceil(std::clamp(extent, 0.0f, kMaxExtent))) + 1;
}

zoetra::display::WindowOptions OptionsFor(
	BRect frame, const char* title, window_look look, window_feel feel, uint32 flags)
{
	zoetra::display::WindowOptions options;
	options.title = title ? title : "";
	const zoetra::display::PixelRect pixels = BPrivate::ToPixels(frame);
	options.x = pixels.left;
	options.y = pixels.top;
	options.width = PixelCount(frame.Width());
	options.height = PixelCount(frame.Height());
	options.bordered = look != B_NO_BORDER_WINDOW_LOOK;
	options.titled = look != B_BORDERED_WINDOW_LOOK && look != B_MODAL_WINDOW_LOOK;
	options.closable = !(flags & B_NOT_CLOSABLE);
	options.zoomable = !(flags & B_NOT_ZOOMABLE);
	options.minimizable = !(flags & B_NOT_MINIMIZABLE);
	options.resizable = (flags & B_NOT_RESIZABLE) == 0
		&& (flags & (B_NOT_H_RESIZABLE | B_NOT_V_RESIZABLE))
			!= (B_NOT_H_RESIZABLE | B_NOT_V_RESIZABLE);
	options.acceptsFirstClick = flags & B_WILL_ACCEPT_FIRST_CLICK;
	options.modal = feel == B_MODAL_APP_WINDOW_FEEL || feel == B_MODAL_ALL_WINDOW_FEEL
		|| feel == B_MODAL_SUBSET_WINDOW_FEEL;
	options.floating = feel == B_FLOATING_APP_WINDOW_FEEL || feel == B_FLOATING_ALL_WINDOW_FEEL
		|| feel == B_FLOATING_SUBSET_WINDOW_FEEL;
	options.avoidsFocus = flags & B_AVOID_FOCUS;
	return options;
}

} // namespace

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
	uint32 workspace)
	: BLooper(title, B_DISPLAY_PRIORITY)
{
	Init(frame, title, look, feel, flags, workspace);
}

BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
	: BLooper(title, B_DISPLAY_PRIORITY)
{
	Init(frame, title, LookFor(type), FeelFor(type), flags, workspace);
}

void BWindow::Init(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
	uint32 workspace)
{
	fTopView = nullptr;
	fFocus = nullptr;
	fKeyMenuBar = nullptr;
	fTitles.emplace_back(title ? title : "");
	frame.right = frame.left + std::clamp(frame.Width(), 0.0f, kMaxExtent);
	frame.bottom = frame.top + std::clamp(frame.Height(), 0.0f, kMaxExtent);
	fFrame = frame;
	fGeometrySerial = 0;
	fLook = look;
	fFeel = feel;
	fFlags = flags;
	fWorkspaces = workspace;
	fMinWidth = fMinHeight = 0.0f;
	fMaxWidth = fMaxHeight = kMaxExtent;
	fMaxZoomWidth = fMaxZoomHeight = kMaxExtent;
	fShowLevel = 1;
	fStarted = false;
	fFullScreen = false;
	fMinimized = false;
	fActive = false;
	fUpdatePosted = false;
	fInUpdate = false;

	fDisplay = std::make_unique<zoetra::display::DisplayWindow>(
		OptionsFor(frame, title, look, feel, flags),
		std::make_unique<BPrivate::WindowEventsBridge>(BMessenger(this)));
	// The root of the view tree, covering the content area. It paints nothing itself:
	// the backing store starts white, and the views above it draw what they show.
	fTopView = new BView(Bounds(), "top view", B_FOLLOW_ALL_SIDES, 0);
	fTopView->SetViewColor(B_TRANSPARENT_32_BIT);
	fTopView->AttachTo(this);
	BPrivate::RegisterWindow(this, this);
}

BWindow::~BWindow()
{
	BPrivate::UnregisterWindow(this);
	if (fTopView) {
		fTopView->DetachFrom();
		delete fTopView;
		fTopView = nullptr;
	}
	// Queues the native window's removal; its events can no longer reach this object.
	fDisplay.reset();
}

void BWindow::Show()
{
	if (--fShowLevel == 0)
		fDisplay->Show();
	if (!fStarted) {
		fStarted = true;
		Run();
	}
}

void BWindow::Hide()
{
	if (fShowLevel++ == 0)
		fDisplay->Hide();
}

bool BWindow::IsHidden() const
{
	return fShowLevel > 0;
}

void BWindow::Minimize(bool minimize)
{
	fMinimized = minimize;
	fDisplay->Minimize(minimize);
}

bool BWindow::IsMinimized() const
{
	return fMinimized;
}

void BWindow::Activate(bool active)
{
	if (!IsHidden())
		fDisplay->Activate(active);
}

bool BWindow::IsActive() const
{
	return fActive;
}

void BWindow::Quit()
{
	AssertLocked();
	if (fShowLevel <= 0)
		fDisplay->Hide();
	fShowLevel = 1;
	BLooper::Quit();
}

void BWindow::SetTitle(const char* title)
{
	const std::string text = title ? title : "";
	{
		std::lock_guard lock(fStateMutex);
		// Earlier titles stay alive: a thread may still hold the pointer Title() gave it.
		fTitles.push_back(text);
	}
	fDisplay->SetTitle(text);
}

const char* BWindow::Title() const
{
	std::lock_guard lock(fStateMutex);
	return fTitles.back().c_str();
}

BRect BWindow::Frame() const
{
	std::lock_guard lock(fStateMutex);
	return fFrame;
}

BRect BWindow::Bounds() const
{
	std::lock_guard lock(fStateMutex);
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BWindow::SendGeometry()
{
	BRect frame;
	uint64 serial;
	{
		std::lock_guard lock(fStateMutex);
		frame = fFrame;
		serial = ++fGeometrySerial;
	}
	const zoetra::display::PixelRect pixels = BPrivate::ToPixels(frame);
	fDisplay->SetGeometry(
		pixels.left, pixels.top, PixelCount(frame.Width()), PixelCount(frame.Height()), serial);
}

void BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}

void BWindow::MoveTo(float x, float y)
{
	{
		std::lock_guard lock(fStateMutex);
		if (fFrame.left == x && fFrame.top == y)
			return;
		fFrame.OffsetTo(x, y);
	}
	SendGeometry();
}

void BWindow::MoveBy(float dx, float dy)
{
	const BRect frame = Frame();
	MoveTo(frame.left + dx, frame.top + dy);
}

void BWindow::ResizeTo(float width, float height)
{
	width =
		std::clamp(std::round(width), std::max(fMinWidth, 0.0f), std::min(fMaxWidth, kMaxExtent));
	height = std::clamp(
		std::round(height), std::max(fMinHeight, 0.0f), std::min(fMaxHeight, kMaxExtent));
	ApplyContentSize(width, height);
	SendGeometry();
}

void BWindow::ResizeBy(float dx, float dy)
{
	const BRect frame = Frame();
	ResizeTo(frame.Width() + dx, frame.Height() + dy);
}

void BWindow::ApplyContentSize(float width, float height)
{
	{
		std::lock_guard lock(fStateMutex);
		fFrame.right = fFrame.left + width;
		fFrame.bottom = fFrame.top + height;
	}
	fDisplay->Surface().Resize(PixelCount(width), PixelCount(height));
	if (fTopView)
		fTopView->ResizeTo(width, height);
	InvalidateWindowRect(BRect(0, 0, width, height));
}

void BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight)
{
	fMinWidth = std::clamp(minWidth, 0.0f, kMaxExtent);
	fMaxWidth = std::clamp(maxWidth, fMinWidth, kMaxExtent);
	fMinHeight = std::clamp(minHeight, 0.0f, kMaxExtent);
	fMaxHeight = std::clamp(maxHeight, fMinHeight, kMaxExtent);
	fDisplay->SetSizeLimits(PixelCount(fMinWidth), PixelCount(fMaxWidth), PixelCount(fMinHeight),
		PixelCount(fMaxHeight));
	const BRect frame = Frame();
	if (frame.Width() < fMinWidth || frame.Width() > fMaxWidth || frame.Height() < fMinHeight
		|| frame.Height() > fMaxHeight)
		ResizeTo(frame.Width(), frame.Height());
}

void BWindow::GetSizeLimits(
	float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const
{
	if (minWidth)
		*minWidth = fMinWidth;
	if (maxWidth)
		*maxWidth = fMaxWidth;
	if (minHeight)
		*minHeight = fMinHeight;
	if (maxHeight)
		*maxHeight = fMaxHeight;
}

void BWindow::SetFullScreen(bool fullScreen)
{
	if (fullScreen == fFullScreen)
		return;
	fFullScreen = fullScreen;
	fDisplay->SetFullScreen(fullScreen);
	// The native window goes back to its earlier frame, and so does ours at once: a move
	// or resize asked for right after leaving starts from there, not from the screen.
	std::lock_guard lock(fStateMutex);
	if (fullScreen) {
		fFrameBeforeFullScreen = fFrame;
	} else {
		fFrame.OffsetTo(fFrameBeforeFullScreen.LeftTop());
	}
}

bool BWindow::IsFullScreen() const
{
	return fFullScreen;
}

void BWindow::SetZoomLimits(float maxWidth, float maxHeight)
{
	// Zooming is the window manager's maximise here; the limits are kept for those who
	// ask, and the size limits bound what the maximised window can become.
	fMaxZoomWidth = std::clamp(maxWidth, 0.0f, kMaxExtent);
	fMaxZoomHeight = std::clamp(maxHeight, 0.0f, kMaxExtent);
}

void BWindow::GetZoomLimits(float* maxWidth, float* maxHeight) const
{
	if (maxWidth)
		*maxWidth = fMaxZoomWidth;
	if (maxHeight)
		*maxHeight = fMaxZoomHeight;
}

void BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
}

bool BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}

int32 BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}

BView* BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}

BView* BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}

BView* BWindow::FindView(BPoint point) const
{
	BView* view = fTopView->ViewAt(point);
	return view == fTopView ? nullptr : view;
}

BView* BWindow::CurrentFocus() const
{
	return fFocus;
}

BMenuBar* BWindow::KeyMenuBar() const
{
	return fKeyMenuBar;
}

void BWindow::SetKeyMenuBar(BMenuBar* bar)
{
	fKeyMenuBar = bar;
	MenuBarChanged();
}

void BWindow::MenuBarChanged()
{
	if (!fKeyMenuBar) {
		fDisplay->RemoveMenuBar();
		return;
	}
	zoetra::display::MenuBarModel options;
	options.height = PixelCount(fKeyMenuBar->Frame().Height());
	for (int32 i = 0; i < fKeyMenuBar->CountItems(); i++) {
		BMenuItem* item = fKeyMenuBar->ItemAt(i);
		zoetra::display::MenuItemModel menu;
		menu.label = item->Label();
		menu.id = item->fId;
		menu.enabled = item->IsEnabled();
		menu.isSubmenu = true;
		if (item->Submenu())
			AddMenuModels(item->Submenu(), menu.submenu);
		options.menus.push_back(std::move(menu));
	}
	fDisplay->SetMenuBar(options);
}

BMenuItem* BWindow::FindMenuItem(int32 id) const
{
	return fKeyMenuBar ? FindItemById(fKeyMenuBar, id) : nullptr;
}

void BWindow::AddMenuModels(const BMenu* menu, std::vector<zoetra::display::MenuItemModel>& out)
{
	for (int32 i = 0; i < menu->CountItems(); i++) {
		BMenuItem* item = menu->ItemAt(i);
		zoetra::display::MenuItemModel options;
		options.label = item->Label();
		options.id = item->fId;
		uint32 modifiers = 0;
		options.shortcut = char32_t(uint8(item->Shortcut(&modifiers)));
		options.modifiers = modifiers;
		options.separator = item->IsSeparator();
		options.enabled = item->IsEnabled() && menu->IsEnabled();
		options.marked = item->IsMarked();
		if (BMenu* submenu = item->Submenu()) {
			options.isSubmenu = true;
			AddMenuModels(submenu, options.submenu);
		}
		out.push_back(std::move(options));
	}
}

BMenuItem* BWindow::FindItemById(const BMenu* menu, int32 id)
{
	for (int32 i = 0; i < menu->CountItems(); i++) {
		BMenuItem* item = menu->ItemAt(i);
		if (item->fId == id)
			return item;
		if (item->Submenu())
			if (BMenuItem* found = FindItemById(item->Submenu(), id))
				return found;
	}
	return nullptr;
}

void BWindow::ConvertToScreen(BPoint* point) const
{
	*point = ConvertToScreen(*point);
}

BPoint BWindow::ConvertToScreen(BPoint point) const
{
	return point + Frame().LeftTop();
}

void BWindow::ConvertFromScreen(BPoint* point) const
{
	*point = ConvertFromScreen(*point);
}

BPoint BWindow::ConvertFromScreen(BPoint point) const
{
	return point - Frame().LeftTop();
}

void BWindow::InvalidateWindowRect(BRect rect)
{
	if (!rect.IsValid())
		return;
	fInvalid = fInvalid.IsValid() ? (fInvalid | rect) : rect;
	// A thread other than the window's may have drawn or invalidated: wake the window
	// thread so that it draws, once for any number of invalidations.
	if (!fUpdatePosted.exchange(true))
		PostMessage(kUpdate);
}

void BWindow::DrawInvalid()
{
	if (!fInvalid.IsValid() || !fTopView)
		return;
	const BRect area = fInvalid;
	fInvalid = BRect();
	fInUpdate = true;
	fTopView->UpdateTree(area);
	fInUpdate = false;
}

void BWindow::UpdateIfNeeded()
{
	DrawInvalid();
	Flush();
}

void BWindow::Flush() const
{
	AssertLocked();
	fDisplay->Flush();
}

void BWindow::Sync() const
{
	AssertLocked();
	fDisplay->Sync();
}

void BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this || !HandleKitMessage(message))
		BLooper::DispatchMessage(message, handler);
	// What the message changed reaches the screen before the next one is taken.
	DrawInvalid();
	Flush();
}

bool BWindow::HandleKitMessage(BMessage* message)
{
	switch (message->what) {
		case B_MOUSE_DOWN:
			HandleMouseDown(message);
			return true;
		case B_MOUSE_UP:
			HandleMouseUp(message);
			return true;
		case B_KEY_DOWN:
			HandleKeyDown(message);
			return true;
		case B_WINDOW_RESIZED:
			HandleResized(message);
			return true;
		case B_WINDOW_MOVED:
			HandleMoved(message);
			return true;
		case kDropped:
			HandleDrop(message);
			return true;
		case kMenuItemChosen:
			HandleMenuItem(message);
			return true;
		case kUpdate:
			fUpdatePosted = false;
			return true;
		case B_WINDOW_ACTIVATED: {
			bool active = false;
			message->FindBool("active", &active);
			fActive = active;
			WindowActivated(active);
			return true;
		}
		case B_MINIMIZE: {
			bool minimize = false;
			message->FindBool("minimize", &minimize);
			if (message->HasBool("_native"))
				fMinimized = minimize;
			else
				Minimize(minimize);
			return true;
		}
		default:
			return false;
	}
}

void BWindow::HandleMouseDown(BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		return;
	if (BView* view = fTopView->ViewAt(where))
		view->MouseDown(where - view->OriginInWindow());
}

void BWindow::HandleMouseUp(BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		return;
	if (BView* view = fTopView->ViewAt(where))
		view->MouseUp(where - view->OriginInWindow());
}

void BWindow::HandleKeyDown(BMessage* message)
{
	const char* bytes = nullptr;
	int32 modifiers = 0;
	if (message->FindString("bytes", &bytes) != B_OK || !bytes)
		return;
	message->FindInt32("modifiers", &modifiers);
	// The window's own shortcuts, for keys no menu item took: command-W closes a
	// closable window, command-Q asks the application to quit.
	if ((modifiers & B_COMMAND_KEY) && bytes[0] != '\0' && bytes[1] == '\0') {
		const char key = char(std::tolower(uint8(bytes[0])));
		if (key == 'w' && !(fFlags & B_NOT_CLOSABLE)) {
			PostMessage(B_QUIT_REQUESTED);
			return;
		}
		if (key == 'q' && be_app) {
			be_app->PostMessage(B_QUIT_REQUESTED);
			return;
		}
	}
	if (fFocus)
		fFocus->KeyDown(bytes, int32(std::strlen(bytes)));
}

void BWindow::HandleResized(BMessage* message)
{
	int32 width = 0, height = 0;
	int64 serial = 0;
	if (message->FindInt32("width", &width) != B_OK
		|| message->FindInt32("height", &height) != B_OK)
		return;
	message->FindInt64("_serial", &serial);
	{
		std::lock_guard lock(fStateMutex);
		// A report made before our latest request was carried out describes a size that
		// request has already replaced.
		if (uint64(serial) < fGeometrySerial)
			return;
	}
	ApplyContentSize(float(width), float(height));
	FrameResized(float(width), float(height));
}

void BWindow::HandleMoved(BMessage* message)
{
	BPoint where;
	int64 serial = 0;
	if (message->FindPoint("where", &where) != B_OK)
		return;
	message->FindInt64("_serial", &serial);
	{
		std::lock_guard lock(fStateMutex);
		if (uint64(serial) < fGeometrySerial)
			return;
		fFrame.OffsetTo(where);
	}
	FrameMoved(where);
}

void BWindow::HandleDrop(BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		return;
	BMessage dropped;
	if (message->FindMessage("message", &dropped) != B_OK) {
		// Files from a file manager. A path that names nothing still gets its ref, so that
		// the application can say the file was not found.
		dropped = BMessage(B_SIMPLE_DATA);
		const char* path = nullptr;
		for (int32 i = 0; message->FindString("path", i, &path) == B_OK; i++) {
			entry_ref ref;
			std::string absolute;
			status_t status = get_ref_for_path(path, &ref);
			if (status == B_ENTRY_NOT_FOUND && BPrivate::MakeAbsolutePath(path, &absolute) == B_OK)
				status = BPrivate::EntryRefPrivate::SetPath(ref, absolute.c_str());
			if (status == B_OK)
				dropped.AddRef("refs", &ref);
		}
		if (!dropped.HasRef("refs"))
			return;
	}
	BPrivate::MessagePrivate access(&dropped);
	access.SetWasDropped(true);
	access.SetDropPoint(ConvertToScreen(where), BPoint(0, 0));
	// The view under the drop has it first; what it does not take goes up the handler chain
	// to the window (the top view's next handler), so a drop is never taken for a command
	// to the window itself, such as B_QUIT_REQUESTED.
	BView* view = fTopView->ViewAt(where);
	BLooper::DispatchMessage(&dropped, view != nullptr ? view : fTopView);
}

void BWindow::HandleMenuItem(BMessage* message)
{
	int32 id = 0;
	if (message->FindInt32("id", &id) != B_OK)
		return;
	MenusBeginning();
	if (BMenuItem* item = FindMenuItem(id))
		item->Invoke();
}

void BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void BWindow::FrameMoved(BPoint)
{
}
void BWindow::FrameResized(float, float)
{
}
void BWindow::MenusBeginning()
{
}

void BWindow::WindowActivated(bool active)
{
	std::vector<BView*> pending{fTopView};
	while (!pending.empty()) {
		BView* view = pending.back();
		pending.pop_back();
		if (view != fTopView)
			view->WindowActivated(active);
		for (BView* child : view->fChildren)
			pending.push_back(child);
	}
}

zoetra::display::DisplayWindow& BPrivate::WindowPrivate::Display(BWindow* window)
{
	return *window->fDisplay;
}
