// FliView as a player: the play thread, its loop through the ring frame, its timing, the
// play-state guard, and SetData/Stop serialised against each other.
#include "FliView.h"

#include "AnimationBuffers.h"

#include "fli/FrameWalk.h"

#include <cassert>
#include <limits>

void FliView::SetData(unsigned char* data, unsigned long size)
{
	std::lock_guard control(controlLock);
	StopPlayThread();
	// The buffer the view already owns, handed in again, is played anew, never freed.
	if (data != nullptr && data == fliData) {
		Start();
		return;
	}
	ReleaseBuffer();
	if (data == nullptr)
		return;
	// An animation buffer's length is a 32-bit count; a longer buffer plays its first 4 GiB.
	const uint32 length = size > std::numeric_limits<uint32>::max()
		? std::numeric_limits<uint32>::max()
		: static_cast<uint32>(size);
	const uint64 generation = RegisterAnimationBuffer(data, length);
	{
		std::lock_guard guard(fieldLock);
		fliData = data;
		fliSize = length;
		fliGeneration = generation;
	}
	Start();
}

void FliView::Stop()
{
	std::lock_guard control(controlLock);
	StopPlayThread();
}

// Forgets and frees the animation buffer. The caller holds controlLock and no play
// thread runs. Unregistering first means no drop is copying from it as it goes.
void FliView::ReleaseBuffer()
{
	uint8* data;
	uint64 generation;
	{
		std::lock_guard guard(fieldLock);
		data = fliData;
		generation = fliGeneration;
		fliData = nullptr;
		fliGeneration = 0;
	}
	if (data == nullptr)
		return;
	UnregisterAnimationBuffer(generation);
	delete[] data;
}

// The caller holds controlLock and not the window's lock, which the play thread needs for
// every frame: waiting for the thread with it held would never end.
void FliView::StopPlayThread()
{
	assert(!CallerHoldsWindowLock());
	if (playThread == 0)
		return;
	SetState(STOP);
	// Cuts a frame delay short: with a speed of up to 32767 a delay lasts nine minutes.
	release_sem(wakeSem);
	status_t exitValue;
	wait_for_thread(playThread, &exitValue);
	// A wake that came while the thread was not sleeping must not shorten the next
	// thread's first delay.
	while (acquire_sem_etc(wakeSem, 1, B_RELATIVE_TIMEOUT, 0) == B_OK) {
	}
	std::lock_guard guard(fieldLock);
	playThread = 0;
}

// The caller holds controlLock; a buffer is set and no play thread runs.
void FliView::Start()
{
	// The play thread locks the window for every frame; without one the view stays Stopped.
	if (window == nullptr)
		return;
	const thread_id thread = SpawnPlayThread();
	// Without a thread the view stays Stopped: playThread 0, state STOP, last picture kept.
	if (thread < 0)
		return;
	{
		std::lock_guard guard(fieldLock);
		playThread = thread;
	}
	SetState(PLAY);
	if (resume_thread(thread) != B_OK)
		StopPlayThread();
}

thread_id FliView::SpawnPlayThread()
{
	return spawn_thread(PlayThread, "fli_thread", B_REAL_TIME_DISPLAY_PRIORITY, this);
}

int32 FliView::PlayThread(void* data)
{
	static_cast<FliView*>(data)->Play();
	return 0;
}

void FliView::FrameDecoded(const unsigned char*)
{
}

// The walk through the frames (first pass 0..count with the ring frame, later passes
// 1..count, bounded by the buffer) is fli::FrameWalk's.
void FliView::Play()
{
	fli::FrameWalk walk(fliData, fliSize);
	const bigtime_t delay = walk.DelayMicroseconds();

	if (window->Lock()) {
		Clear(0);
		// The default rectangle: Draw shows the whole frame buffer whatever it is given.
		Draw(BRect());
		window->Unlock();
	}

	while (GetState() == PLAY) {
		bool stopped = false;
		while (const unsigned char* frame = walk.NextFrame()) {
			if (window->Lock()) {
				DecodeFrame(frame);
				FrameDecoded(frame);
				Draw(Bounds());
				Sync();
				window->Unlock();
			}
			if (GetState() == STOP) {
				stopped = true;
				break;
			}
			SleepFrameDelay(delay);
		}
		// A pass that showed nothing (a frame count below 1, frames past the buffer's end)
		// still takes one frame delay, so the loop never turns without sleeping.
		if (!stopped && walk.FramesShownInPass() == 0)
			SleepFrameDelay(delay);
		walk.StartNextPass();
	}
}

// Sleeps the delay, or less once Stop has set STOP and woken the thread. After the sleep
// the loop goes on as always (draws the next frame, then sees STOP), so a stop takes
// effect within one frame's decode and draw instead of the rest of a long delay.
void FliView::SleepFrameDelay(bigtime_t delay)
{
	const status_t woken = acquire_sem_etc(wakeSem, 1, B_RELATIVE_TIMEOUT, delay);
	// Without the semaphore (it could not be made) a plain sleep keeps the pace.
	if (woken != B_OK && woken != B_TIMED_OUT)
		snooze(delay);
}

// Benaphore: the counter says how many threads are inside or waiting; only a thread that
// finds another one there touches the semaphore. If the semaphore is gone, the operation
// ends without leaving the guard and the state reads as STOP.
int16 FliView::GetState()
{
	if (atomic_add(&stateCount, 1) > 0 && acquire_sem(stateSem) != B_OK)
		return STOP;
	const int16 state = playState;
	if (atomic_add(&stateCount, -1) > 1)
		release_sem(stateSem);
	return state;
}

void FliView::SetState(int16 state)
{
	if (atomic_add(&stateCount, 1) > 0 && acquire_sem(stateSem) != B_OK)
		return;
	playState = state;
	if (atomic_add(&stateCount, -1) > 1)
		release_sem(stateSem);
}
