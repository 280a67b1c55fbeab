// The recursive lock of a looper. It outlives the looper (shared by whoever waits for
// it), so a thread that waits while the looper is destroyed gets an error.
#pragma once

#include <OS.h>

#include <condition_variable>
#include <mutex>

namespace BPrivate {

class LooperLock {
public:
	LooperLock();

	// B_OK, B_TIMED_OUT, or B_BAD_VALUE once the looper is gone.
	status_t Lock(bigtime_t timeout = B_INFINITE_TIMEOUT);
	// Releases one hold of the calling thread; false if it holds none.
	bool Unlock();
	// Called by the destroying thread: every waiter and every later Lock() fails.
	void MarkGone();

	bool IsGone() const;
	thread_id Owner() const;
	int32 Count() const;

private:
	mutable std::mutex fMutex;
	std::condition_variable fReleased;
	thread_id fOwner;
	int32 fCount;
	bool fGone;
};

}
