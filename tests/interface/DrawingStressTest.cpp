// A play thread drawing 60 frames a second never deadlocks with its window's own work.
#include <gtest/gtest.h>

#include <Bitmap.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "Dialogs.h"
#include "DisplayHarness.h"
#include "DisplayProbe.h"
#include "DisplayWindow.h"
#include "KitTestWindows.h"
#include "private/interface/WindowPrivate.h"
#include "WaitFor.h"

using namespace zoetra::testing;
namespace probe = zoetra::display::probe;

namespace {

struct PlayThread {
	BWindow* window;
	BView* view;
	BBitmap bitmap{BRect(0, 0, 319, 199), B_RGB32};
	std::atomic<bool> stop{false};
	std::atomic<int> frames{0};
	std::thread thread;

	PlayThread(BWindow* target, BView* targetView)
		: window(target),
		  view(targetView)
	{
		std::memset(bitmap.Bits(), 0x40, size_t(bitmap.BitsLength()));
		thread = std::thread([this] { Run(); });
	}

	void Run()
	{
		auto* bits = static_cast<uint32*>(bitmap.Bits());
		while (!stop) {
			window->Lock();
			bits[frames % 64000] = 0x00ff00ffu;
			view->DrawBitmap(&bitmap, view->Bounds());
			view->Sync();
			window->Unlock();
			frames++;
			snooze(16666);
		}
	}

	// Waits (bounded) until `count` more frames have been drawn.
	bool Advances(int count)
	{
		const int from = frames;
		return WaitFor([&] { return frames >= from + count; }, std::chrono::seconds(10));
	}

	~PlayThread()
	{
		stop = true;
		thread.join();
	}
};

class DrawingStress : public ::testing::Test {
protected:
	static void SetUpTestSuite() { UseOffscreenPlatform(); }
};

TEST_F(DrawingStress, PlayThreadAndWindowThreadNeverBlockEachOther)
{
	RunWithDisplay(
		[] {
			EventLog log;
			auto* window = new LoggingWindow(
				BRect(150, 100, 469, 320), "Stress", log, B_WILL_ACCEPT_FIRST_CLICK);
			auto* view =
				new LoggingView(BRect(0, 21, 319, 220), "picture", B_FOLLOW_ALL_SIDES, log);
			view->SetViewColor(B_TRANSPARENT_32_BIT);
			window->AddChild(view);
			window->Show();
			zoetra::display::DisplayWindow& native = BPrivate::WindowPrivate::Display(window);
			{
				PlayThread play(window, view);
				ASSERT_TRUE(play.Advances(10));

				for (int i = 0; i < 20; i++) {
					ASSERT_TRUE(probe::Click(native, 10 + i, 40));
					ASSERT_TRUE(probe::UserResize(native, 320 + 7 * i, 221 + 5 * i));
				}
				EXPECT_TRUE(log.WaitFor("picture down 29,19"));
				EXPECT_TRUE(log.WaitFor("window resized 452x315"));
				ASSERT_TRUE(play.Advances(10)) << "drawing stopped after input and resizes";

				window->Lock();
				window->Hide();
				window->Unlock();
				ASSERT_TRUE(WaitFor([&] { return !native.IsExposed(); }));
				ASSERT_TRUE(play.Advances(10)) << "Sync hung on a hidden window";
				window->Lock();
				window->Show();
				window->Minimize(true);
				window->Unlock();
				ASSERT_TRUE(play.Advances(10)) << "Sync hung on a minimised window";
				window->Lock();
				window->Minimize(false);
				window->Unlock();

				// A modal alert of the application: its caller waits, drawing goes on.
				std::atomic<int32> answer{-2};
				std::thread caller([&] {
					zoetra::display::AlertOptions options;
					options.title = "Error";
					options.text = "Stress";
					options.buttons = {"Cancel", "OK"};
					answer = zoetra::display::RunAlert(options);
				});
				ASSERT_TRUE(WaitFor([] { return !probe::ShowingAlert().empty(); }));
				ASSERT_TRUE(play.Advances(10)) << "drawing stopped while an alert was up";
				ASSERT_TRUE(probe::Click(native, 5, 5));
				EXPECT_EQ(answer, -2) << "the alert returned before a button was pressed";
				ASSERT_TRUE(probe::AnswerAlert(1));
				caller.join();
				EXPECT_EQ(answer, 1);
				ASSERT_TRUE(play.Advances(10));
			}
			EXPECT_TRUE(QuitAndWait(window, log));
		},
		std::chrono::seconds(60));
}

} // namespace
