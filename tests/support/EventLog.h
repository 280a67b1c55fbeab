// A thread-safe list of what happened, that a test can wait on (with a bound) instead of sleeping.
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
	void Add(std::string entry)
	{
		// Notified under the lock: a waiter that wakes may destroy the log at once, and must
		// not do so while this thread still touches the condition variable.
		std::lock_guard lock(fMutex);
		fEntries.push_back(std::move(entry));
		fChanged.notify_all();
	}

	// Waits until an entry equal to `entry` is there; false after `bound`.
	bool WaitFor(
		const std::string& entry, std::chrono::milliseconds bound = std::chrono::seconds(10))
	{
		std::unique_lock lock(fMutex);
		return fChanged.wait_for(lock, bound, [&] { return Contains(entry); });
	}

	// Waits until an entry starting with `prefix` is there and returns it; "" after `bound`.
	std::string WaitForPrefix(
		const std::string& prefix, std::chrono::milliseconds bound = std::chrono::seconds(10))
	{
		std::unique_lock lock(fMutex);
		std::string found;
		fChanged.wait_for(lock, bound, [&] {
			for (const auto& entry : fEntries)
				if (entry.rfind(prefix, 0) == 0) {
					found = entry;
					return true;
				}
			return false;
		});
		return found;
	}

	bool Has(const std::string& entry)
	{
		std::lock_guard lock(fMutex);
		return Contains(entry);
	}

	int Count(const std::string& entry)
	{
		std::lock_guard lock(fMutex);
		return int(std::count(fEntries.begin(), fEntries.end(), entry));
	}

	std::vector<std::string> Entries()
	{
		std::lock_guard lock(fMutex);
		return fEntries;
	}

	void Clear()
	{
		std::lock_guard lock(fMutex);
		fEntries.clear();
	}

private:
	bool Contains(const std::string& entry) const
	{
		return std::find(fEntries.begin(), fEntries.end(), entry) != fEntries.end();
	}

	std::mutex fMutex;
	std::condition_variable fChanged;
	std::vector<std::string> fEntries;
};

} // namespace zoetra::testing
