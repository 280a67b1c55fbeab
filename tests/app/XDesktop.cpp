// Xvfb started with -displayfd, driven by xdotool; screenshots through ImageMagick's import.
#include "XDesktop.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xlib.h>

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
	return system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null"
				  " && command -v import >/dev/null") == 0;
}

bool XDesktop::Start()
{
	int displayPipe[2];
	if (pipe(displayPipe) != 0)
		return false;
	fPid = fork();
	if (fPid == 0) {
		close(displayPipe[0]);
		const std::string fd = std::to_string(displayPipe[1]);
		execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
			"-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
		_exit(127);
	}
	close(displayPipe[1]);
	// Xvfb writes the display number and a newline once it accepts connections.
	std::string number;
	char c;
	while (read(displayPipe[0], &c, 1) == 1 && c != '\n')
		number += c;
	close(displayPipe[0]);
	if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos)
		return false;
	fDisplay = ":" + number;
	setenv("DISPLAY", fDisplay.c_str(), 1);
	return true;
}

XDesktop::~XDesktop()
{
	if (fPid > 0) {
		kill(fPid, SIGTERM);
		waitpid(fPid, nullptr, 0);
	}
}

std::vector<std::string> XDesktop::Windows(const std::string& pattern) const
{
	std::istringstream lines(RunCommand("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null"));
	std::vector<std::string> windows;
	std::string line;
	while (std::getline(lines, line))
		if (!line.empty())
			windows.push_back(line);
	return windows;
}

std::string XDesktop::WaitForWindow(const std::string& pattern, std::chrono::milliseconds bound) const
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

WindowGeometry XDesktop::Geometry(const std::string& window) const
{
	WindowGeometry geometry;
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
	Display* display = XOpenDisplay(nullptr);
	if (display == nullptr)
		return;
	XEvent event {};
	event.xclient.type = ClientMessage;
	event.xclient.window = std::stoul(window);
	event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
	XCloseDisplay(display);
}

void XDesktop::Move(const std::string& window, int x, int y) const
{
	RunCommand("xdotool windowmove --sync " + window + " " + std::to_string(x) + " " + std::to_string(y));
}

void XDesktop::Click(int x, int y) const
{
	RunCommand("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.1 click 1");
}

void XDesktop::Drag(int fromX, int fromY, int toX, int toY) const
{
	RunCommand("xdotool mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) + " sleep 0.1 mousedown 1");
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
	const WindowGeometry geometry = Geometry(window);
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
