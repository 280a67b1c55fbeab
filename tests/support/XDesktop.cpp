// The desktop's tools run as bounded child processes.
#include "XDesktop.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "ChildProcess.h"

namespace zoetra::testing {

namespace {

constexpr auto kScreenBound = std::chrono::seconds(20);
constexpr auto kSearchPause = std::chrono::milliseconds(20);

bool Xdotool(std::vector<std::string> arguments)
{
	arguments.insert(arguments.begin(), "xdotool");
	return RunTool(arguments).status == 0;
}

// `words` split at spaces, after `before`.
std::vector<std::string> Words(std::vector<std::string> before, const std::string& words)
{
	std::istringstream stream(words);
	for (std::string word; stream >> word;)
		before.push_back(word);
	return before;
}

// Searches until `found` accepts what the search gives; what it gave last.
std::vector<unsigned long> SearchUntil(const std::string& pattern, std::chrono::milliseconds bound,
	bool (*found)(const std::vector<unsigned long>&))
{
	const auto deadline = std::chrono::steady_clock::now() + bound;
	std::vector<unsigned long> windows = Windows(pattern);
	while (!found(windows) && std::chrono::steady_clock::now() < deadline) {
		std::this_thread::sleep_for(kSearchPause);
		windows = Windows(pattern);
	}
	return windows;
}

} // namespace

bool DesktopToolsAvailable()
{
	return ProgramInstalled("xdotool") && ProgramInstalled("xwininfo")
		&& ProgramInstalled("import");
}

std::vector<unsigned long> Windows(const std::string& pattern)
{
	std::istringstream lines(
		RunTool({"xdotool", "search", "--onlyvisible", "--name", pattern}).output);
	std::vector<unsigned long> windows;
	for (unsigned long window; lines >> window;)
		windows.push_back(window);
	return windows;
}

unsigned long WaitForWindow(const std::string& pattern, std::chrono::milliseconds bound)
{
	const auto windows = SearchUntil(
		pattern, bound, [](const std::vector<unsigned long>& found) { return found.size() == 1; });
	return windows.size() == 1 ? windows[0] : 0;
}

unsigned long FindWindow(const std::string& title, std::chrono::milliseconds bound)
{
	const auto windows = SearchUntil("^" + title + "$", bound,
		[](const std::vector<unsigned long>& found) { return !found.empty(); });
	return windows.empty() ? 0 : windows[0];
}

bool WaitUntilGone(const std::string& pattern, std::chrono::milliseconds bound)
{
	return SearchUntil(pattern, bound, [](const std::vector<unsigned long>& found) {
		return found.empty();
	}).empty();
}

std::string WindowName(unsigned long window)
{
	std::string name = RunTool({"xdotool", "getwindowname", std::to_string(window)}).output;
	while (!name.empty() && name.back() == '\n')
		name.pop_back();
	return name;
}

bool WindowGeometry(unsigned long window, XWindowGeometry& geometry)
{
	const ToolResult info = RunTool({"xwininfo", "-id", std::to_string(window)});
	if (info.status != 0)
		return false;
	auto field = [&](const char* label) {
		const size_t at = info.output.find(label);
		return at == std::string::npos ? -1
									   : std::atoi(info.output.c_str() + at + std::strlen(label));
	};
	geometry.x = field("Absolute upper-left X:");
	geometry.y = field("Absolute upper-left Y:");
	geometry.width = field("Width:");
	geometry.height = field("Height:");
	return geometry.width > 0 && geometry.height > 0;
}

bool MoveWindow(unsigned long window, int x, int y)
{
	return Xdotool(
		{"windowmove", "--sync", std::to_string(window), std::to_string(x), std::to_string(y)});
}

bool FocusWindow(unsigned long window)
{
	return Xdotool({"windowfocus", "--sync", std::to_string(window)});
}

bool CloseWindow(unsigned long window)
{
#ifdef ZOETRA_X11_CLOSE
	return RunTool({ZOETRA_X11_CLOSE, std::to_string(window)}).status == 0;
#else
	(void)window;
	return false;
#endif
}

bool MoveMouse(int x, int y)
{
	return Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)});
}

bool Click(int x, int y, int button)
{
	// No --sync here: a click where the pointer already is would wait for a move forever.
	return Xdotool({"mousemove", std::to_string(x), std::to_string(y), "sleep", "0.1", "click",
		std::to_string(button)});
}

bool MouseDown(int button)
{
	return Xdotool({"mousedown", std::to_string(button)});
}

bool MouseUp(int button)
{
	return Xdotool({"mouseup", std::to_string(button)});
}

bool Drag(int fromX, int fromY, int toX, int toY)
{
	if (!Xdotool({"mousemove", std::to_string(fromX), std::to_string(fromY), "sleep", "0.1",
			"mousedown", "1"}))
		return false;
	// The drag needs motion to begin, and time for each step to reach the window.
	constexpr int kSteps = 8;
	for (int step = 1; step <= kSteps; step++) {
		const int x = fromX + (toX - fromX) * step / kSteps;
		const int y = fromY + (toY - fromY) * step / kSteps;
		if (!Xdotool({"mousemove", std::to_string(x), std::to_string(y)}))
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	std::this_thread::sleep_for(std::chrono::milliseconds(150));
	return MouseUp(1);
}

bool Key(const std::string& keys)
{
	return Xdotool(Words({"key", "--clearmodifiers"}, keys));
}

bool Key(unsigned long window, const std::string& keys)
{
	return Xdotool(
		Words({"windowfocus", "--sync", std::to_string(window), "key", "--clearmodifiers"}, keys));
}

bool TypeText(const std::string& text)
{
	return Xdotool({"type", "--delay", "5", text});
}

bool Screenshot(int x, int y, int width, int height, std::vector<uint32_t>& pixels)
{
	const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+"
		+ std::to_string(x) + "+" + std::to_string(y);
	const ToolResult shot =
		RunTool({"import", "-silent", "-window", "root", "-crop", crop, "-depth", "8", "rgb:-"},
			kScreenBound);
	if (shot.status != 0 || shot.output.size() != size_t(width) * size_t(height) * 3)
		return false;
	pixels.resize(size_t(width) * size_t(height));
	const auto* bytes = reinterpret_cast<const uint8_t*>(shot.output.data());
	for (size_t i = 0; i < pixels.size(); i++)
		pixels[i] = 0xff000000u | uint32_t(bytes[3 * i]) << 16 | uint32_t(bytes[3 * i + 1]) << 8
			| bytes[3 * i + 2];
	return true;
}

bool SaveScreen(const std::string& path)
{
	return RunTool({"import", "-silent", "-window", "root", path}, kScreenBound).status == 0;
}

} // namespace zoetra::testing
