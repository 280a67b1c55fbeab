// The Qt display layer on its own, offscreen: request order, presentation, Sync, input reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

#include "Dialogs.h"
#include "DisplayHarness.h"
#include "DisplayProbe.h"
#include "DisplayServer.h"
#include "DisplayWindow.h"
#include "EventLog.h"
#include "WaitFor.h"
#include "Watchdog.h"

using namespace zoetra::display;
using zoetra::testing::RunWithDisplay;

namespace {

// Records what a window reports, and lets a test wait for a report.
struct Recorder : WindowEvents {
	zoetra::testing::EventLog events;

	void Add(std::string entry) { events.Add(std::move(entry)); }
	bool WaitFor(const std::string& entry)
	{
		return events.WaitFor(entry, std::chrono::seconds(5));
	}
	bool Has(const std::string& prefix)
	{
		return !events.WaitForPrefix(prefix, std::chrono::milliseconds(0)).empty();
	}

	void MouseDown(const MouseEvent& e) override
	{
		Add("down " + std::to_string(int(e.x)) + "," + std::to_string(int(e.y)) + " b"
			+ std::to_string(e.buttons));
	}
	void MouseUp(const MouseEvent&) override { Add("up"); }
	void KeyDown(const KeyEvent& e) override { Add("key " + e.bytes); }
	void CloseRequested() override { Add("close"); }
	void Resized(int32_t w, int32_t h, uint64_t serial) override
	{
		Add("resized " + std::to_string(w) + "x" + std::to_string(h) + " #"
			+ std::to_string(serial));
	}
	void Moved(int32_t x, int32_t y, uint64_t) override
	{
		Add("moved " + std::to_string(x) + "," + std::to_string(y));
	}
	void Activated(bool active) override { Add(active ? "active" : "inactive"); }
	void Minimized(bool minimized) override { Add(minimized ? "minimized" : "restored"); }
	void MenuItemChosen(int32_t id) override { Add("menu " + std::to_string(id)); }
	void MessageDropped(float, float, const std::vector<uint8_t>&) override { Add("dropped"); }
	void FilesDropped(float, float, const std::vector<std::string>&) override { Add("files"); }
};

WindowOptions OptionsOfSize(int32_t width, int32_t height)
{
	WindowOptions options;
	options.title = "Layer test";
	options.x = 40;
	options.y = 30;
	options.width = width;
	options.height = height;
	return options;
}

class DisplayLayer : public ::testing::Test {
protected:
	static void SetUpTestSuite() { zoetra::testing::UseOffscreenPlatform(); }
};

TEST_F(DisplayLayer, RequestsRunOnTheDisplayThreadInTheOrderEachThreadPostedThem)
{
	std::vector<std::pair<int, int>> seen;
	std::atomic<bool> allOnDisplay{true};
	RunWithDisplay([&] {
		std::vector<std::thread> posters;
		for (int thread = 0; thread < 4; thread++)
			posters.emplace_back([&, thread] {
				for (int i = 0; i < 200; i++)
					Post([&, thread, i] {
						allOnDisplay = allOnDisplay && IsDisplayThread();
						seen.emplace_back(thread, i);
					});
			});
		for (auto& poster : posters)
			poster.join();
		std::promise<void> drained;
		Post([&] { drained.set_value(); });
		ASSERT_EQ(
			drained.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
	});
	EXPECT_TRUE(allOnDisplay);
	ASSERT_EQ(seen.size(), 800u);
	int next[4] = {0, 0, 0, 0};
	for (auto [thread, i] : seen)
		EXPECT_EQ(i, next[thread]++) << "thread " << thread;
}

TEST_F(DisplayLayer, PostIsRefusedAfterQuitAndItsRequestReleased)
{
	auto held = std::make_shared<int>(7);
	std::weak_ptr<int> watch = held;
	RunWithDisplay([] {});
	// Between runs requests wait for the next run; during shutdown they are refused.
	Quit();
	EXPECT_FALSE(Post([held] {}));
	held.reset();
	EXPECT_TRUE(watch.expired());
	// A quit that came before the loop ran ends the next run at once.
	zoetra::testing::Watchdog watchdog(std::chrono::seconds(10), "a run after an early quit");
	zoetra::display::Run();
	EXPECT_FALSE(IsRunning());
}

TEST_F(DisplayLayer, AnAlertAskedForBeforeTheLoopRunsShowsOnceItRuns)
{
	Start();
	std::atomic<int32_t> answer{-2};
	// An application thread may want an alert before the main thread has entered the loop.
	std::thread early([&] {
		AlertOptions options;
		options.title = "Early";
		options.buttons = {"One", "Two", "Three"};
		answer = RunAlert(options);
	});
	RunWithDisplay([&] {
		ASSERT_TRUE(zoetra::testing::WaitFor([] { return !probe::ShowingAlert().empty(); }));
		EXPECT_EQ(probe::ShowingAlert()[0], "Early");
		EXPECT_EQ(answer, -2);
		ASSERT_TRUE(probe::AnswerAlert(1));
		early.join();
	});
	EXPECT_EQ(answer, 1);
}

TEST_F(DisplayLayer, FlushedPixelsAreWhatTheWindowShows)
{
	RunWithDisplay([] {
		auto recorder = std::make_unique<Recorder>();
		DisplayWindow window(OptionsOfSize(64, 48), std::move(recorder));
		window.Show();
		ASSERT_TRUE(zoetra::testing::WaitFor([&] { return window.IsExposed(); }));
		Canvas& canvas = window.Surface();
		canvas.FillRect(canvas.Bounds(), 0x00112233, canvas.Bounds());
		canvas.FillRect({10, 5, 19, 14}, 0x00ff0000, canvas.Bounds());
		window.Sync();
		probe::NativeSnapshot shot;
		ASSERT_TRUE(probe::Snapshot(window, shot, true));
		ASSERT_EQ(shot.width, 64);
		ASSERT_EQ(shot.height, 48);
		EXPECT_EQ(shot.pixels[0], 0xff112233u);
		EXPECT_EQ(shot.pixels[5 * 64 + 10], 0xffff0000u);
		EXPECT_EQ(shot.pixels[14 * 64 + 19], 0xffff0000u);
		EXPECT_EQ(shot.pixels[15 * 64 + 19], 0xff112233u);
		EXPECT_EQ(shot.pixels[14 * 64 + 20], 0xff112233u);
	});
}

TEST_F(DisplayLayer, SyncReturnsForHiddenMinimisedAndStoppedDisplays)
{
	RunWithDisplay([] {
		DisplayWindow window(OptionsOfSize(32, 32), std::make_unique<Recorder>());
		// Never shown: nothing to wait for.
		window.Surface().FillRect({0, 0, 3, 3}, 0, {0, 0, 31, 31});
		window.Sync();
		window.Show();
		ASSERT_TRUE(zoetra::testing::WaitFor([&] { return window.IsExposed(); }));
		window.Minimize(true);
		ASSERT_TRUE(zoetra::testing::WaitFor([&] { return !window.IsExposed(); }));
		for (int i = 0; i < 10; i++) {
			window.Surface().FillRect({0, 0, 3, 3}, uint32_t(i), {0, 0, 31, 31});
			window.Sync();
		}
		window.Minimize(false);
		window.Hide();
		ASSERT_TRUE(zoetra::testing::WaitFor([&] { return !window.IsExposed(); }));
		window.Surface().FillRect({0, 0, 3, 3}, 1, {0, 0, 31, 31});
		window.Sync();
	});
	SUCCEED() << "every Sync returned before the watchdog";
}

TEST_F(DisplayLayer, CloseBoxAsksAndTheWindowStays)
{
	RunWithDisplay([] {
		auto recorder = std::make_unique<Recorder>();
		Recorder& log = *recorder;
		DisplayWindow window(OptionsOfSize(32, 32), std::move(recorder));
		window.Show();
		ASSERT_TRUE(probe::Close(window));
		EXPECT_TRUE(log.WaitFor("close"));
		probe::NativeSnapshot shot;
		ASSERT_TRUE(probe::Snapshot(window, shot));
		EXPECT_TRUE(shot.visible);
	});
}

TEST_F(DisplayLayer, OnlyResizesNotAskedForAreReported)
{
	RunWithDisplay([] {
		auto recorder = std::make_unique<Recorder>();
		Recorder& log = *recorder;
		DisplayWindow window(OptionsOfSize(100, 80), std::move(recorder));
		window.Show();
		window.SetGeometry(40, 30, 120, 90, 1);
		probe::NativeSnapshot shot;
		ASSERT_TRUE(probe::Snapshot(window, shot));
		EXPECT_EQ(shot.width, 120);
		EXPECT_EQ(shot.height, 90);
		ASSERT_TRUE(probe::UserResize(window, 200, 150));
		EXPECT_TRUE(log.WaitFor("resized 200x150 #1"));
		EXPECT_FALSE(log.Has("resized 120x90"));
	});
}

TEST_F(DisplayLayer, MenuBarTakesItsRowsAndReportsChosenItems)
{
	RunWithDisplay([] {
		auto recorder = std::make_unique<Recorder>();
		Recorder& log = *recorder;
		DisplayWindow window(OptionsOfSize(320, 220), std::move(recorder));
		MenuBarModel bar;
		bar.height = 20;
		MenuItemModel file;
		file.label = "File";
		file.isSubmenu = true;
		MenuItemModel item;
		item.label = "New";
		item.id = 11;
		item.shortcut = 'N';
		file.submenu.push_back(item);
		MenuItemModel separator;
		separator.separator = true;
		file.submenu.push_back(separator);
		item.label = "Close";
		item.id = 12;
		item.shortcut = 'W';
		file.submenu.push_back(item);
		bar.menus.push_back(file);
		window.SetMenuBar(bar);
		window.Show();
		probe::NativeSnapshot shot;
		ASSERT_TRUE(probe::Snapshot(window, shot));
		EXPECT_EQ(shot.menuBarHeight, 20);
		EXPECT_EQ(shot.menuTitles, std::vector<std::string>{"File"});
		ASSERT_TRUE(probe::TriggerMenuItem(window, "File", "Close"));
		EXPECT_TRUE(log.WaitFor("menu 12"));
		ASSERT_TRUE(probe::TriggerShortcut(window, 'n'));
		EXPECT_TRUE(log.WaitFor("menu 11"));
	});
}

TEST_F(DisplayLayer, FirstClickReachesTheWindowOnlyWhenItAcceptsFirstClicks)
{
	RunWithDisplay([] {
		auto plainLog = std::make_unique<Recorder>();
		auto eagerLog = std::make_unique<Recorder>();
		Recorder& plain = *plainLog;
		Recorder& eager = *eagerLog;
		WindowOptions eagerOptions = OptionsOfSize(50, 50);
		eagerOptions.acceptsFirstClick = true;
		DisplayWindow plainWindow(OptionsOfSize(50, 50), std::move(plainLog));
		DisplayWindow eagerWindow(eagerOptions, std::move(eagerLog));
		const auto isActive = [](DisplayWindow& window) {
			probe::NativeSnapshot shot;
			return probe::Snapshot(window, shot) && shot.active;
		};
		plainWindow.Show();
		eagerWindow.Show();
		// Each window is activated as it shows, and the platform delivers that a moment
		// later: the plain window is only inactive once the eager one's activation is in.
		ASSERT_TRUE(probe::Activate(eagerWindow, true));
		ASSERT_TRUE(zoetra::testing::WaitFor(
			[&] { return isActive(eagerWindow) && !isActive(plainWindow); }));
		ASSERT_TRUE(probe::Click(plainWindow, 7, 9));
		ASSERT_TRUE(plain.WaitFor("up"));
		EXPECT_FALSE(plain.Has("down")) << "the activating click leaked through";
		// Activation may reach the window a little after the click that asked for it.
		ASSERT_TRUE(zoetra::testing::WaitFor([&] { return isActive(plainWindow); }));
		ASSERT_TRUE(probe::Click(plainWindow, 7, 9));
		EXPECT_TRUE(plain.WaitFor("down 7,9 b1"));
		ASSERT_TRUE(probe::Click(eagerWindow, 3, 4));
		EXPECT_TRUE(eager.WaitFor("down 3,4 b1"));
	});
}

} // namespace
