// A small program on the kits alone: two windows with menus, a scaled picture, an alert,
// the open panel, and a drag from one window to the other. It reports on standard output.
#include <Alert.h>
#include <Application.h>
#include <Bitmap.h>
#include <Box.h>
#include <Entry.h>
#include <FilePanel.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <cstdio>
#include <string>

namespace {

const uint32 kShowAlert = 'ALRT';
const uint32 kShowPanel = 'OPEN';
const uint32 kDemoDrag = 'DEMO';

void Report(const std::string& line)
{
	std::printf("%s\n", line.c_str());
	std::fflush(stdout);
}

// The picture: 320x200 with colours that change along both axes.
BBitmap* MakePicture()
{
	auto* picture = new BBitmap(BRect(0, 0, 319, 199), B_RGB32);
	auto* bits = static_cast<uint32*>(picture->Bits());
	for (int32 y = 0; y < 200; y++)
		for (int32 x = 0; x < 320; x++)
			bits[y * 320 + x] =
				uint32(x * 255 / 319) << 16 | uint32(y * 255 / 199) << 8 | uint32((x + y) & 0xff);
	return picture;
}

class PictureView : public BView {
public:
	PictureView(BRect frame, bool dragSource)
		: BView(frame, "picture", B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
		  fPicture(MakePicture()),
		  fDragSource(dragSource)
	{
		SetViewColor(B_TRANSPARENT_32_BIT);
	}
	~PictureView() override { delete fPicture; }

	void Draw(BRect) override { DrawBitmap(fPicture, Bounds()); }

	void MouseDown(BPoint) override
	{
		if (!fDragSource)
			return;
		BMessage drag(kDemoDrag);
		drag.AddString("from", Window()->Title());
		drag.AddPointer("view", this);
		DragMessage(&drag, Bounds(), NULL);
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->what != kDemoDrag || !message->WasDropped()) {
			BView::MessageReceived(message);
			return;
		}
		const char* from = "";
		message->FindString("from", &from);
		Report(std::string("dropped DEMO from ") + from);
		Window()->SetTitle((std::string(Window()->Title()) + ": got drop").c_str());
	}

private:
	BBitmap* fPicture;
	bool fDragSource;
};

class DemoWindow : public BWindow {
public:
	DemoWindow(BRect frame, const char* title, bool dragSource)
		: BWindow(
			frame, title, B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_WILL_ACCEPT_FIRST_CLICK),
		  fPanel(nullptr)
	{
		auto* bar = new BMenuBar(Bounds(), "MenuBar");
		auto* file = new BMenu("File");
		bar->AddItem(file);
		file->AddItem(new BMenuItem("Alert" B_UTF8_ELLIPSIS, new BMessage(kShowAlert), 'A'));
		file->AddItem(new BMenuItem("Open" B_UTF8_ELLIPSIS, new BMessage(kShowPanel), 'O'));
		file->AddSeparatorItem();
		file->AddItem(new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W'));
		auto* quit = new BMenuItem("Quit", new BMessage(B_QUIT_REQUESTED), 'Q');
		file->AddItem(quit);
		quit->SetTarget(be_app);
		AddChild(bar);
		const float barHeight = bar->Bounds().Height();
		ResizeTo(319, barHeight + 200);
		AddChild(new PictureView(BRect(0, barHeight + 1, 319, barHeight + 200), dragSource));
	}

	~DemoWindow() override { delete fPanel; }

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case kShowAlert: {
				auto* alert = new BAlert("Kit demo alert", "The kits can show alerts.", "Cancel",
					"OK", NULL, B_WIDTH_AS_USUAL, B_WARNING_ALERT);
				Report("alert answered " + std::to_string(alert->Go()));
				break;
			}
			case kShowPanel: {
				if (!fPanel) {
					BMessenger self(this);
					fPanel =
						new BFilePanel(B_OPEN_PANEL, &self, NULL, 0, false, NULL, NULL, true, true);
				}
				fPanel->Show();
				break;
			}
			case B_REFS_RECEIVED: {
				entry_ref ref;
				if (message->FindRef("refs", &ref) == B_OK) {
					BEntry entry(&ref);
					char name[B_FILE_NAME_LENGTH];
					entry.GetName(name);
					Report(std::string("opened ") + name);
				}
				break;
			}
			default:
				BWindow::MessageReceived(message);
		}
	}

	bool QuitRequested() override
	{
		// The last window to close takes the application with it.
		if (be_app->CountWindows() <= 1)
			be_app->PostMessage(B_QUIT_REQUESTED);
		return true;
	}

private:
	BFilePanel* fPanel;
};

class DemoApp : public BApplication {
public:
	DemoApp()
		: BApplication("application/x-vnd.zoetra-kit-demo")
	{
	}

	void ReadyToRun() override
	{
		(new DemoWindow(BRect(60, 60, 379, 309), "Kit demo A", true))->Show();
		(new DemoWindow(BRect(460, 60, 779, 309), "Kit demo B", false))->Show();
		Report("ready");
	}
};

} // namespace

int main()
{
	DemoApp app;
	app.Run();
	Report("quit");
	return 0;
}
