// Kernel-kit threads on POSIX threads: made suspended, resumed once, joined by id.
#include <OS.h>

#include "private/kernel/Thread.h"
#include "private/kernel/ThreadPriority.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>
#include <vector>

namespace {

enum class ThreadState { Suspended, Running, Finished };

struct ThreadRecord {
	thread_id id = 0;
	std::string name;
	thread_func function = nullptr;
	void* data = nullptr;
	int32 priority = B_NORMAL_PRIORITY;

	std::mutex mutex;
	std::condition_variable stateChanged;
	ThreadState state = ThreadState::Suspended;
	status_t exitValue = B_OK;
	// Set by spawn_thread and by the thread itself, whichever comes first, under the mutex.
	pthread_t handle{};
	std::once_flag joined;
};

// Threads that ended without anyone waiting for them keep their exit value for a later
// wait_for_thread, but only the most recent ones: a process that spawns threads without
// ever waiting (loopers) must not grow without bound.
constexpr size_t kMaxUnwaitedFinished = 1024;

struct ThreadTable {
	std::mutex mutex;
	std::map<thread_id, std::shared_ptr<ThreadRecord>> threads;
	std::deque<thread_id> finishedUnwaited;
};

// Never destroyed: detached threads may still finish while the process exits.
ThreadTable& Table()
{
	static ThreadTable* table = new ThreadTable;
	return *table;
}

std::atomic<thread_id> sNextThreadId{1};
thread_local thread_id tCurrentThreadId = 0;

std::shared_ptr<ThreadRecord> LookUp(thread_id id)
{
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto found = table.threads.find(id);
	return found == table.threads.end() ? nullptr : found->second;
}

// Waits until the thread is wholly gone: past its function and past the thread-local
// destructors that run after it, where libraries (the display's among them) release what
// the thread held. A process that exits while a thread is still in them can crash there.
void Join(ThreadRecord& record)
{
	std::call_once(record.joined, [&] { pthread_join(record.handle, nullptr); });
}

// Lets a thread that is still running end on its own; nobody joins it after this.
void LetGo(ThreadRecord& record)
{
	std::call_once(record.joined, [&] { pthread_detach(record.handle); });
}

void Forget(thread_id id)
{
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	table.threads.erase(id);
}

void RememberFinished(thread_id id)
{
	std::vector<std::shared_ptr<ThreadRecord>> forgotten;
	{
		ThreadTable& table = Table();
		std::lock_guard<std::mutex> lock(table.mutex);
		if (table.threads.count(id) == 0)
			return;
		table.finishedUnwaited.push_back(id);
		while (table.finishedUnwaited.size() > kMaxUnwaitedFinished) {
			auto found = table.threads.find(table.finishedUnwaited.front());
			if (found != table.threads.end()) {
				forgotten.push_back(found->second);
				table.threads.erase(found);
			}
			table.finishedUnwaited.pop_front();
		}
	}
	// Finished long ago: joining them takes no time, and frees what they still hold.
	for (const std::shared_ptr<ThreadRecord>& record : forgotten)
		Join(*record);
}

void* ThreadEntry(void* argument)
{
	std::shared_ptr<ThreadRecord> record(
		std::move(*static_cast<std::shared_ptr<ThreadRecord>*>(argument)));
	delete static_cast<std::shared_ptr<ThreadRecord>*>(argument);

	tCurrentThreadId = record->id;
	// Linux limits thread names to 15 characters.
	pthread_setname_np(pthread_self(), record->name.substr(0, 15).c_str());
	BPrivate::ApplyThreadPriority(record->priority);
	{
		std::unique_lock<std::mutex> lock(record->mutex);
		record->handle = pthread_self();
		record->stateChanged.wait(lock, [&] { return record->state != ThreadState::Suspended; });
	}

	status_t exitValue = record->function(record->data);

	{
		std::lock_guard<std::mutex> lock(record->mutex);
		record->exitValue = exitValue;
		record->state = ThreadState::Finished;
	}
	record->stateChanged.notify_all();
	RememberFinished(record->id);
	return nullptr;
}

}

thread_id spawn_thread(thread_func function, const char* name, int32 priority, void* data)
{
	if (function == nullptr)
		return B_BAD_VALUE;

	auto record = std::make_shared<ThreadRecord>();
	record->id = sNextThreadId.fetch_add(1);
	record->name =
		name != nullptr ? std::string(name).substr(0, B_OS_NAME_LENGTH - 1) : "unnamed thread";
	record->function = function;
	record->data = data;
	record->priority = priority;
	{
		ThreadTable& table = Table();
		std::lock_guard<std::mutex> lock(table.mutex);
		table.threads[record->id] = record;
	}

	// Joinable: whoever waits for the thread joins it (see Join). As the process exits, the
	// threads nobody waited for are joined if they have finished, and let go if not: an exit
	// never waits, so that what runs after it (the launch socket's removal) comes at once.
	static const bool releasedAtExit = std::atexit([] { BPrivate::JoinEndingThreads(0); }) == 0;
	(void)releasedAtExit;
	pthread_t thread;
	auto* argument = new std::shared_ptr<ThreadRecord>(record);
	int error = pthread_create(&thread, nullptr, ThreadEntry, argument);
	if (error != 0) {
		delete argument;
		Forget(record->id);
		return B_NO_MORE_THREADS;
	}
	{
		std::lock_guard<std::mutex> lock(record->mutex);
		record->handle = thread;
	}
	return record->id;
}

status_t resume_thread(thread_id id)
{
	std::shared_ptr<ThreadRecord> record = LookUp(id);
	if (record == nullptr)
		return B_BAD_THREAD_ID;
	{
		std::lock_guard<std::mutex> lock(record->mutex);
		if (record->state == ThreadState::Finished)
			return B_BAD_THREAD_ID;
		if (record->state == ThreadState::Running)
			return B_BAD_THREAD_STATE;
		record->state = ThreadState::Running;
	}
	record->stateChanged.notify_all();
	return B_OK;
}

status_t wait_for_thread(thread_id id, status_t* exitValue)
{
	std::shared_ptr<ThreadRecord> record = LookUp(id);
	// Waiting for oneself would never end.
	if (record == nullptr || id == tCurrentThreadId)
		return B_BAD_THREAD_ID;

	std::unique_lock<std::mutex> lock(record->mutex);
	if (record->state == ThreadState::Suspended) {
		record->state = ThreadState::Running;
		record->stateChanged.notify_all();
	}
	record->stateChanged.wait(lock, [&] { return record->state == ThreadState::Finished; });
	if (exitValue != nullptr)
		*exitValue = record->exitValue;
	lock.unlock();
	Join(*record);
	Forget(id);
	return B_OK;
}

void BPrivate::JoinEndingThreads(bigtime_t timeout)
{
	const auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeout);
	std::vector<std::shared_ptr<ThreadRecord>> records;
	{
		ThreadTable& table = Table();
		std::lock_guard<std::mutex> lock(table.mutex);
		for (const auto& [id, record] : table.threads)
			records.push_back(record);
	}
	for (const std::shared_ptr<ThreadRecord>& record : records) {
		if (record->id == tCurrentThreadId)
			continue;
		std::unique_lock<std::mutex> lock(record->mutex);
		// A thread never resumed has run none of its code.
		if (record->state == ThreadState::Suspended)
			continue;
		const bool finished = record->stateChanged.wait_until(
			lock, deadline, [&] { return record->state == ThreadState::Finished; });
		lock.unlock();
		if (finished)
			Join(*record);
		else
			LetGo(*record);
	}
}

thread_id find_thread(const char* name)
{
	if (name == nullptr) {
		if (tCurrentThreadId == 0)
			tCurrentThreadId = sNextThreadId.fetch_add(1);
		return tCurrentThreadId;
	}
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	for (const auto& [id, record] : table.threads) {
		std::lock_guard<std::mutex> recordLock(record->mutex);
		if (record->state != ThreadState::Finished && record->name == name)
			return id;
	}
	return B_NAME_NOT_FOUND;
}
