// A private X server (Xvfb) and what a user does on it, through xdotool and ImageMagick.
#pragma once

#include "XvfbServer.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zoetra::testing {

using namespace std::chrono_literals;

// One Xvfb per test program; Start() sets DISPLAY for this process and its children.
class XDesktop {
public:
	static bool Available();
	bool Start();
	~XDesktop();

	// Top-level windows whose name matches `pattern` (an extended regular expression).
	std::vector<std::string> Windows(const std::string& pattern) const;
	// Waits until exactly one window matches and returns it; "" after `bound`.
	std::string WaitForWindow(
		const std::string& pattern, std::chrono::milliseconds bound = 10s) const;
	bool WaitUntilGone(const std::string& pattern, std::chrono::milliseconds bound = 10s) const;
	std::string Name(const std::string& window) const;
	XWindowGeometry Geometry(const std::string& window) const;

	void Key(const std::string& window, const std::string& keys) const;
	// What a window manager sends when the user clicks the window's close box.
	void CloseBox(const std::string& window) const;
	void Move(const std::string& window, int x, int y) const;
	void Click(int x, int y) const;
	// Presses at `from`, moves in steps, releases at `to`.
	void Drag(int fromX, int fromY, int toX, int toY) const;
	// Picks a File menu item by keyboard: the menu opens on a click on its title, then
	// `keys` move through it.
	void FileMenu(const std::string& window, const std::string& keys) const;

	// The screen's pixels in the rectangle, as 0xRRGGBB values in rows.
	std::vector<uint32_t> Grab(int x, int y, int width, int height) const;

private:
	std::unique_ptr<XvfbServer> fServer;
};

// Runs a shell command; its standard output.
std::string RunCommand(const std::string& command);

} // namespace zoetra::testing
