// zoetra beside ffplay playing a real file at 320x200, 1920x1080 and 3840x2160: CPU seconds
// of the player and of the X server over 8 s, on a private Xvfb of each size, and the ratio.
//
// The X server is counted because drawing moved into it is still drawing. At the big sizes
// each player fills the screen (zoetra's window is resized to it, ffplay is given its size);
// at 320x200 zoetra's window has its own size, whose view is 320x200.
// Usage: bench_playing [FILE]...   (default: the demo and a test file, both real Animator files)
#include "BenchSupport.h"
#include "CpuTime.h"
#include "PlayerProcess.h"
#include "TemporaryFolder.h"
#include "XDesktop.h"
#include "XvfbServer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

using namespace zoetra::testing;
using namespace std::chrono_literals;
using bench::Median;

namespace {

constexpr int kRuns = 3;
constexpr auto kSettle = 2s; // from the window's appearance to the start of the count
constexpr auto kCounted = 8s;

struct ScreenSize {
	int width;
	int height;
	bool Small() const { return width <= 320; }
};

constexpr ScreenSize kSizes[] = {{320, 200}, {1920, 1080}, {3840, 2160}};

struct Cost {
	double player = 0;
	double server = 0;
	double Total() const { return player + server; }
};

std::string Leaf(const std::string& path)
{
	return path.substr(path.find_last_of('/') + 1);
}

std::string LoadAverage()
{
	std::ifstream file("/proc/loadavg");
	std::string one;
	file >> one;
	return one;
}

// What `player` and `server` use over kCounted, once both have settled.
Cost Count(pid_t player, pid_t server)
{
	std::this_thread::sleep_for(kSettle);
	const double playerBefore = ProcessCpuSeconds(player);
	const double serverBefore = ProcessCpuSeconds(server);
	std::this_thread::sleep_for(kCounted);
	return {ProcessCpuSeconds(player) - playerBefore, ProcessCpuSeconds(server) - serverBefore};
}

bool FillScreen(unsigned long window, const ScreenSize& size)
{
	const std::string id = std::to_string(window);
	return RunTool({"xdotool", "windowmove", id, "0", "0"}).status == 0
		&& RunTool({"xdotool", "windowsize", "--sync", id, std::to_string(size.width),
					   std::to_string(size.height)})
			   .status
		== 0;
}

Cost PlayZoetra(const std::string& file, const ScreenSize& size, const XvfbServer& server)
{
	TemporaryFolder runtime;
	ChildProcess player({PlayerPath(), file},
		{.environment = {"ZOETRA_RUNTIME_DIR=" + runtime.Path(),
			 "XDG_RUNTIME_DIR=" + runtime.Path()},
			.errors = ChildOptions::Errors::Discard,
			.stopSignal = SIGTERM});
	const unsigned long window = WaitForWindow("^" + Leaf(file) + "$", 20s);
	if (window == 0 || (!size.Small() && !FillScreen(window, size))) {
		std::fprintf(stderr, "bench_playing: zoetra's window did not appear or fill the screen\n");
		return {-1, -1};
	}
	return Count(player.Pid(), server.Pid());
}

Cost PlayFfplay(const std::string& file, const ScreenSize& size, const XvfbServer& server)
{
	ChildProcess player({"ffplay", "-loglevel", "quiet", "-loop", "0", "-an", "-noborder", "-left",
							"0", "-top", "0", "-x", std::to_string(size.width), "-y",
							std::to_string(size.height), "-window_title", "ffplay-bench", file},
		{.errors = ChildOptions::Errors::Discard, .stopSignal = SIGTERM});
	if (WaitForWindow("^ffplay-bench$", 20s) == 0) {
		std::fprintf(stderr, "bench_playing: ffplay's window did not appear\n");
		return {-1, -1};
	}
	return Count(player.Pid(), server.Pid());
}

Cost MedianCost(const std::vector<Cost>& runs)
{
	std::vector<double> players, servers;
	for (const Cost& run : runs) {
		players.push_back(run.player);
		servers.push_back(run.server);
	}
	return {Median(players), Median(servers)};
}

void Measure(const std::string& file, bool ffplay)
{
	std::printf("%s: CPU seconds over %lld s of playing, player + X server, median of %d runs "
				"(load average %s)\n",
		Leaf(file).c_str(), static_cast<long long>(kCounted.count()), kRuns, LoadAverage().c_str());
	std::printf("  %-10s %-26s %-26s %s\n", "size", "zoetra + X", "ffplay + X", "ratio");
	for (const ScreenSize& size : kSizes) {
		// The small case keeps zoetra's window, menu bar included, on the screen.
		XvfbServer server(size.Small() ? 640 : size.width, size.Small() ? 480 : size.height);
		if (server.Display().empty()) {
			std::fprintf(stderr, "bench_playing: Xvfb did not start\n");
			return;
		}
		setenv("DISPLAY", server.Display().c_str(), 1);
		std::vector<Cost> zoetraRuns, ffplayRuns;
		// Alternating runs share the load the machine had meanwhile.
		for (int run = 0; run < kRuns; run++) {
			zoetraRuns.push_back(PlayZoetra(file, size, server));
			if (ffplay)
				ffplayRuns.push_back(PlayFfplay(file, size, server));
		}
		const Cost zoetra = MedianCost(zoetraRuns);
		const std::string name = std::to_string(size.width) + "x" + std::to_string(size.height);
		char zoetraText[64];
		std::snprintf(zoetraText, sizeof zoetraText, "%.2f + %.2f = %.2f", zoetra.player,
			zoetra.server, zoetra.Total());
		if (!ffplay) {
			std::printf("  %-10s %-26s (no ffplay)\n", name.c_str(), zoetraText);
			continue;
		}
		const Cost other = MedianCost(ffplayRuns);
		char ffplayText[64];
		std::snprintf(ffplayText, sizeof ffplayText, "%.2f + %.2f = %.2f", other.player,
			other.server, other.Total());
		std::printf("  %-10s %-26s %-26s %.3f%s\n", name.c_str(), zoetraText, ffplayText,
			zoetra.Total() / other.Total(), size.Small() ? "" : "  (goal: at most 0.100)");
	}
}

} // namespace

int main(int argc, char** argv)
{
	std::vector<std::string> files(argv + 1, argv + argc);
	if (files.empty())
		files = {std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli",
			std::string(ZOETRA_TEST_DATA) + "/bounce.fli"};
	if (!XvfbAvailable() || !DesktopToolsAvailable()) {
		std::fprintf(stderr, "bench_playing: needs Xvfb and xdotool\n");
		return 1;
	}
	const bool ffplay = ProgramInstalled("ffplay");
	for (const std::string& file : files)
		Measure(file, ffplay);
	return 0;
}
