// The play thread: states, play order through the ring frame, delays, stopping, the guard.
#include <gtest/gtest.h>

#include <Errors.h>

#include <AnimationBuffers.h>

#include "fli/Format.h"
#include "fli/FrameWalk.h"

#include <atomic>
#include <ctime>
#include <thread>

#include "DisplayHarness.h"
#include "PlaybackHarness.h"
#include "WaitFor.h"
#include "Watchdog.h"

using namespace zoetra::testing;

namespace {

// Frames decoded, in order, until `count` have been; the view is stopped afterwards.
std::vector<size_t> PlayAndCollect(OpenWindow& window, const fli::test::Bytes& file, size_t count)
{
	ProbeView* view = window->View();
	view->ForgetFrames();
	view->SetData(HeapCopy(file), file.size());
	EXPECT_TRUE(view->WaitForFrames(count)) << "only " << view->DecodedFrames().size() << " frames";
	view->Stop();
	return view->DecodedOffsets();
}

double ProcessCpuSeconds()
{
	timespec now;
	clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
	return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

TEST(PlaybackEngine, GoesFromEmptyToPlayingToStoppedAndBackWithANewBuffer)
{
	OpenWindow window = Open("States");
	ProbeView* view = window->View();
	const uint32* pixels = view->Pixels();
	EXPECT_TRUE(std::all_of(pixels, pixels + fli::kPixelCount, [](uint32 p) {
		return p == 0xFFFFFFFFu;
	})) << "a new view shows white";
	EXPECT_EQ(view->Data(), nullptr);
	EXPECT_EQ(view->Thread(), 0);
	EXPECT_EQ(view->GetState(), FliView::STOP);

	view->Stop();
	EXPECT_EQ(view->Thread(), 0) << "Stop on an Empty view does nothing";
	EXPECT_EQ(view->GetState(), FliView::STOP);

	const auto file = CountedFile(3, 1);
	unsigned char* first = HeapCopy(file);
	view->SetData(first, file.size());
	EXPECT_EQ(view->Data(), first);
	EXPECT_EQ(view->Size(), file.size());
	EXPECT_GT(view->Thread(), 0);
	EXPECT_EQ(view->GetState(), FliView::PLAY);
	ASSERT_TRUE(view->WaitForFrames(2));

	view->Stop();
	EXPECT_EQ(view->Thread(), 0);
	EXPECT_EQ(view->GetState(), FliView::STOP);
	EXPECT_EQ(view->Data(), first) << "a stopped view keeps its buffer";
	const size_t framesWhenStopped = view->DecodedFrames().size();
	view->Stop();
	EXPECT_EQ(view->Thread(), 0) << "a second Stop does nothing";
	EXPECT_EQ(view->DecodedFrames().size(), framesWhenStopped) << "nothing plays after Stop";

	// Stopped -> Playing, then Playing -> Playing: each SetData frees the buffer before.
	unsigned char* second = HeapCopy(file);
	view->SetData(second, file.size());
	EXPECT_EQ(view->Data(), second);
	EXPECT_EQ(view->GetState(), FliView::PLAY);
	unsigned char* third = HeapCopy(file);
	view->SetData(third, file.size());
	EXPECT_EQ(view->Data(), third);
	EXPECT_GT(view->Thread(), 0);
	EXPECT_EQ(view->GetState(), FliView::PLAY);

	view->ForgetFrames();
	view->SetData(third, file.size());
	EXPECT_EQ(view->Data(), third) << "its own buffer again is kept, not freed";
	EXPECT_TRUE(view->WaitForFrames(3));
	EXPECT_EQ(view->DecodedOffsets()[0], FrameOffsets(file, 1)[0]) << "and plays from the start";

	view->SetData(nullptr, 0);
	EXPECT_EQ(view->Data(), nullptr) << "a null buffer leaves the view without animation";
	EXPECT_EQ(view->Thread(), 0);
	EXPECT_EQ(view->GetState(), FliView::STOP);
	EXPECT_TRUE(Close(window));
}

TEST(PlaybackEngine, AStopBeforeTheFirstCheckDrawsBlackOnceAndDecodesNothing)
{
	OpenWindow window = Open("Early stop");
	ProbeView* view = window->View();
	view->stopAtFirstDraw = true;
	const auto file = CountedFile(2, 1);
	view->SetData(HeapCopy(file), file.size());
	view->Stop();
	EXPECT_EQ(view->PlayThreadDraws(), 1);
	EXPECT_EQ(view->BlackPlayThreadDraws(), 1);
	EXPECT_TRUE(view->DecodedFrames().empty());
	EXPECT_EQ(view->GetState(), FliView::STOP);
	EXPECT_TRUE(Close(window));
}

TEST(PlaybackEngine, PlaysThroughTheRingFrameThenFromTheSecondFrame)
{
	OpenWindow window = Open("Order");
	{
		const auto file = CountedFile(2, 1);
		const auto f = FrameOffsets(file, 3);
		const auto decoded = PlayAndCollect(window, file, 7);
		ASSERT_GE(decoded.size(), 7u);
		EXPECT_EQ(std::vector<size_t>(decoded.begin(), decoded.begin() + 7),
			(std::vector<size_t>{f[0], f[1], f[2], f[1], f[2], f[1], f[2]}));
	}
	{
		const auto file = CountedFile(1, 1);
		const auto f = FrameOffsets(file, 2);
		const auto decoded = PlayAndCollect(window, file, 5);
		ASSERT_GE(decoded.size(), 5u);
		EXPECT_EQ(std::vector<size_t>(decoded.begin(), decoded.begin() + 5),
			(std::vector<size_t>{f[0], f[1], f[1], f[1], f[1]}));
	}
	{
		// Later passes of a frame count of 0 show nothing: frame 0 once, then sleep.
		const auto file = CountedFile(0, 1);
		const auto f = FrameOffsets(file, 1);
		ProbeView* view = window->View();
		view->ForgetFrames();
		view->SetData(HeapCopy(file), file.size());
		ASSERT_TRUE(view->WaitForFrames(1));
		EXPECT_EQ(view->DecodedOffsets(), std::vector<size_t>{f[0]});
		view->Stop();
		EXPECT_EQ(view->DecodedOffsets(), std::vector<size_t>{f[0]});
		EXPECT_EQ(view->PlayThreadDraws(), 2) << "the black frame and frame 0";
	}
	EXPECT_TRUE(Close(window));
}

TEST(PlaybackEngine, FilesThatShowNoFrameSleepInsteadOfSpinning)
{
	OpenWindow window = Open("No frames");
	ProbeView* view = window->View();
	for (const int16_t frameCount : {int16_t(0), int16_t(-1)}) {
		const auto file = CountedFile(frameCount, 1);
		view->ForgetFrames();
		view->SetData(HeapCopy(file), file.size());
		const double cpuBefore = ProcessCpuSeconds();
		const bigtime_t start = system_time();
		// Real waiting is the point here: how much CPU the thread burns meanwhile.
		snooze(400000);
		const double wall = double(system_time() - start) / 1e6;
		const double cpu = ProcessCpuSeconds() - cpuBefore;
		view->Stop();
		// A spinning play thread takes a whole core; a sleeping one next to nothing.
		EXPECT_LT(cpu, wall * 0.5) << "frame count " << frameCount;
		EXPECT_LE(view->DecodedFrames().size(), frameCount == 0 ? 1u : 0u)
			<< "frame count " << frameCount;
	}
	EXPECT_TRUE(Close(window));
}

TEST(PlaybackEngine, SleepsTheSpeedTimesSixtiethsOfASecondAfterEachFrame)
{
	EXPECT_EQ(fli::FrameDelayMicroseconds(0), 33332);
	EXPECT_EQ(fli::FrameDelayMicroseconds(1), 16666);
	EXPECT_EQ(fli::FrameDelayMicroseconds(5), 83330);
	EXPECT_EQ(fli::FrameDelayMicroseconds(-3), 33332) << "a negative speed plays like 0";
	EXPECT_EQ(fli::FrameDelayMicroseconds(32767), bigtime_t(32767) * 16666);

	OpenWindow window = Open("Delays");
	ProbeView* view = window->View();
	const std::pair<int16_t, bigtime_t> cases[] = {{0, 33332}, {1, 16666}, {5, 83330}, {-2, 33332}};
	for (const auto& [speed, delay] : cases) {
		const auto file = CountedFile(3, speed);
		view->ForgetFrames();
		view->SetData(HeapCopy(file), file.size());
		ASSERT_TRUE(view->WaitForFrames(5)) << "speed " << speed;
		view->Stop();
		const auto frames = view->DecodedFrames();
		for (size_t i = 1; i < 5; i++) {
			const bigtime_t period = frames[i].when - frames[i - 1].when;
			// Bounds that catch a missing or runaway sleep, not scheduling jitter.
			EXPECT_GE(period, delay - 1000) << "speed " << speed << " frame " << i;
			EXPECT_LT(period, delay + 500000) << "speed " << speed << " frame " << i;
		}
	}
	EXPECT_TRUE(Close(window));
}

TEST(PlaybackEngine, StopCutsANineMinuteDelayShortWithinAFrame)
{
	OpenWindow window = Open("Slow");
	ProbeView* view = window->View();
	const auto file = CountedFile(3, 32767);
	view->SetData(HeapCopy(file), file.size());
	ASSERT_TRUE(view->WaitForFrames(1));
	ASSERT_TRUE(WaitFor([&] {
		int32 count = 0;
		return get_sem_count(view->WakeSemaphore(), &count) == B_OK && count < 0;
	})) << "the play thread never went to sleep";
	const bigtime_t asked = system_time();
	{
		Watchdog watchdog(std::chrono::seconds(20), "Stop during a long frame delay");
		view->Stop();
	}
	EXPECT_LT(system_time() - asked, 5000000) << "Stop waited for the delay";
	EXPECT_LE(view->DecodedFrames().size(), 2u) << "at most one frame after the stop";
	EXPECT_TRUE(Close(window));
}

TEST(PlaybackEngine, AFailedThreadStartLeavesTheViewStopped)
{
	OpenWindow window = Open("No thread");
	ProbeView* view = window->View();
	view->failSpawn = true;
	const auto file = CountedFile(2, 1);
	unsigned char* data = HeapCopy(file);
	view->SetData(data, file.size());
	EXPECT_EQ(view->Thread(), 0);
	EXPECT_EQ(view->GetState(), FliView::STOP);
	EXPECT_EQ(view->Data(), data) << "the view owns the buffer all the same";
	BMessage drag(FLI_DRAG);
	EXPECT_FALSE(view->MakeDragMessage(&drag)) << "nothing plays, so nothing drags";
	view->Stop();
	EXPECT_EQ(view->Thread(), 0);

	view->failSpawn = false;
	view->SetData(HeapCopy(file), file.size());
	EXPECT_GT(view->Thread(), 0);
	EXPECT_TRUE(view->WaitForFrames(1));
	EXPECT_TRUE(Close(window));
}

TEST(PlayStateGuard, ManyThreadsKeepTheStateExactAndTheGuardBalanced)
{
	OpenWindow window = Open("Guard");
	ProbeView* view = window->View();
	constexpr int kThreads = 8, kRounds = 20000;
	std::atomic<int> wrong{0};
	std::vector<std::thread> threads;
	for (int t = 0; t < kThreads; t++)
		threads.emplace_back([&, t] {
			for (int i = 0; i < kRounds; i++) {
				view->SetState((t + i) % 2 == 0 ? FliView::PLAY : FliView::STOP);
				const int16 state = view->GetState();
				if (state != FliView::PLAY && state != FliView::STOP)
					wrong++;
			}
		});
	for (auto& thread : threads)
		thread.join();
	EXPECT_EQ(wrong, 0);
	EXPECT_EQ(atomic_get(view->StateCounter()), 0) << "every entry was matched by a leave";
	int32 count = -1;
	ASSERT_EQ(get_sem_count(view->StateSemaphore(), &count), B_OK);
	EXPECT_EQ(count, 0) << "the semaphore gathered spare counts";
	view->SetState(FliView::PLAY);
	EXPECT_EQ(view->GetState(), FliView::PLAY);
	view->SetState(FliView::STOP);
	EXPECT_EQ(view->GetState(), FliView::STOP);
	EXPECT_TRUE(Close(window));
}

TEST(PlayStateGuard, AThreadInsideMakesTheNextOneWaitOnTheSemaphore)
{
	OpenWindow window = Open("Guard held");
	ProbeView* view = window->View();
	// Stand in for a thread inside the guard.
	atomic_add(view->StateCounter(), 1);
	std::atomic<bool> stored{false};
	std::thread setter([&] {
		view->SetState(FliView::PLAY);
		stored = true;
	});
	EXPECT_TRUE(WaitFor([&] {
		int32 count = 0;
		return get_sem_count(view->StateSemaphore(), &count) == B_OK && count < 0;
	})) << "the second thread did not wait on the semaphore";
	EXPECT_FALSE(stored);
	// Leave as the guard does: a waiter is there, so release it.
	if (atomic_add(view->StateCounter(), -1) > 1)
		release_sem(view->StateSemaphore());
	setter.join();
	EXPECT_TRUE(stored);
	EXPECT_EQ(view->GetState(), FliView::PLAY);
	view->SetState(FliView::STOP);
	EXPECT_TRUE(Close(window));
}

TEST(PlayStateGuard, ADeletedSemaphoreReadsAsStopOnlyWhenTheGuardIsContended)
{
	OpenWindow window = Open("Guard gone");
	ProbeView* view = window->View();
	view->SetState(FliView::PLAY);
	ASSERT_EQ(delete_sem(view->StateSemaphore()), B_OK);
	// Uncontended, the guard never touches the semaphore.
	EXPECT_EQ(view->GetState(), FliView::PLAY);
	atomic_add(view->StateCounter(), 1);
	EXPECT_EQ(view->GetState(), FliView::STOP);
	EXPECT_EQ(atomic_get(view->StateCounter()), 2) << "a failed entry keeps its increment";
	view->SetState(FliView::STOP);
	EXPECT_EQ(atomic_get(view->StateCounter()), 3);
	atomic_set(view->StateCounter(), 0);
	EXPECT_EQ(view->GetState(), FliView::PLAY) << "the failed SetState stored nothing";
	view->SetState(FliView::STOP);
	EXPECT_TRUE(Close(window));
}
