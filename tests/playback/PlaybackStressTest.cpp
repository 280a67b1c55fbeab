// Eight playing views in real windows: SetData and Stop from two threads while the windows
// are resized, redrawn and dragged from; no race, no deadlock, no lost buffer or thread.
#include <gtest/gtest.h>

#include <Errors.h>

#include <AnimationBuffers.h>

#include <atomic>
#include <random>
#include <thread>

#include "DisplayHarness.h"
#include "DisplayProbe.h"
#include "DisplayWindow.h"
#include "PlaybackHarness.h"
#include "private/interface/WindowPrivate.h"
#include "Watchdog.h"

using namespace zoetra::testing;
namespace probe = zoetra::display::probe;

TEST(PlaybackStress, ThousandSetDataAndStopCyclesBesideResizesDrawsAndDrags)
{
	constexpr int kViews = 8;
	constexpr int kCyclesPerThread = 500;
	const std::vector<unsigned char> demo = DemoFile();
	ASSERT_GT(demo.size(), 128u);
	const size_t buffersBefore = CountAnimationBuffers();

	std::vector<OpenWindow> windows;
	for (int i = 0; i < kViews; i++) {
		const float x = 40.0f + 60.0f * float(i % 4), y = 40.0f + 60.0f * float(i / 4);
		windows.push_back(
			Open(("Stress " + std::to_string(i)).c_str(), BRect(x, y, x + 319, y + 199)));
	}

	Watchdog watchdog(std::chrono::minutes(4), "the playback stress test");
	std::atomic<bool> done{false};
	std::atomic<int> cycles{0}, copies{0};

	auto cycler = [&](int offset) {
		for (int i = 0; i < kCyclesPerThread; i++) {
			// Both threads meet on the same views now and then.
			ProbeView* view = windows[size_t((i * 3 + offset) % kViews)]->View();
			view->SetData(HeapCopy(demo), demo.size());
			if (i % 2 == 0)
				windows[size_t((i + offset + 1) % kViews)]->View()->Stop();
			cycles++;
		}
	};
	auto resizer = [&] {
		std::minstd_rand random(7);
		for (int round = 0; !done; round++) {
			PlaybackWindow* window = windows[size_t(round % kViews)].get();
			const float width = float(160 + random() % 500), height = float(100 + random() % 400);
			if (round % 3 == 0) {
				probe::UserResize(
					BPrivate::WindowPrivate::Display(window), int32(width), int32(height));
			} else if (window->Lock()) {
				window->ResizeTo(width, height);
				window->View()->Invalidate();
				window->Unlock();
			}
		}
	};
	auto dragger = [&] {
		for (int round = 0; !done; round++) {
			BMessage drag(FLI_DRAG);
			if (!windows[size_t(round % kViews)]->View()->MakeDragMessage(&drag))
				continue;
			uint8* copy = nullptr;
			uint32 size = 0;
			if (CopyAnimation(&drag, &copy, &size) == B_OK) {
				EXPECT_EQ(size, demo.size());
				delete[] copy;
				copies++;
			}
		}
	};

	std::thread resizing(resizer), dragging(dragger);
	std::thread first(cycler, 0), second(cycler, 5);
	first.join();
	second.join();
	done = true;
	resizing.join();
	dragging.join();
	EXPECT_EQ(cycles, 2 * kCyclesPerThread);

	for (auto& window : windows) {
		window->View()->Stop();
		EXPECT_EQ(window->View()->Thread(), 0);
		EXPECT_EQ(window->View()->GetState(), FliView::STOP);
	}
	EXPECT_EQ(find_thread("fli_thread"), B_NAME_NOT_FOUND) << "a play thread outlived its Stop";
	EXPECT_EQ(CountAnimationBuffers(), buffersBefore + kViews)
		<< "each view holds exactly one buffer";
	for (auto& window : windows)
		EXPECT_TRUE(Close(window));
	EXPECT_EQ(CountAnimationBuffers(), buffersBefore);
}
