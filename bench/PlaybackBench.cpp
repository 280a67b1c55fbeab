// What playing costs: CPU time per second of playing data/demo.fli (64 frames) in a real
// window at 1:1 and at 1280x800, and the measured frame period against speed x 16666 us
// (mean and 99th percentile of the overrun). Runs on a private Xvfb when one is installed,
// on Qt's offscreen platform otherwise; the X server's own CPU time is not counted.
#include <OS.h>
#include <Window.h>

#include <FliView.h>

#include "fli/FrameWalk.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "CpuTime.h"
#include "DisplayHarness.h"
#include "XvfbServer.h"

using namespace zoetra::testing;

namespace {

// Notes when each frame has been decoded; FliView's behaviour is otherwise untouched.
class TimedView : public FliView {
public:
	TimedView(BRect frame, BWindow* window)
		: FliView(frame, window)
	{
	}

	std::vector<bigtime_t> Take()
	{
		std::lock_guard guard(fMutex);
		std::vector<bigtime_t> taken;
		taken.swap(fTimes);
		return taken;
	}

protected:
	void FrameDecoded(const unsigned char*) override
	{
		std::lock_guard guard(fMutex);
		fTimes.push_back(system_time());
	}

private:
	std::mutex fMutex;
	std::vector<bigtime_t> fTimes;
};

struct Result {
	double cpuPercent;
	double meanOverrunMs;
	double p99OverrunMs;
	size_t frames;
};

Result Play(const std::vector<unsigned char>& file, int width, int height, double seconds)
{
	auto* window = new BWindow(BRect(40, 40, 359, 239), "Playback benchmark", B_TITLED_WINDOW_LOOK,
		B_NORMAL_WINDOW_FEEL, 0);
	auto* view = new TimedView(window->Bounds(), window);
	window->AddChild(view);
	window->ResizeTo(float(width - 1), float(height - 1));
	window->Show();

	auto* data = new unsigned char[file.size()];
	std::copy(file.begin(), file.end(), data);
	view->SetData(data, file.size());
	snooze(500000); // settle: the first frames and the window's first exposure
	view->Take();
	const double cpuStart = CpuSeconds();
	const bigtime_t start = system_time();
	snooze(bigtime_t(seconds * 1e6));
	const double cpu = CpuSeconds() - cpuStart;
	const double wall = double(system_time() - start) / 1e6;
	const std::vector<bigtime_t> times = view->Take();
	view->Stop();
	window->Lock();
	window->Quit();

	const bigtime_t delay = fli::FrameWalk(file.data(), file.size()).DelayMicroseconds();
	std::vector<double> overruns;
	for (size_t i = 1; i < times.size(); i++)
		overruns.push_back(double(times[i] - times[i - 1] - delay) / 1000.0);
	std::sort(overruns.begin(), overruns.end());
	double sum = 0;
	for (double overrun : overruns)
		sum += overrun;
	Result result{100.0 * cpu / wall, 0, 0, times.size()};
	if (!overruns.empty()) {
		result.meanOverrunMs = sum / double(overruns.size());
		result.p99OverrunMs = overruns[std::min(overruns.size() - 1, overruns.size() * 99 / 100)];
	}
	return result;
}

} // namespace

int main()
{
	std::ifstream in(std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli", std::ios::binary);
	const std::vector<unsigned char> demo((std::istreambuf_iterator<char>(in)), {});
	if (demo.size() < 128) {
		std::fprintf(stderr, "data/demo.fli is missing\n");
		return 1;
	}
	const bool xvfb = XvfbAvailable() && UseXvfbDisplay();
	if (!xvfb)
		UseOffscreenPlatform();
	std::printf("playback of data/demo.fli on %s; CPU is this process's, %% of one core\n",
		xvfb ? "Xvfb" : "the offscreen platform");
	std::printf("%-6s %-10s %8s %8s %14s %13s\n", "speed", "size", "frames", "CPU %",
		"mean overrun", "p99 overrun");
	RunWithDisplay(
		[&] {
			for (const int speed : {2, 4, 1}) {
				std::vector<unsigned char> file = demo;
				file[16] = uint8_t(speed);
				file[17] = 0;
				for (const auto& [width, height] : {std::pair{320, 200}, std::pair{1280, 800}}) {
					const Result result = Play(file, width, height, 5.0);
					std::printf("%-6d %4dx%-5d %8zu %8.2f %11.3f ms %10.3f ms\n", speed, width,
						height, result.frames, result.cpuPercent, result.meanOverrunMs,
						result.p99OverrunMs);
					std::fflush(stdout);
				}
			}
		},
		std::chrono::seconds(120));
	return 0;
}
