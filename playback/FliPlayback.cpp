// FliView as a player: the play thread, its loop through the ring frame, its timing, the
// commands of the keys, the play-state guard, and SetData/Stop serialised against each other.
#include "FliView.h"

#include "AnimationBuffers.h"
#include "PlayControl.h"
#include "PlayCursor.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

// Key repeat can queue commands faster than a long way back runs; more than this many
// waiting are dropped.
constexpr size_t kMostWaitingCommands = 64;

} // namespace

void FliView::SetData(unsigned char* data, unsigned long size, const char* title)
{
	std::lock_guard control(controlLock);
	StopPlayThread();
	if (title != nullptr && window != nullptr)
		window->SetTitle(title);
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
	RestorePlainTitle();
	std::lock_guard guard(fieldLock);
	playThread = 0;
}

// A thread that ended paused leaves the title with its position; the name comes back.
void FliView::RestorePlainTitle()
{
	if (!positionShown)
		return;
	positionShown = false;
	window->SetTitle(plainTitle.c_str());
}

// The caller holds controlLock; a buffer is set and no play thread runs.
void FliView::Start()
{
	// The play thread locks the window for every frame; without one the view stays Stopped.
	if (window == nullptr)
		return;
	// Commands and wakes left from the thread before (a Stop's wake that came while it was
	// not sleeping, a key that raced its end) must not reach this thread or shorten its
	// first delay.
	{
		std::lock_guard guard(commandLock);
		commands.clear();
	}
	while (acquire_sem_etc(wakeSem, 1, B_RELATIVE_TIMEOUT, 0) == B_OK) {
	}
	{
		std::lock_guard guard(fieldLock);
		plainTitle = window->Title();
	}
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
// 1..count, bounded by the buffer) is fli::FrameWalk's, through the cursor.
void FliView::Play()
{
	PlayCursor cursor(fliData, fliSize, FrameBuffer(), palette);
	PlayControl control(cursor.DelayMicroseconds());

	if (window->Lock()) {
		Clear(0);
		// The default rectangle: Draw shows the whole frame buffer whatever it is given.
		Draw(BRect());
		window->Unlock();
	}

	while (GetState() == PLAY) {
		if (const unsigned char* frame = cursor.NextFrame()) {
			ShowFrame(frame);
			if (GetState() == STOP)
				break;
			WaitForNextFrame(cursor, control);
			continue;
		}
		// A pass that showed nothing (a frame count below 1, frames past the buffer's end)
		// still takes one frame delay, so the loop never turns without sleeping.
		if (cursor.FramesShownInPass() == 0)
			WaitForNextFrame(cursor, control);
		cursor.StartNextPass();
	}
}

void FliView::ShowFrame(const unsigned char* frame)
{
	if (!window->Lock())
		return;
	DecodeFrame(frame);
	FrameDecoded(frame);
	Draw(Bounds());
	Sync();
	window->Unlock();
}

void FliView::ShowRebuiltPicture(const PlayCursor& cursor)
{
	if (!window->Lock())
		return;
	const PlayCursor::Picture& picture = cursor.Rebuilt();
	if (uint32* pixels = FrameBuffer())
		std::memcpy(pixels, picture.pixels.data(), picture.pixels.size() * sizeof(uint32));
	std::memcpy(palette, picture.palette.data(), sizeof palette);
	Draw(Bounds());
	Sync();
	window->Unlock();
}

// The frame delay at the current speed, or, while paused, as long as it takes: the thread
// sleeps on wakeSem, which a command or Stop releases. Commands run as they come.
void FliView::WaitForNextFrame(PlayCursor& cursor, PlayControl& control)
{
	bigtime_t start = system_time();
	while (GetState() == PLAY) {
		if (RunCommands(cursor, control))
			start = system_time();
		if (GetState() != PLAY)
			return;
		if (control.paused) {
			// Without the semaphore (it could not be made) a pause polls at the frame rate.
			if (acquire_sem(wakeSem) != B_OK)
				snooze(control.Delay());
			continue;
		}
		const bigtime_t left = start + control.Delay() - system_time();
		if (left <= 0)
			return;
		const status_t woken = acquire_sem_etc(wakeSem, 1, B_RELATIVE_TIMEOUT, left);
		if (woken == B_TIMED_OUT)
			return;
		if (woken != B_OK) {
			snooze(left);
			return;
		}
	}
}

// Runs the commands waiting; true when the frame delay starts anew (play resumed, or the
// picture changed while playing).
bool FliView::RunCommands(PlayCursor& cursor, PlayControl& control)
{
	bool restart = false;
	for (;;) {
		PlayCommand command;
		{
			std::lock_guard guard(commandLock);
			if (commands.empty())
				return restart;
			command = commands.front();
			commands.pop_front();
		}
		switch (command) {
			case kTogglePause:
				control.paused = !control.paused;
				restart = true;
				break;
			case kStepForward:
				control.paused = true;
				if (const unsigned char* frame = cursor.StepForward())
					ShowFrame(frame);
				break;
			case kStepBack:
				control.paused = true;
				if (cursor.StepBack())
					ShowRebuiltPicture(cursor);
				break;
			case kGoHome:
				if (cursor.GoHome())
					ShowRebuiltPicture(cursor);
				restart = true;
				break;
			case kSlower:
				control.Slower();
				break;
			case kFaster:
				control.Faster();
				break;
			case kFileSpeed:
				control.FileSpeed();
				break;
		}
		ShowPosition(cursor, control);
	}
}

// "NAME — frame K of N" while paused, the plain name while playing.
void FliView::ShowPosition(const PlayCursor& cursor, const PlayControl& control)
{
	// Before any picture (a file whose passes show none) there is no position to show.
	if (!control.paused || cursor.FrameNumber() == 0) {
		RestorePlainTitle();
		return;
	}
	char position[64];
	// " — frame K of N", with an em dash in UTF-8.
	std::snprintf(position, sizeof position, " \xE2\x80\x94 frame %d of %d",
		static_cast<int>(cursor.FrameNumber()), static_cast<int>(cursor.FrameCount()));
	window->SetTitle((plainTitle + position).c_str());
	positionShown = true;
}

void FliView::PostPlayCommand(PlayCommand command)
{
	{
		std::lock_guard guard(fieldLock);
		if (playThread == 0)
			return;
	}
	{
		std::lock_guard guard(commandLock);
		if (commands.size() >= kMostWaitingCommands)
			return;
		commands.push_back(command);
	}
	release_sem(wakeSem);
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
