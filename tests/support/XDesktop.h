// What a user does on the X desktop that DISPLAY names: find windows, use the mouse and the
// keyboard, read the screen. Through xdotool, xwininfo and ImageMagick's import, each run
// with a bound; every call returns false (or 0, or nothing) when its tool failed.
//
// How to use (on the server of XvfbServer.h):
//   const unsigned long window = WaitForWindow("^demo.fli$"); // 0 when it did not appear
//   ASSERT_NE(window, 0u);
//   XWindowGeometry where;
//   ASSERT_TRUE(WindowGeometry(window, where));
//   Key(window, "ctrl+w");                                  // focuses the window first
//   ASSERT_TRUE(WaitUntilGone("^demo.fli$"));
//   std::vector<uint32_t> pixels;
//   ASSERT_TRUE(Screenshot(where.x, where.y, 320, 200, pixels));
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zoetra::testing {

// True when xdotool, xwininfo and ImageMagick's import are installed.
bool DesktopToolsAvailable();

// Visible top-level windows whose title matches `pattern` (an extended regular expression).
std::vector<unsigned long> Windows(const std::string& pattern);
// Waits until exactly one visible window matches `pattern`; that window, or 0 after `bound`.
unsigned long WaitForWindow(
	const std::string& pattern, std::chrono::milliseconds bound = std::chrono::seconds(10));
// Waits for a visible window titled exactly `title` (the first, if several are); 0 if none.
unsigned long FindWindow(
	const std::string& title, std::chrono::milliseconds bound = std::chrono::seconds(10));
// Waits until no visible window matches `pattern`.
bool WaitUntilGone(
	const std::string& pattern, std::chrono::milliseconds bound = std::chrono::seconds(10));

std::string WindowName(unsigned long window);
struct XWindowGeometry {
	int x = 0, y = 0, width = 0, height = 0; // the client area, in root coordinates
};
bool WindowGeometry(unsigned long window, XWindowGeometry& geometry);
bool MoveWindow(unsigned long window, int x, int y);
bool FocusWindow(unsigned long window);
// Asks the window to close as a window manager's close box does (WM_DELETE_WINDOW).
bool CloseWindow(unsigned long window);

// Moves the pointer and waits until the X server has moved it (so never to where it is).
bool MoveMouse(int x, int y);
// Moves the pointer, lets the window see it there, and clicks.
bool Click(int x, int y, int button = 1);
bool MouseDown(int button = 1);
bool MouseUp(int button = 1);
// Presses at `from`, moves in steps to `to`, releases there.
bool Drag(int fromX, int fromY, int toX, int toY);

// Presses keys such as "ctrl+w" or "Up Up Return" (one after the other).
bool Key(const std::string& keys);
// The same after giving `window` the focus.
bool Key(unsigned long window, const std::string& keys);
bool TypeText(const std::string& text);

// The screen's pixels inside the rectangle, as 0xffRRGGBB, rows of `width`.
bool Screenshot(int x, int y, int width, int height, std::vector<uint32_t>& pixels);
// Saves the whole screen as a PNG (to look at what a test saw).
bool SaveScreen(const std::string& path);

} // namespace zoetra::testing
