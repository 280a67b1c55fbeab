// The interface kit on a real X server (Xvfb), driven with xdotool as a user would.
#include <gtest/gtest.h>

#include <Alert.h>
#include <AppDefs.h>
#include <Bitmap.h>
#include <FilePanel.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <atomic>
#include <functional>
#include <random>
#include <cstring>
#include <thread>
#include <unistd.h>

#include "DisplayHarness.h"
#include "DisplayProbe.h"
#include "DisplayWindow.h"
#include "KitTestWindows.h"
#include "private/interface/WindowPrivate.h"
#include "TemporaryFolder.h"
#include "WaitFor.h"
#include "XDesktop.h"
#include "XvfbTest.h"

using namespace zoetra::testing;

namespace {

class RealDisplay : public XvfbTest {};

// A view that starts a drag of its message when clicked.
class DragSource : public BView {
public:
	DragSource(BRect frame, EventLog& log)
		: BView(frame, "source", B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
		  fLog(log)
	{
	}
	void MouseDown(BPoint) override
	{
		BMessage drag('FLdg');
		drag.AddPointer("source_window", Window());
		drag.AddString("title", Window()->Title());
		DragMessage(&drag, Bounds(), NULL);
		fLog.Add("drag started");
	}

private:
	EventLog& fLog;
};

// Presses keys until `done` holds: a key that reaches a window before Qt has taken its
// focus change is lost, so one press alone would make the test depend on timing.
bool PressUntil(unsigned long window, const std::string& keys, const std::function<bool()>& done)
{
	for (int attempt = 0; attempt < 5; attempt++) {
		if (!FocusWindow(window) || !Key(keys))
			return false;
		if (WaitFor(done, std::chrono::milliseconds(1500)))
			return true;
	}
	return false;
}

LoggingWindow* ShownWindow(BRect frame, const char* title, EventLog& log, uint32 flags = 0)
{
	auto* window = new LoggingWindow(frame, title, log, flags);
	window->AddChild(new LoggingView(window->Bounds(), "view", B_FOLLOW_ALL_SIDES, log));
	window->Show();
	return window;
}

// A shown window whose one view, `viewName`, paints nothing of its own: only what is drawn
// into it shows.
LoggingView* ShownPictureView(
	BRect frame, const char* title, const char* viewName, EventLog& log, LoggingWindow*& window)
{
	window = new LoggingWindow(frame, title, log);
	auto* view = new LoggingView(window->Bounds(), viewName, B_FOLLOW_ALL_SIDES, log);
	view->SetViewColor(B_TRANSPARENT_32_BIT);
	window->AddChild(view);
	window->Show();
	return view;
}

TEST_F(RealDisplay, WindowAppearsWithItsTitleWhereItsFrameSays)
{
	RunWithDisplay([] {
		EventLog log;
		LoggingWindow* window = ShownWindow(BRect(150, 100, 469, 349), "Placed window", log);
		const unsigned long id = FindWindow("Placed window");
		ASSERT_NE(id, 0u);
		XWindowGeometry geometry;
		ASSERT_TRUE(WaitFor([&] { return WindowGeometry(id, geometry) && geometry.x == 150; }));
		EXPECT_EQ(geometry.x, 150);
		EXPECT_EQ(geometry.y, 100);
		EXPECT_EQ(geometry.width, 320);
		EXPECT_EQ(geometry.height, 250);
		ASSERT_TRUE(window->Lock());
		window->ResizeTo(319, 221);
		window->MoveTo(40, 60);
		window->Unlock();
		EXPECT_TRUE(WaitFor([&] {
			return WindowGeometry(id, geometry) && geometry.x == 40 && geometry.y == 60
				&& geometry.width == 320 && geometry.height == 222;
		})) << geometry.x
			<< "," << geometry.y << " " << geometry.width << "x" << geometry.height;
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(RealDisplay, TheActivatingClickReachesViewsOnlyWithFirstClickFlag)
{
	RunWithDisplay([] {
		EventLog plainLog, eagerLog;
		LoggingWindow* plain = ShownWindow(BRect(50, 50, 249, 149), "Plain", plainLog);
		LoggingWindow* eager =
			ShownWindow(BRect(300, 50, 499, 149), "Eager", eagerLog, B_WILL_ACCEPT_FIRST_CLICK);
		ASSERT_NE(FindWindow("Plain"), 0u);
		ASSERT_NE(FindWindow("Eager"), 0u);
		auto active = [](BWindow* window) {
			zoetra::display::probe::NativeSnapshot shot;
			return zoetra::display::probe::Snapshot(BPrivate::WindowPrivate::Display(window), shot)
				&& shot.active;
		};
		ASSERT_TRUE(Click(400, 100));
		ASSERT_TRUE(WaitFor([&] { return active(eager); }));
		EXPECT_TRUE(eagerLog.WaitFor("view down 100,50"))
			<< "a first click was lost despite the flag";

		ASSERT_TRUE(Click(60, 70));
		ASSERT_TRUE(WaitFor([&] { return active(plain); }));
		EXPECT_FALSE(plainLog.Has("view down 10,20")) << "the activating click reached the view";
		ASSERT_TRUE(Click(70, 80));
		EXPECT_TRUE(plainLog.WaitFor("view down 20,30"));
		EXPECT_FALSE(plainLog.Has("view down 10,20"));
		EXPECT_TRUE(QuitAndWait(plain, plainLog));
		EXPECT_TRUE(QuitAndWait(eager, eagerLog));
	});
}

TEST_F(RealDisplay, CommandWAndTheCloseBoxAskTheWindowToQuit)
{
	RunWithDisplay([] {
		EventLog log;
		LoggingWindow* window = ShownWindow(BRect(100, 100, 299, 199), "Closable", log);
		const unsigned long id = FindWindow("Closable");
		ASSERT_NE(id, 0u);
		EXPECT_TRUE(PressUntil(id, "ctrl+w", [&] { return log.Has("quit-requested"); }));
		log.Clear();
		ASSERT_TRUE(CloseWindow(id));
		EXPECT_TRUE(log.WaitFor("quit-requested"));
		EXPECT_NE(FindWindow("Closable", std::chrono::milliseconds(100)), 0u)
			<< "a refusing window closed";
		EXPECT_TRUE(QuitAndWait(window, log));
		// The native window goes on the display thread, a moment after the kit's window.
		EXPECT_TRUE(WaitUntilGone("^Closable$")) << "the native window stayed";
	});
}

TEST_F(RealDisplay, MenuItemsPostTheirMessagesToTheirTargets)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(200, 150, 519, 399), "With menu", log);
		auto* target = new LoggingWindow(BRect(600, 150, 699, 249), "Target", log);
		target->Show();
		auto* bar = new BMenuBar(window->Bounds(), "MenuBar");
		auto* file = new BMenu("File");
		bar->AddItem(file);
		auto* item = new BMenuItem("Tell target", new BMessage('TELL'), 'T');
		file->AddItem(item);
		item->SetTarget(target);
		file->AddItem(new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W'));
		window->AddChild(bar);
		const float barHeight = bar->Bounds().Height();
		window->Show();
		const unsigned long id = FindWindow("With menu");
		ASSERT_NE(id, 0u);
		ASSERT_TRUE(FocusWindow(id));
		// Open "File" with the mouse, pick the first item with the keyboard.
		ASSERT_TRUE(Click(200 + 18, 150 + int(barHeight / 2)));
		ASSERT_TRUE(Key("Down"));
		ASSERT_TRUE(Key("Return"));
		EXPECT_TRUE(log.WaitFor("window got TELL"));
		EXPECT_FALSE(log.Has("quit-requested"));
		EXPECT_TRUE(PressUntil(id, "ctrl+t", [&] { return log.Count("window got TELL") >= 2; }));
		EXPECT_TRUE(QuitAndWait(target, log));
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(RealDisplay, AlertBlocksItsCallerUntilAButtonIsPressed)
{
	RunWithDisplay([] {
		std::atomic<int32> answer{-2};
		std::thread caller([&] {
			auto* alert = new BAlert("Error", "Unsupported file format.", "Skip", "Retry", "Cancel",
				B_WIDTH_AS_USUAL, B_WARNING_ALERT);
			answer = alert->Go();
		});
		const unsigned long id = FindWindow("Error");
		ASSERT_NE(id, 0u);
		SaveScreen(std::string(ZOETRA_BUILD_DIR) + "/tests/alert-on-xvfb.png");
		EXPECT_EQ(answer, -2) << "Go() returned before a button was pressed";
		EXPECT_TRUE(PressUntil(id, "Return", [&] { return answer != -2; }));
		caller.join();
		EXPECT_EQ(answer, 2) << "Return presses the last (default) button";

		answer = -2;
		std::thread second([&] {
			auto* alert = new BAlert("Question", "Which?", "First", "Second");
			answer = alert->Go();
		});
		const unsigned long box = FindWindow("Question");
		ASSERT_NE(box, 0u);
		XWindowGeometry geometry;
		ASSERT_TRUE(WindowGeometry(box, geometry));
		ASSERT_TRUE(CloseWindow(box));
		second.join();
		EXPECT_EQ(answer, 1) << "closing the box counts as its last button";
	});
}

TEST_F(RealDisplay, ScreenshotOfADrawnBitmapMatchesItPixelForPixel)
{
	RunWithDisplay([] {
		EventLog log;
		LoggingWindow* window = nullptr;
		LoggingView* view =
			ShownPictureView(BRect(100, 80, 419, 279), "Picture", "picture", log, window);
		ASSERT_NE(FindWindow("Picture"), 0u);
		ASSERT_TRUE(log.WaitFor("picture draw"));
		BBitmap bitmap(BRect(0, 0, 319, 199), B_RGB32);
		auto* bits = static_cast<uint32*>(bitmap.Bits());
		for (int32 y = 0; y < 200; y++)
			for (int32 x = 0; x < 320; x++)
				bits[y * 320 + x] = uint32((x * 7) & 0xff) << 16 | uint32((y * 5) & 0xff) << 8
					| uint32((x ^ y) & 0xff) | 0x13000000u;
		for (const int scale : {1, 2}) {
			ASSERT_TRUE(window->Lock());
			window->ResizeTo(320 * scale - 1, 200 * scale - 1);
			view->DrawBitmap(&bitmap, view->Bounds());
			view->Sync();
			window->Unlock();
			std::vector<uint32_t> screen;
			ASSERT_TRUE(WaitFor([&] {
				return Screenshot(100, 80, 320 * scale, 200 * scale, screen)
					&& screen[size_t(200 * scale - 1) * size_t(320 * scale)]
					== (bits[199 * 320] | 0xff000000u);
			}));
			int wrong = 0;
			for (int32 y = 0; y < 200 * scale; y++)
				for (int32 x = 0; x < 320 * scale; x++)
					wrong += screen[size_t(y * 320 * scale + x)]
						!= (bits[(y / scale) * 320 + x / scale] | 0xff000000u);
			EXPECT_EQ(wrong, 0) << "at scale " << scale;
		}
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

// A bitmap that changes in scattered places from frame to frame, drawn again and again as a
// player draws it: filling the window at 3x, then letterboxed at a general scale behind bars,
// then moved to another rectangle of the same window, now and then with a mark drawn over it.
// Only the changed parts are scaled and sent, yet after each run of frames the screen holds
// exactly the last frame, bars and mark included.
TEST_F(RealDisplay, APartlyChangingBitmapShowsExactlyAtEveryScaleAndPlace)
{
	RunWithDisplay([] {
		EventLog log;
		LoggingWindow* window = nullptr;
		LoggingView* view =
			ShownPictureView(BRect(60, 40, 60 + 959, 40 + 599), "Frames", "frames", log, window);
		ASSERT_NE(FindWindow("Frames"), 0u);
		ASSERT_TRUE(log.WaitFor("frames draw"));
		BBitmap bitmap(BRect(0, 0, 319, 199), B_RGB32);
		auto* bits = static_cast<uint32*>(bitmap.Bits());
		for (int32 i = 0; i < 320 * 200; i++)
			bits[i] = uint32(i * 2654435761u) & 0xffffffu;
		std::minstd_rand next(1);

		struct Scene {
			int32 width, height; // the window's content
			BRect picture; // where the bitmap goes; the rest is bars
		};
		const Scene scenes[] = {
			{960, 600, BRect(0, 0, 959, 599)},
			{801, 607, BRect(0, 53, 800, 552)}, // 8:5 letterbox, 2.503x
			{801, 607, BRect(81, 103, 81 + 639, 103 + 399)}, // 2x, bars on every side
		};
		const rgb_color bars = make_color(20, 30, 40);
		const rgb_color mark = make_color(200, 10, 10);
		const auto markRect = [](const Scene& scene) {
			return BRect(scene.picture.left + 37, scene.picture.top + 41, scene.picture.left + 87,
				scene.picture.top + 71);
		};
		// Counts the pixels on the screen that differ from the last frame drawn for `scene`.
		const auto wrongPixels = [&](const Scene& scene) {
			const int32 left = int32(scene.picture.left), top = int32(scene.picture.top);
			const int32 width = scene.picture.IntegerWidth() + 1;
			const int32 height = scene.picture.IntegerHeight() + 1;
			const BRect marked = markRect(scene);
			const auto expected = [&](int32 x, int32 y) {
				if (marked.Contains(BPoint(x, y)))
					return 0xff000000u | uint32(mark.red) << 16 | uint32(mark.green) << 8
						| mark.blue;
				if (x < left || y < top || x >= left + width || y >= top + height)
					return 0xff000000u | uint32(bars.red) << 16 | uint32(bars.green) << 8
						| bars.blue;
				return bits[(y - top) * 200 / height * 320 + (x - left) * 320 / width]
					| 0xff000000u;
			};
			std::vector<uint32_t> screen;
			int wrong = -1;
			WaitFor([&] {
				if (!Screenshot(60, 40, scene.width, scene.height, screen))
					return false;
				wrong = 0;
				for (int32 y = 0; y < scene.height; y++)
					for (int32 x = 0; x < scene.width; x++)
						wrong +=
							screen[size_t(y) * size_t(scene.width) + size_t(x)] != expected(x, y);
				return wrong == 0;
			});
			return wrong;
		};
		for (const Scene& scene : scenes) {
			ASSERT_TRUE(window->Lock());
			window->ResizeTo(float(scene.width - 1), float(scene.height - 1));
			window->Unlock();
			for (int frame = 0; frame < 40; frame++) {
				// A few scattered changes, now and then a whole new picture (a palette change).
				const int changes = frame % 13 == 12 ? 64000 : int(next() % 300);
				for (int i = 0; i < changes; i++)
					bits[next() % 64000] = next() & 0xffffffu;
				ASSERT_TRUE(window->Lock());
				view->SetHighColor(bars);
				const BRect all = view->Bounds();
				view->FillRect(BRect(all.left, all.top, all.right, scene.picture.top - 1));
				view->FillRect(BRect(all.left, scene.picture.bottom + 1, all.right, all.bottom));
				view->FillRect(BRect(
					all.left, scene.picture.top, scene.picture.left - 1, scene.picture.bottom));
				view->FillRect(BRect(
					scene.picture.right + 1, scene.picture.top, all.right, scene.picture.bottom));
				view->DrawBitmap(&bitmap, scene.picture);
				// Now and then, and in the last frame, something drawn over the picture.
				if (frame % 7 == 5 || frame == 39) {
					view->SetHighColor(mark);
					view->FillRect(markRect(scene));
				}
				view->Sync();
				window->Unlock();
			}
			EXPECT_EQ(wrongPixels(scene), 0)
				<< "pixels off in the " << scene.width << "x" << scene.height
				<< " window, picture at " << scene.picture.left << "," << scene.picture.top;
		}
		// A window put over the picture and taken away again: what it hid is drawn again
		// from the last frame, not from an older picture the toolkit may still hold.
		EventLog coverLog;
		LoggingWindow* cover = ShownWindow(BRect(100, 90, 500, 400), "Cover", coverLog);
		ASSERT_NE(FindWindow("Cover"), 0u);
		ASSERT_TRUE(coverLog.WaitFor("view draw"));
		EXPECT_TRUE(QuitAndWait(cover, coverLog));
		EXPECT_EQ(wrongPixels(scenes[2]), 0) << "pixels off after the cover went";
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(RealDisplay, DragFromOneWindowDeliversTheMessageToAViewOfAnother)
{
	RunWithDisplay([] {
		EventLog log;
		auto* from = new LoggingWindow(
			BRect(50, 50, 249, 199), "Drag source", log, B_WILL_ACCEPT_FIRST_CLICK);
		from->AddChild(new DragSource(from->Bounds(), log));
		from->Show();
		LoggingWindow* to = ShownWindow(BRect(400, 50, 599, 199), "Drop target", log);
		ASSERT_NE(FindWindow("Drag source"), 0u);
		ASSERT_NE(FindWindow("Drop target"), 0u);
		ASSERT_TRUE(MoveMouse(150, 120));
		ASSERT_TRUE(MouseDown());
		ASSERT_TRUE(log.WaitFor("drag started"));
		// The drag needs motion to begin and each step to be seen by the X server.
		for (int x = 160; x <= 500; x += 20)
			ASSERT_TRUE(MoveMouse(x, 120 + (x % 40 == 0 ? 1 : 0)));
		ASSERT_TRUE(MouseUp());
		EXPECT_TRUE(log.WaitFor("view got FLdg dropped at 500,120"));
		EXPECT_TRUE(QuitAndWait(from, log));
		EXPECT_TRUE(QuitAndWait(to, log));
	});
}

TEST_F(RealDisplay, OpenPanelSendsTheChosenFileToItsTarget)
{
	RunWithDisplay([] {
		TemporaryFolder folder("zoetra-panel");
		ASSERT_NE(folder.Path(), "");
		folder.Write("chosen.fli", "not really an animation");
		EventLog log;
		LoggingWindow* window = ShownWindow(BRect(100, 100, 299, 199), "Panel owner", log);
		BMessenger target(window);
		BFilePanel panel(B_OPEN_PANEL, &target, NULL, 0, false, NULL, NULL, true, true);
		panel.SetPanelDirectory(folder.Path().c_str());
		panel.Show();
		const unsigned long id = FindWindow("Open");
		ASSERT_NE(id, 0u);
		EXPECT_TRUE(panel.IsShowing());
		ASSERT_TRUE(FocusWindow(id));
		ASSERT_TRUE(TypeText("chosen.fli"));
		ASSERT_TRUE(Key("Return"));
		EXPECT_TRUE(log.WaitFor("window got _RRC"));
		EXPECT_TRUE(WaitFor([&] { return !panel.IsShowing(); }))
			<< "the panel did not hide when done";
		// Reusable: it shows again.
		panel.Show();
		EXPECT_NE(FindWindow("Open"), 0u);
		panel.Hide();
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

} // namespace
