// A thread-safe list of what happened, that a test can wait on (with a bound) instead of sleeping.
//
// How to use:
//   EventLog log;                                // shared with the windows, loopers or threads
//   log.Add("quit-requested");                   // from any thread
//   EXPECT_TRUE(log.WaitFor("quit-requested"));  // waits up to 10 s
//   ASSERT_TRUE(log.WaitForCount(2));
//   EXPECT_EQ(log.Events(), (std::vector<std::string>{"1", "2"}));
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace zoetra::testing {

class EventLog {
public:
	void Add(std::string event)
	{
		// Notified under the lock: a waiter that wakes may destroy the log at once, and must
		// not do so while this thread still touches the condition variable.
		std::lock_guard lock(fMutex);
		fEvents.push_back(std::move(event));
		fChanged.notify_all();
	}

	// Waits until an event equal to `event` is there; false after `bound`.
	bool WaitFor(
		const std::string& event, std::chrono::milliseconds bound = std::chrono::seconds(10))
	{
		std::unique_lock lock(fMutex);
		return fChanged.wait_for(lock, bound, [&] { return Contains(event); });
	}

	// Waits until there are at least `count` events; false after `bound`.
	bool WaitForCount(size_t count, std::chrono::milliseconds bound = std::chrono::seconds(10))
	{
		std::unique_lock lock(fMutex);
		return fChanged.wait_for(lock, bound, [&] { return fEvents.size() >= count; });
	}

	// Waits until an event starting with `prefix` is there and returns it; "" after `bound`.
	std::string WaitForPrefix(
		const std::string& prefix, std::chrono::milliseconds bound = std::chrono::seconds(10))
	{
		std::unique_lock lock(fMutex);
		std::string found;
		fChanged.wait_for(lock, bound, [&] {
			for (const auto& event : fEvents)
				if (event.rfind(prefix, 0) == 0) {
					found = event;
					return true;
				}
			return false;
		});
		return found;
	}

	bool Has(const std::string& event) const
	{
		std::lock_guard lock(fMutex);
		return Contains(event);
	}

	int Count(const std::string& event) const
	{
		std::lock_guard lock(fMutex);
		return int(std::count(fEvents.begin(), fEvents.end(), event));
	}

	std::vector<std::string> Events() const
	{
		std::lock_guard lock(fMutex);
		return fEvents;
	}

	void Clear()
	{
		std::lock_guard lock(fMutex);
		fEvents.clear();
	}

private:
	bool Contains(const std::string& event) const
	{
		return std::find(fEvents.begin(), fEvents.end(), event) != fEvents.end();
	}

	mutable std::mutex fMutex;
	std::condition_variable fChanged;
	std::vector<std::string> fEvents;
};

} // namespace zoetra::testing
