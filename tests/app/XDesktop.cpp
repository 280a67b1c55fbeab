// The player's desktop in tests: a private Xvfb driven by xdotool; screenshots through ImageMagick's import.
#include "XDesktop.h"

#include "XvfbServer.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace zoetra::testing {

std::string RunCommand(const std::string& command)
{
	std::string output;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr)
		return output;
	std::array<char, 4096> chunk;
	size_t count;
	while ((count = fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
		output.append(chunk.data(), count);
	pclose(pipe);
	return output;
}

bool XDesktop::Available()
{
	return XvfbAvailable()
		&& system("command -v xdotool >/dev/null && command -v import >/dev/null") == 0;
}

// The server itself is the one the kit's tests use; this class adds what a user of the
// player does on it.
bool XDesktop::Start()
{
	fServer = std::make_unique<XvfbServer>();
	if (fServer->Display().empty())
		return false;
	setenv("DISPLAY", fServer->Display().c_str(), 1);
	return true;
}

XDesktop::~XDesktop() = default;

std::vector<std::string> XDesktop::Windows(const std::string& pattern) const
{
	std::istringstream lines(
		RunCommand("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null"));
	std::vector<std::string> windows;
	std::string line;
	while (std::getline(lines, line))
		if (!line.empty())
			windows.push_back(line);
	return windows;
}

std::string XDesktop::WaitForWindow(
	const std::string& pattern, std::chrono::milliseconds bound) const
{
	const auto deadline = std::chrono::steady_clock::now() + bound;
	do {
		std::vector<std::string> found = Windows(pattern);
		if (found.size() == 1)
			return found[0];
		std::this_thread::sleep_for(20ms);
	} while (std::chrono::steady_clock::now() < deadline);
	return "";
}

bool XDesktop::WaitUntilGone(const std::string& pattern, std::chrono::milliseconds bound) const
{
	const auto deadline = std::chrono::steady_clock::now() + bound;
	do {
		if (Windows(pattern).empty())
			return true;
		std::this_thread::sleep_for(20ms);
	} while (std::chrono::steady_clock::now() < deadline);
	return false;
}

std::string XDesktop::Name(const std::string& window) const
{
	std::string name = RunCommand("xdotool getwindowname " + window + " 2>/dev/null");
	while (!name.empty() && name.back() == '\n')
		name.pop_back();
	return name;
}

XWindowGeometry XDesktop::Geometry(const std::string& window) const
{
	XWindowGeometry geometry;
	std::istringstream lines(RunCommand("xdotool getwindowgeometry --shell " + window));
	std::string line;
	while (std::getline(lines, line)) {
		const auto equals = line.find('=');
		if (equals == std::string::npos)
			continue;
		const std::string key = line.substr(0, equals);
		const int value = std::atoi(line.c_str() + equals + 1);
		if (key == "X")
			geometry.x = value;
		else if (key == "Y")
			geometry.y = value;
		else if (key == "WIDTH")
			geometry.width = value;
		else if (key == "HEIGHT")
			geometry.height = value;
	}
	return geometry;
}

void XDesktop::Key(const std::string& window, const std::string& keys) const
{
	RunCommand("xdotool windowfocus --sync " + window + " key --clearmodifiers " + keys);
}

void XDesktop::CloseBox(const std::string& window) const
{
	CloseWindow(std::stoul(window));
}

void XDesktop::Move(const std::string& window, int x, int y) const
{
	RunCommand(
		"xdotool windowmove --sync " + window + " " + std::to_string(x) + " " + std::to_string(y));
}

void XDesktop::Click(int x, int y) const
{
	RunCommand(
		"xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click 1");
}

void XDesktop::Drag(int fromX, int fromY, int toX, int toY) const
{
	RunCommand("xdotool mousemove " + std::to_string(fromX) + " " + std::to_string(fromY)
		+ " sleep 0.1 mousedown 1");
	constexpr int kSteps = 8;
	for (int step = 1; step <= kSteps; step++) {
		const int x = fromX + (toX - fromX) * step / kSteps;
		const int y = fromY + (toY - fromY) * step / kSteps;
		RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
		std::this_thread::sleep_for(50ms);
	}
	std::this_thread::sleep_for(150ms);
	RunCommand("xdotool mouseup 1");
}

void XDesktop::FileMenu(const std::string& window, const std::string& keys) const
{
	const XWindowGeometry geometry = Geometry(window);
	RunCommand("xdotool windowfocus --sync " + window);
	Click(geometry.x + 20, geometry.y + 8);
	std::this_thread::sleep_for(300ms);
	RunCommand("xdotool key " + keys);
}

std::vector<uint32_t> XDesktop::Grab(int x, int y, int width, int height) const
{
	const std::string bytes = RunCommand("import -window root -crop " + std::to_string(width) + "x"
		+ std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y)
		+ " -depth 8 rgb:- 2>/dev/null");
	std::vector<uint32_t> pixels;
	if (bytes.size() != size_t(width) * size_t(height) * 3)
		return pixels;
	pixels.reserve(size_t(width) * size_t(height));
	for (size_t i = 0; i < bytes.size(); i += 3)
		pixels.push_back(uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8
			| uint8_t(bytes[i + 2]));
	return pixels;
}

} // namespace zoetra::testing
