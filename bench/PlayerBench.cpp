// zoetra as a whole beside ffplay -loop 0: launch to first frame, resident memory, CPU while playing.
//
// Runs on a private Xvfb. Usage: bench_player [FILE] (default data/demo.fli).
#include "BenchSupport.h"
#include "CpuTime.h"
#include "PlayerProcess.h"
#include "TemporaryFolder.h"
#include "XDesktop.h"
#include "XvfbServer.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace zoetra::testing;
using Clock = std::chrono::steady_clock;
using bench::Median;

namespace {

constexpr int kRuns = 5;
constexpr int kViewWidth = 320;
constexpr int kViewHeight = 200;

// Something other than a blank (all black or all white) picture is in the rectangle.
bool ShowsAPicture(Display* display, Window window, int x, int y)
{
	XImage* image = XGetImage(display, window, x, y, kViewWidth, kViewHeight, AllPlanes, ZPixmap);
	if (image == nullptr)
		return false;
	bool black = true, white = true;
	for (int row = 0; row < kViewHeight && (black || white); row += 4)
		for (int column = 0; column < kViewWidth; column += 4) {
			const unsigned long pixel = XGetPixel(image, column, row) & 0xffffff;
			black = black && pixel == 0;
			white = white && pixel == 0xffffff;
		}
	XDestroyImage(image);
	return !black && !white;
}

Window OnlyWindow(const std::string& pattern)
{
	const std::vector<unsigned long> found = Windows(pattern);
	return found.size() == 1 ? Window(found[0]) : 0;
}

// Milliseconds from launch until a window named by `pattern` shows a picture at (x, y)
// of its own coordinates (y counted from the bottom when negative).
double FirstFrameMilliseconds(
	const std::function<void()>& launch, const std::string& pattern, int bottomOffset)
{
	Display* display = XOpenDisplay(nullptr);
	const auto start = Clock::now();
	launch();
	double elapsed = -1;
	Window window = 0;
	while (Clock::now() - start < std::chrono::seconds(20)) {
		if (window == 0)
			window = OnlyWindow(pattern);
		XWindowAttributes attributes;
		if (window != 0 && XGetWindowAttributes(display, window, &attributes)
			&& attributes.map_state == IsViewable && attributes.height >= kViewHeight
			&& ShowsAPicture(display, window, 0, attributes.height - kViewHeight - bottomOffset)) {
			elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
			break;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	}
	XCloseDisplay(display);
	return elapsed;
}

long ResidentKiB(pid_t pid)
{
	std::ifstream status("/proc/" + std::to_string(pid) + "/status");
	std::string line;
	while (std::getline(status, line))
		if (line.rfind("VmRSS:", 0) == 0)
			return std::atol(line.c_str() + 6);
	return -1;
}

// A player with its output dropped, asked to end with SIGTERM (and killed if it has not
// ended five seconds later) when it goes.
std::unique_ptr<ChildProcess> Spawn(
	const std::vector<std::string>& command, const TemporaryFolder* runtime = nullptr)
{
	ChildOptions options{.errors = ChildOptions::Errors::Discard, .stopSignal = SIGTERM};
	if (runtime != nullptr)
		options.environment = {
			"ZOETRA_RUNTIME_DIR=" + runtime->Path(), "XDG_RUNTIME_DIR=" + runtime->Path()};
	return std::make_unique<ChildProcess>(command, options);
}

std::vector<std::string> Zoetra(const std::string& file, int windows)
{
	std::vector<std::string> command{PlayerPath()};
	for (int i = 0; i < windows; i++)
		command.push_back(file);
	return command;
}

std::vector<std::string> Ffplay(const std::string& file)
{
	return {
		"ffplay", "-loglevel", "quiet", "-loop", "0", "-an", "-window_title", "ffplay-bench", file};
}

bool HaveFfplay()
{
	return ProgramInstalled("ffplay");
}

void WaitForWindows(const std::string& pattern, size_t count)
{
	const auto deadline = Clock::now() + std::chrono::seconds(20);
	while (Windows(pattern).size() < count && Clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

std::string Leaf(const std::string& path)
{
	return path.substr(path.find_last_of('/') + 1);
}

} // namespace

int main(int argc, char** argv)
{
	const std::string file = argc > 1 ? argv[1] : std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli";
	if (!XvfbAvailable() || !DesktopToolsAvailable() || !UseXvfbDisplay()) {
		std::fprintf(stderr, "bench_player: needs Xvfb, xdotool and ImageMagick\n");
		return 1;
	}
	const bool ffplay = HaveFfplay();
	const std::string title = "^" + Leaf(file) + "$";
	std::printf("file: %s\n", file.c_str());

	std::vector<double> zoetraLaunch, ffplayLaunch;
	for (int run = 0; run < kRuns; run++) {
		TemporaryFolder runtime;
		std::unique_ptr<ChildProcess> player;
		zoetraLaunch.push_back(
			FirstFrameMilliseconds([&] { player = Spawn(Zoetra(file, 1), &runtime); }, title, 0));
		player.reset();
		if (ffplay) {
			ffplayLaunch.push_back(
				FirstFrameMilliseconds([&] { player = Spawn(Ffplay(file)); }, "^ffplay-bench$", 0));
			player.reset();
		}
	}
	std::printf(
		"launch to first frame, median of %d (ms): zoetra %.1f", kRuns, Median(zoetraLaunch));
	if (ffplay)
		std::printf("  ffplay %.1f", Median(ffplayLaunch));
	std::printf("\n");

	std::vector<double> closeTimes;
	for (int run = 0; run < kRuns; run++) {
		TemporaryFolder runtime;
		const auto player = Spawn(Zoetra(file, 1), &runtime);
		const unsigned long window = WaitForWindow(title, std::chrono::seconds(20));
		std::this_thread::sleep_for(std::chrono::milliseconds(300));
		FocusWindow(window);
		const auto start = Clock::now();
		Key("ctrl+w");
		player->WaitForExit(std::chrono::seconds(20));
		closeTimes.push_back(
			std::chrono::duration<double, std::milli>(Clock::now() - start).count());
	}
	std::printf("Ctrl+W on the last window to process end, median of %d (ms): zoetra %.1f\n", kRuns,
		Median(closeTimes));

	for (int windows : {1, 10}) {
		TemporaryFolder runtime;
		auto player = Spawn(Zoetra(file, windows), &runtime);
		WaitForWindows(title, size_t(windows));
		std::this_thread::sleep_for(std::chrono::seconds(2));
		const long zoetraKiB = ResidentKiB(player->Pid());
		player.reset();
		std::printf("resident memory, %2d window(s) playing (MiB): zoetra %.1f", windows,
			zoetraKiB / 1024.0);
		if (ffplay) {
			std::vector<std::unique_ptr<ChildProcess>> players;
			for (int i = 0; i < windows; i++)
				players.push_back(Spawn(Ffplay(file)));
			WaitForWindows("^ffplay-bench$", size_t(windows));
			std::this_thread::sleep_for(std::chrono::seconds(2));
			long total = 0;
			for (const auto& other : players)
				total += ResidentKiB(other->Pid());
			players.clear();
			std::printf("  ffplay %.1f (%d processes)", total / 1024.0, windows);
		}
		std::printf("\n");
	}

	const auto cpuOverTenSeconds = [&](pid_t pid) {
		std::this_thread::sleep_for(std::chrono::seconds(1));
		const double before = ProcessCpuSeconds(pid);
		std::this_thread::sleep_for(std::chrono::seconds(10));
		return ProcessCpuSeconds(pid) - before;
	};
	{
		TemporaryFolder runtime;
		const auto player = Spawn(Zoetra(file, 1), &runtime);
		WaitForWindows(title, 1);
		std::printf("CPU time of 10 s playing (s): zoetra %.2f", cpuOverTenSeconds(player->Pid()));
	}
	if (ffplay) {
		const auto player = Spawn(Ffplay(file));
		WaitForWindows("^ffplay-bench$", 1);
		std::printf("  ffplay %.2f", cpuOverTenSeconds(player->Pid()));
	}
	std::printf("\n");
	return 0;
}
