// The recursive, timed lock of a looper that fails cleanly once the looper is gone.
#include "private/app/LooperLock.h"

#include <chrono>

namespace BPrivate {

LooperLock::LooperLock()
	: fOwner(0),
	  fCount(0),
	  fGone(false)
{
}

status_t LooperLock::Lock(bigtime_t timeout)
{
	thread_id caller = find_thread(nullptr);
	std::unique_lock<std::mutex> lock(fMutex);
	if (fGone)
		return B_BAD_VALUE;
	if (fOwner == caller) {
		fCount++;
		return B_OK;
	}
	auto free = [&] { return fOwner == 0 || fGone; };
	if (timeout == B_INFINITE_TIMEOUT)
		fReleased.wait(lock, free);
	else if (!fReleased.wait_for(lock, std::chrono::microseconds(timeout < 0 ? 0 : timeout), free))
		return B_TIMED_OUT;
	if (fGone)
		return B_BAD_VALUE;
	fOwner = caller;
	fCount = 1;
	return B_OK;
}

bool LooperLock::Unlock()
{
	thread_id caller = find_thread(nullptr);
	{
		std::lock_guard<std::mutex> lock(fMutex);
		if (fOwner != caller || fCount == 0)
			return false;
		if (--fCount > 0)
			return true;
		fOwner = 0;
	}
	// Every waiter looks again: one that timed out meanwhile must not swallow the wake-up.
	fReleased.notify_all();
	return true;
}

void LooperLock::MarkGone()
{
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fGone = true;
		fOwner = 0;
		fCount = 0;
	}
	fReleased.notify_all();
}

bool LooperLock::IsGone() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fGone;
}

thread_id LooperLock::Owner() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fOwner;
}

int32 LooperLock::Count() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fCount;
}

}
