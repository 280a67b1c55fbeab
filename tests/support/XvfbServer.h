// A private X server for tests that need real windows, and the X tools that drive it.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zoetra::testing {

// True when Xvfb is installed (tests that need it skip otherwise).
bool XvfbAvailable();

// Starts Xvfb on a free display number (it picks one and tells us through -displayfd)
// and stops it on destruction. Display() is "" when it could not start.
class XvfbServer {
public:
	explicit XvfbServer(int width = 1280, int height = 1024);
	~XvfbServer();
	XvfbServer(const XvfbServer&) = delete;
	XvfbServer& operator=(const XvfbServer&) = delete;

	const std::string& Display() const { return fDisplay; }

private:
	int fPid = -1;
	std::string fDisplay;
};

// Starts one server for the whole test process and points DISPLAY (and Qt) at it; returns
// false when no server could be started.
bool UseXvfbDisplay();

struct ToolResult {
	int status = -1; // exit status, or -1 if it could not run or was killed by the bound
	std::string output;
};

// Runs a program with arguments (no shell), with a bound after which it is killed.
ToolResult RunTool(const std::vector<std::string>& arguments,
	std::chrono::milliseconds bound = std::chrono::seconds(10));

struct XWindowGeometry {
	int x = 0, y = 0, width = 0, height = 0; // the client area, in root coordinates
};

// The visible top-level window whose title is exactly `title`, waiting up to `bound` for it; 0 if none.
unsigned long FindWindow(
	const std::string& title, std::chrono::milliseconds bound = std::chrono::seconds(10));
bool WindowGeometry(unsigned long window, XWindowGeometry& geometry);
// xdotool wrappers; each returns true when the tool succeeded.
bool MoveMouse(int x, int y);
bool Click(int x, int y, int button = 1);
bool MouseDown(int button = 1);
bool MouseUp(int button = 1);
bool FocusWindow(unsigned long window);
bool Key(const std::string& keys);
bool TypeText(const std::string& text);
// Asks the window to close as a window manager's close box does (WM_DELETE_WINDOW).
bool CloseWindow(unsigned long window);
// The screen's pixels inside the rectangle, as 0xffRRGGBB, rows of `width`.
bool Screenshot(int x, int y, int width, int height, std::vector<uint32_t>& pixels);
// Saves the whole screen as a PNG (to look at what a test saw).
bool SaveScreen(const std::string& path);

} // namespace zoetra::testing
