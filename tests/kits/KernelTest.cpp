// Threads, semaphores, sleeping and atomics of the kernel kit.
#include <OS.h>

#include "WaitFor.h"
#include "private/kernel/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

namespace {

using namespace zoetra::testing;

// Waits until the semaphore's count is `count` (a negative count: that many threads wait).
bool WaitForSemaphoreCount(sem_id semaphore, int32 count)
{
	return WaitFor([&] {
		int32 now = 0;
		get_sem_count(semaphore, &now);
		return now == count;
	});
}

// The guard a view builds from these calls: an atomic counter in front of a semaphore
// that starts at 0, so an uncontended entry never touches the semaphore.
struct Benaphore {
	int32 count = 0;
	sem_id semaphore = create_sem(0, "benaphore");

	~Benaphore() { delete_sem(semaphore); }

	bool Enter()
	{
		if (atomic_add(&count, 1) > 0)
			return acquire_sem(semaphore) == B_OK;
		return true;
	}

	void Leave()
	{
		if (atomic_add(&count, -1) > 1)
			release_sem(semaphore);
	}
};

struct GuardedCounter {
	Benaphore guard;
	int64 value = 0;
	int32 inside = 0;
	int32 mostInside = 0;
	int32 failedEntries = 0;
	int32 rounds = 0;
};

int32 CountUnderGuard(void* data)
{
	GuardedCounter* counter = static_cast<GuardedCounter*>(data);
	for (int32 i = 0; i < counter->rounds; i++) {
		if (!counter->guard.Enter()) {
			atomic_add(&counter->failedEntries, 1);
			continue;
		}
		// Plain, unsynchronised accesses: only mutual exclusion keeps them exact.
		counter->inside++;
		if (counter->inside > counter->mostInside)
			counter->mostInside = counter->inside;
		counter->value++;
		counter->inside--;
		counter->guard.Leave();
	}
	return B_OK;
}

int32 ReturnData(void* data)
{
	return static_cast<int32>(reinterpret_cast<intptr_t>(data));
}

int32 AcquireAndReport(void* data)
{
	return acquire_sem(static_cast<sem_id>(reinterpret_cast<intptr_t>(data)));
}

TEST(KernelThreads, BenaphoreKeepsMutualExclusionUnderFourThreads)
{
	GuardedCounter counter;
	counter.rounds = 100000;
	thread_id threads[4];
	for (thread_id& thread : threads) {
		thread = spawn_thread(CountUnderGuard, "counter", B_NORMAL_PRIORITY, &counter);
		ASSERT_GT(thread, 0);
	}
	for (thread_id thread : threads)
		ASSERT_EQ(resume_thread(thread), B_OK);
	for (thread_id thread : threads) {
		status_t exitValue = -1;
		ASSERT_EQ(wait_for_thread(thread, &exitValue), B_OK);
		EXPECT_EQ(exitValue, B_OK);
	}
	EXPECT_EQ(counter.value, 400000);
	EXPECT_EQ(counter.mostInside, 1);
	EXPECT_EQ(counter.failedEntries, 0);
	EXPECT_EQ(counter.guard.count, 0);
}

TEST(KernelThreads, WaitForThreadReturnsExitValueOnceAndFailsForUnknownIds)
{
	thread_id thread = spawn_thread(
		ReturnData, "exit value", B_NORMAL_PRIORITY, reinterpret_cast<void*>(intptr_t(-4242)));
	ASSERT_GT(thread, 0);
	EXPECT_EQ(resume_thread(thread), B_OK);
	status_t exitValue = 0;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, -4242);
	// The thread is gone now, as are ids that never named one.
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_BAD_THREAD_ID);
	EXPECT_EQ(wait_for_thread(0, &exitValue), B_BAD_THREAD_ID);
	EXPECT_EQ(wait_for_thread(-7, &exitValue), B_BAD_THREAD_ID);
	EXPECT_EQ(wait_for_thread(thread + 100000, &exitValue), B_BAD_THREAD_ID);
	EXPECT_EQ(resume_thread(thread), B_BAD_THREAD_ID);
	EXPECT_EQ(wait_for_thread(find_thread(nullptr), &exitValue), B_BAD_THREAD_ID);
}

// Thread-local destructors run after a thread's function returns; libraries release there
// what the thread held. A thread is waited for, or joined by the kit at the end of the
// process, only once they are done: a process must never exit under them.
std::atomic<int> releasedThreadLocals{0};

int32 HoldThreadLocal(void*)
{
	struct Held {
		~Held()
		{
			snooze(50000);
			releasedThreadLocals++;
		}
	};
	static thread_local Held held;
	(void)held;
	return B_OK;
}

TEST(KernelThreads, WaitingAndTheEndOfTheProcessOutlastThreadLocalDestructors)
{
	status_t exitValue = 0;
	thread_id waited = spawn_thread(HoldThreadLocal, "waited", B_NORMAL_PRIORITY, nullptr);
	ASSERT_EQ(resume_thread(waited), B_OK);
	ASSERT_EQ(wait_for_thread(waited, &exitValue), B_OK);
	EXPECT_EQ(releasedThreadLocals.load(), 1);

	thread_id unwaited = spawn_thread(HoldThreadLocal, "unwaited", B_NORMAL_PRIORITY, nullptr);
	ASSERT_EQ(resume_thread(unwaited), B_OK);
	BPrivate::JoinEndingThreads(10000000);
	EXPECT_EQ(releasedThreadLocals.load(), 2);
}

TEST(KernelThreads, SpawnedThreadWaitsUntilResumed)
{
	sem_id ran = create_sem(0, "ran");
	thread_id thread = spawn_thread(
		[](void* data) -> int32 {
			release_sem(static_cast<sem_id>(reinterpret_cast<intptr_t>(data)));
			return 7;
		},
		"suspended", B_NORMAL_PRIORITY, reinterpret_cast<void*>(intptr_t(ran)));
	ASSERT_GT(thread, 0);
	EXPECT_EQ(acquire_sem_etc(ran, 1, B_RELATIVE_TIMEOUT, 50000), B_TIMED_OUT);
	EXPECT_EQ(resume_thread(thread), B_OK);
	EXPECT_EQ(acquire_sem_etc(ran, 1, B_RELATIVE_TIMEOUT, 10000000), B_OK);
	status_t exitValue;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, 7);
	delete_sem(ran);
}

TEST(KernelThreads, WaitingForASuspendedThreadResumesIt)
{
	thread_id thread = spawn_thread(
		ReturnData, "never resumed", B_NORMAL_PRIORITY, reinterpret_cast<void*>(intptr_t(5)));
	ASSERT_GT(thread, 0);
	status_t exitValue = 0;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, 5);
}

TEST(KernelThreads, ResumingTwiceIsAnErrorAndSpawnRejectsNullFunction)
{
	sem_id gate = create_sem(0, "gate");
	thread_id thread = spawn_thread(
		AcquireAndReport, "gated", B_NORMAL_PRIORITY, reinterpret_cast<void*>(intptr_t(gate)));
	ASSERT_GT(thread, 0);
	EXPECT_EQ(resume_thread(thread), B_OK);
	EXPECT_EQ(resume_thread(thread), B_BAD_THREAD_STATE);
	release_sem(gate);
	status_t exitValue;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, B_OK);
	delete_sem(gate);
	EXPECT_EQ(spawn_thread(nullptr, "none", B_NORMAL_PRIORITY, nullptr), B_BAD_VALUE);
}

TEST(KernelThreads, RealTimeDisplayPriorityStillRuns)
{
	thread_id thread = spawn_thread(ReturnData, "fli_thread", B_REAL_TIME_DISPLAY_PRIORITY,
		reinterpret_cast<void*>(intptr_t(100)));
	ASSERT_GT(thread, 0);
	status_t exitValue = 0;
	EXPECT_EQ(resume_thread(thread), B_OK);
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(exitValue, 100);
}

TEST(KernelThreads, FindThreadNamesEveryThread)
{
	thread_id main = find_thread(nullptr);
	EXPECT_GT(main, 0);
	EXPECT_EQ(find_thread(nullptr), main);

	std::atomic<thread_id> foreign{0};
	std::thread other([&] { foreign = find_thread(nullptr); });
	other.join();
	EXPECT_GT(foreign.load(), 0);
	EXPECT_NE(foreign.load(), main);

	sem_id gate = create_sem(0, "gate");
	thread_id spawned = spawn_thread(AcquireAndReport, "findable worker", B_NORMAL_PRIORITY,
		reinterpret_cast<void*>(intptr_t(gate)));
	resume_thread(spawned);
	EXPECT_EQ(find_thread("findable worker"), spawned);
	EXPECT_EQ(find_thread("no such thread"), B_NAME_NOT_FOUND);
	release_sem(gate);
	status_t exitValue;
	wait_for_thread(spawned, &exitValue);
	delete_sem(gate);
}

TEST(KernelThreads, ThreadIdsAreNotReused)
{
	std::set<thread_id> seen;
	for (int i = 0; i < 50; i++) {
		thread_id thread = spawn_thread(ReturnData, "short", B_NORMAL_PRIORITY, nullptr);
		ASSERT_GT(thread, 0);
		EXPECT_TRUE(seen.insert(thread).second);
		status_t exitValue;
		wait_for_thread(thread, &exitValue);
	}
}

TEST(KernelSemaphores, DeleteReleasesEveryBlockedTaker)
{
	sem_id semaphore = create_sem(0, "doomed");
	ASSERT_GT(semaphore, 0);
	thread_id takers[3];
	for (thread_id& taker : takers) {
		taker = spawn_thread(AcquireAndReport, "taker", B_NORMAL_PRIORITY,
			reinterpret_cast<void*>(intptr_t(semaphore)));
		resume_thread(taker);
	}
	ASSERT_TRUE(WaitForSemaphoreCount(semaphore, -3)) << "the takers never blocked";
	EXPECT_EQ(delete_sem(semaphore), B_OK);
	for (thread_id taker : takers) {
		status_t exitValue = B_OK;
		EXPECT_EQ(wait_for_thread(taker, &exitValue), B_OK);
		EXPECT_EQ(exitValue, B_BAD_SEM_ID);
	}
	EXPECT_EQ(acquire_sem(semaphore), B_BAD_SEM_ID);
	EXPECT_EQ(release_sem(semaphore), B_BAD_SEM_ID);
	EXPECT_EQ(delete_sem(semaphore), B_BAD_SEM_ID);
}

TEST(KernelSemaphores, CountsAndTimeouts)
{
	sem_id semaphore = create_sem(2, "two");
	EXPECT_EQ(acquire_sem(semaphore), B_OK);
	EXPECT_EQ(acquire_sem(semaphore), B_OK);
	EXPECT_EQ(acquire_sem_etc(semaphore, 1, B_RELATIVE_TIMEOUT, 0), B_WOULD_BLOCK);
	EXPECT_EQ(acquire_sem_etc(semaphore, 1, B_RELATIVE_TIMEOUT, 20000), B_TIMED_OUT);
	EXPECT_EQ(
		acquire_sem_etc(semaphore, 1, B_ABSOLUTE_TIMEOUT, system_time() + 20000), B_TIMED_OUT);
	EXPECT_EQ(release_sem_etc(semaphore, 3, 0), B_OK);
	EXPECT_EQ(acquire_sem_etc(semaphore, 3, 0, 0), B_OK);
	int32 count = -1;
	EXPECT_EQ(get_sem_count(semaphore, &count), B_OK);
	EXPECT_EQ(count, 0);
	EXPECT_EQ(acquire_sem_etc(semaphore, 0, 0, 0), B_BAD_VALUE);
	EXPECT_EQ(delete_sem(semaphore), B_OK);

	EXPECT_EQ(create_sem(-1, "negative"), B_BAD_VALUE);
	EXPECT_EQ(acquire_sem(-5), B_BAD_SEM_ID);
	EXPECT_EQ(get_sem_count(-5, &count), B_BAD_SEM_ID);
}

// A large request at the head of the queue is served before smaller ones behind it.
TEST(KernelSemaphores, WaitersAreServedInArrivalOrder)
{
	sem_id semaphore = create_sem(0, "fifo");
	sem_id order = create_sem(0, "order");
	struct Request {
		sem_id semaphore;
		int32 count;
		int32* sequence;
		int32 position = -1;
	};
	int32 sequence = 0;
	Request big{semaphore, 2, &sequence};
	Request small{semaphore, 1, &sequence};
	auto take = [](void* data) -> int32 {
		Request* request = static_cast<Request*>(data);
		status_t status = acquire_sem_etc(request->semaphore, request->count, 0, 0);
		request->position = atomic_add(request->sequence, 1);
		return status;
	};
	thread_id first = spawn_thread(take, "big", B_NORMAL_PRIORITY, &big);
	resume_thread(first);
	ASSERT_TRUE(WaitForSemaphoreCount(semaphore, -2));
	thread_id second = spawn_thread(take, "small", B_NORMAL_PRIORITY, &small);
	resume_thread(second);
	ASSERT_TRUE(WaitForSemaphoreCount(semaphore, -3));
	// One count is not enough for the first request, and the second may not take it.
	release_sem(semaphore);
	EXPECT_EQ(acquire_sem_etc(order, 1, B_RELATIVE_TIMEOUT, 50000), B_TIMED_OUT);
	EXPECT_EQ(atomic_get(&small.position), -1) << "a later, smaller request overtook the first";
	release_sem(semaphore);
	status_t exitValue;
	wait_for_thread(first, &exitValue);
	EXPECT_EQ(exitValue, B_OK);
	EXPECT_EQ(atomic_get(&small.position), -1);
	release_sem(semaphore);
	wait_for_thread(second, &exitValue);
	EXPECT_EQ(exitValue, B_OK);
	EXPECT_EQ(big.position, 0);
	EXPECT_EQ(small.position, 1);
	delete_sem(semaphore);
	delete_sem(order);
}

TEST(KernelTime, SnoozeSleepsAtLeastTheTimeAsked)
{
	for (bigtime_t asked : {1000, 15000, 30000}) {
		bigtime_t start = system_time();
		EXPECT_EQ(snooze(asked), B_OK);
		EXPECT_GE(system_time() - start, asked);
	}
}

TEST(KernelTime, SnoozeOfZeroOrLessReturnsAtOnce)
{
	bigtime_t start = system_time();
	EXPECT_EQ(snooze(0), B_OK);
	EXPECT_EQ(snooze(-1000000), B_OK);
	EXPECT_EQ(snooze(INT64_MIN), B_OK);
	// A generous bound: only a real sleep of the asked second would exceed it.
	EXPECT_LT(system_time() - start, 500000);
}

TEST(KernelAtomics, ReturnPreviousValue)
{
	int32 value = 10;
	EXPECT_EQ(atomic_add(&value, 5), 10);
	EXPECT_EQ(atomic_add(&value, -20), 15);
	EXPECT_EQ(value, -5);
	EXPECT_EQ(atomic_set(&value, 3), -5);
	EXPECT_EQ(atomic_get(&value), 3);
	EXPECT_EQ(atomic_add(nullptr, 1), 0);
}

}
