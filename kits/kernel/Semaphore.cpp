// Kernel-kit counting semaphores: first come, first served; deletion wakes every waiter.
#include <OS.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace {

struct Waiter {
	int32 needed;
	bool granted = false;
};

struct Semaphore {
	std::string name;
	std::mutex mutex;
	std::condition_variable changed;
	int32 count = 0;
	bool deleted = false;
	// Waiters in arrival order; a release serves them from the front only, so a large
	// request at the front is not overtaken by smaller ones behind it.
	std::list<Waiter*> waiters;

	void GrantWaiters()
	{
		while (!waiters.empty() && count >= waiters.front()->needed) {
			count -= waiters.front()->needed;
			waiters.front()->granted = true;
			waiters.pop_front();
		}
	}
};

struct SemaphoreTable {
	std::mutex mutex;
	std::map<sem_id, std::shared_ptr<Semaphore>> semaphores;
};

SemaphoreTable& Table()
{
	static SemaphoreTable* table = new SemaphoreTable;
	return *table;
}

std::atomic<sem_id> sNextSemaphoreId{1};

std::shared_ptr<Semaphore> LookUp(sem_id id)
{
	SemaphoreTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto found = table.semaphores.find(id);
	return found == table.semaphores.end() ? nullptr : found->second;
}

using Clock = std::chrono::steady_clock;

// The deadline of acquire_sem_etc, as a steady-clock time point; system_time() counts
// on the same monotonic clock.
Clock::time_point DeadlineFor(uint32 flags, bigtime_t timeout)
{
	if (timeout == B_INFINITE_TIMEOUT)
		return Clock::time_point::max();
	bigtime_t relative = timeout;
	if ((flags & B_ABSOLUTE_TIMEOUT) != 0)
		relative = timeout - system_time();
	if (relative < 0)
		relative = 0;
	return Clock::now() + std::chrono::microseconds(relative);
}

}

sem_id create_sem(int32 count, const char* name)
{
	if (count < 0)
		return B_BAD_VALUE;
	auto semaphore = std::make_shared<Semaphore>();
	semaphore->count = count;
	semaphore->name = name != nullptr ? std::string(name).substr(0, B_OS_NAME_LENGTH - 1) : "";
	sem_id id = sNextSemaphoreId.fetch_add(1);
	SemaphoreTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	table.semaphores[id] = std::move(semaphore);
	return id;
}

status_t delete_sem(sem_id id)
{
	std::shared_ptr<Semaphore> semaphore;
	{
		SemaphoreTable& table = Table();
		std::lock_guard<std::mutex> lock(table.mutex);
		auto found = table.semaphores.find(id);
		if (found == table.semaphores.end())
			return B_BAD_SEM_ID;
		semaphore = std::move(found->second);
		table.semaphores.erase(found);
	}
	{
		std::lock_guard<std::mutex> lock(semaphore->mutex);
		semaphore->deleted = true;
	}
	semaphore->changed.notify_all();
	return B_OK;
}

status_t acquire_sem(sem_id id)
{
	return acquire_sem_etc(id, 1, 0, B_INFINITE_TIMEOUT);
}

status_t acquire_sem_etc(sem_id id, int32 count, uint32 flags, bigtime_t timeout)
{
	if (count < 1)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> semaphore = LookUp(id);
	if (semaphore == nullptr)
		return B_BAD_SEM_ID;
	if ((flags & (B_RELATIVE_TIMEOUT | B_ABSOLUTE_TIMEOUT)) == 0)
		timeout = B_INFINITE_TIMEOUT;

	std::unique_lock<std::mutex> lock(semaphore->mutex);
	if (semaphore->deleted)
		return B_BAD_SEM_ID;
	if (semaphore->waiters.empty() && semaphore->count >= count) {
		semaphore->count -= count;
		return B_OK;
	}
	if (timeout == 0)
		return B_WOULD_BLOCK;

	Waiter waiter{count};
	semaphore->waiters.push_back(&waiter);
	Clock::time_point deadline = DeadlineFor(flags, timeout);
	auto done = [&] { return waiter.granted || semaphore->deleted; };
	if (deadline == Clock::time_point::max())
		semaphore->changed.wait(lock, done);
	else
		semaphore->changed.wait_until(lock, deadline, done);

	if (waiter.granted)
		return B_OK;
	semaphore->waiters.remove(&waiter);
	if (semaphore->deleted)
		return B_BAD_SEM_ID;
	// Leaving the front of the queue may let the waiters behind us through.
	semaphore->GrantWaiters();
	lock.unlock();
	semaphore->changed.notify_all();
	return B_TIMED_OUT;
}

status_t release_sem(sem_id id)
{
	return release_sem_etc(id, 1, 0);
}

status_t release_sem_etc(sem_id id, int32 count, uint32 /*flags*/)
{
	if (count < 1)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> semaphore = LookUp(id);
	if (semaphore == nullptr)
		return B_BAD_SEM_ID;
	{
		std::lock_guard<std::mutex> lock(semaphore->mutex);
		if (semaphore->deleted)
			return B_BAD_SEM_ID;
		if (semaphore->count > INT32_MAX - count)
			return B_BAD_VALUE;
		semaphore->count += count;
		semaphore->GrantWaiters();
	}
	semaphore->changed.notify_all();
	return B_OK;
}

status_t get_sem_count(sem_id id, int32* count)
{
	if (count == nullptr)
		return B_BAD_VALUE;
	std::shared_ptr<Semaphore> semaphore = LookUp(id);
	if (semaphore == nullptr)
		return B_BAD_SEM_ID;
	std::lock_guard<std::mutex> lock(semaphore->mutex);
	// As on BeOS, waiting takers show as a negative count.
	int32 waiting = 0;
	for (const Waiter* waiter : semaphore->waiters)
		waiting += waiter->needed;
	*count = semaphore->count - waiting;
	return B_OK;
}
