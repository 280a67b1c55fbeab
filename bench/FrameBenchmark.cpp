// Milliseconds per frame of lock, DrawBitmap, Sync, unlock into a real window, and the CPU
// time that 10 s of drawing at 70 frames a second costs. Runs on a private Xvfb when one
// is installed (so presenting reaches an X server), on Qt's offscreen platform otherwise.
#include <Bitmap.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "CpuTime.h"
#include "DisplayHarness.h"
#include "DisplayWindow.h"
#include "private/interface/WindowPrivate.h"
#include "WaitFor.h"
#include "XvfbServer.h"

using namespace zoetra::testing;
using Clock = std::chrono::steady_clock;

namespace {

struct Scene {
	BWindow* window;
	BView* view;
	BBitmap bitmap{BRect(0, 0, 319, 199), B_RGB32};
};

void DrawFrame(Scene& scene, int frame)
{
	auto* bits = static_cast<uint32*>(scene.bitmap.Bits());
	bits[frame % 64000] ^= 0x00ffffffu; // a changing picture, as a decoder would leave it
	scene.window->Lock();
	scene.view->DrawBitmap(&scene.bitmap, scene.view->Bounds());
	scene.view->Sync();
	scene.window->Unlock();
}

void MeasureFrames(Scene& scene, int width, int height)
{
	scene.window->Lock();
	scene.window->ResizeTo(float(width - 1), float(height - 1));
	scene.window->Unlock();
	for (int i = 0; i < 30; i++)
		DrawFrame(scene, i);
	std::vector<double> times;
	for (int i = 0; i < 300; i++) {
		const auto start = Clock::now();
		DrawFrame(scene, i);
		times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
	}
	std::sort(times.begin(), times.end());
	double sum = 0;
	for (double time : times)
		sum += time;
	std::printf("%4dx%-4d lock+DrawBitmap+Sync+unlock: mean %.3f ms, median %.3f ms, p95 %.3f ms "
				"per frame\n",
		width, height, sum / double(times.size()), times[times.size() / 2],
		times[times.size() * 95 / 100]);

	const auto period = std::chrono::microseconds(1000000 / 70);
	const double cpuBefore = CpuSeconds();
	const auto start = Clock::now();
	auto next = start;
	int frames = 0;
	while (Clock::now() - start < std::chrono::seconds(10)) {
		DrawFrame(scene, frames++);
		next += period;
		const auto wait =
			std::chrono::duration_cast<std::chrono::microseconds>(next - Clock::now()).count();
		snooze(std::max<bigtime_t>(0, wait));
	}
	const double cpu = CpuSeconds() - cpuBefore;
	const double wall = std::chrono::duration<double>(Clock::now() - start).count();
	std::printf(
		"%4dx%-4d 10 s at 70 fps: %d frames, CPU %.2f s (%.1f%% of one core) in this process\n",
		width, height, frames, cpu, 100.0 * cpu / wall);
}

} // namespace

int main()
{
	const bool onX = XvfbAvailable() && UseXvfbDisplay();
	if (!onX)
		UseOffscreenPlatform();
	std::printf("display: %s\n", onX ? "Xvfb (xcb)" : "offscreen");
	RunWithDisplay(
		[] {
			Scene scene;
			scene.window = new BWindow(BRect(0, 0, 319, 199), "Frame benchmark",
				B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0);
			scene.view =
				new BView(scene.window->Bounds(), "picture", B_FOLLOW_ALL_SIDES, B_WILL_DRAW);
			scene.view->SetViewColor(B_TRANSPARENT_32_BIT);
			scene.window->AddChild(scene.view);
			scene.window->Show();
			WaitFor([&] { return BPrivate::WindowPrivate::Display(scene.window).IsExposed(); });
			MeasureFrames(scene, 320, 200);
			MeasureFrames(scene, 1280, 800);
			scene.window->Lock();
			scene.window->Quit();
		},
		std::chrono::seconds(120));
	return 0;
}
