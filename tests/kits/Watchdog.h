// Test helpers that wait for something with a bound instead of sleeping: a hang fails
// the test rather than blocking the run.
#pragma once

#include <OS.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Aborts the test program if it is still alive `seconds` after construction: for calls
// such as BApplication::Run() that cannot be given a timeout themselves.
class Watchdog {
public:
	explicit Watchdog(int seconds, const char* what)
		: fThread([this, seconds, what] {
			  std::unique_lock<std::mutex> lock(fMutex);
			  if (!fDone.wait_for(lock, std::chrono::seconds(seconds), [&] { return fStop; })) {
				  fprintf(stderr, "watchdog: %s did not finish within %d s\n", what, seconds);
				  std::abort();
			  }
		  })
	{
	}

	~Watchdog()
	{
		{
			std::lock_guard<std::mutex> lock(fMutex);
			fStop = true;
		}
		fDone.notify_all();
		fThread.join();
	}

private:
	std::mutex fMutex;
	std::condition_variable fDone;
	bool fStop = false;
	std::thread fThread;
};

// A thread-safe record of events that tests wait on.
class EventLog {
public:
	// Notifies under the lock, so a waiter that saw the event may destroy the log at once.
	void Add(const std::string& event)
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fEvents.push_back(event);
		fChanged.notify_all();
	}

	// False if fewer than `count` events arrived within `seconds`.
	bool WaitForCount(size_t count, int seconds = 10)
	{
		std::unique_lock<std::mutex> lock(fMutex);
		return fChanged.wait_for(
			lock, std::chrono::seconds(seconds), [&] { return fEvents.size() >= count; });
	}

	std::vector<std::string> Events() const
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return fEvents;
	}

private:
	mutable std::mutex fMutex;
	std::condition_variable fChanged;
	std::vector<std::string> fEvents;
};

// Polls `condition` until it holds or `timeout` microseconds pass.
template <typename Condition>
bool WaitUntil(Condition condition, bigtime_t timeout = 10000000)
{
	bigtime_t deadline = system_time() + timeout;
	while (!condition()) {
		if (system_time() > deadline)
			return false;
		snooze(1000);
	}
	return true;
}
