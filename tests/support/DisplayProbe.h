// Hooks for tests: act on a native window as a user would, and read back what it shows.
// Each call runs on the display thread and returns its answer to the caller, so a test
// thread can use them while the display loop runs (they wait for it, with a bound).
//
// How to use (inside RunWithDisplay, see DisplayHarness.h):
//   DisplayWindow& native = BPrivate::WindowPrivate::Display(window);
//   ASSERT_TRUE(probe::Click(native, 10, 20));
//   probe::NativeSnapshot shot;
//   ASSERT_TRUE(probe::Snapshot(native, shot, true)); // true: with the pixels
//   EXPECT_EQ(shot.title, "Untitled 1");
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "DisplayWindow.h"

namespace zoetra::display::probe {

struct NativeSnapshot {
	bool exists = false;
	bool visible = false;
	bool minimized = false;
	bool active = false;
	std::string title;
	int32_t x = 0, y = 0, width = 0, height = 0; // content area
	int32_t menuBarHeight = -1; // -1: no menu bar
	std::vector<std::string> menuTitles;
	std::vector<uint32_t> pixels; // what the window shows, rows of `width`
};

// False when the display thread did not answer within a few seconds.
bool Snapshot(DisplayWindow& window, NativeSnapshot& out, bool withPixels = false);
bool Click(DisplayWindow& window, int32_t x, int32_t y);
bool Close(DisplayWindow& window);
bool UserResize(DisplayWindow& window, int32_t width, int32_t height);
bool TriggerMenuItem(DisplayWindow& window, const std::string& menu, const std::string& item);
bool TriggerShortcut(DisplayWindow& window, char letter);
bool Activate(DisplayWindow& window, bool active);
// Drops as the desktop would deliver them: a kit message payload made by process
// `sourcePid` (see DragPayload.h), or files.
bool DropMessage(DisplayWindow& window, int32_t x, int32_t y, const std::vector<uint8_t>& message,
	int64_t sourcePid, bool carriesPointers);
bool DropFiles(DisplayWindow& window, int32_t x, int32_t y, const std::vector<std::string>& paths);
// Presses button `index` of the alert that is showing; false if none shows.
bool AnswerAlert(int32_t index);
// The title of the alert that is showing, and its button labels; empty if none.
std::vector<std::string> ShowingAlert();

} // namespace zoetra::display::probe
