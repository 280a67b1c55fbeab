// Kernel kit: threads, counting semaphores, sleeping, the clock and atomic counters.
#pragma once

#include <SupportDefs.h>

typedef int32 thread_id;
typedef int32 sem_id;
typedef int32 port_id;

typedef int32 (*thread_func)(void* data);

#define B_OS_NAME_LENGTH 32
#define B_INFINITE_TIMEOUT INT64_MAX

// Thread priorities. How they map onto Linux scheduling is described in
// ThreadPriority.cpp; a priority the system refuses is not an error.
enum {
	B_IDLE_PRIORITY = 0,
	B_LOWEST_ACTIVE_PRIORITY = 1,
	B_LOW_PRIORITY = 5,
	B_NORMAL_PRIORITY = 10,
	B_DISPLAY_PRIORITY = 15,
	B_URGENT_DISPLAY_PRIORITY = 20,
	B_REAL_TIME_DISPLAY_PRIORITY = 100,
	B_URGENT_PRIORITY = 110,
	B_REAL_TIME_PRIORITY = 120,
};

// Flags of acquire_sem_etc.
enum {
	B_TIMEOUT = 0x8,
	B_RELATIVE_TIMEOUT = 0x8,
	B_ABSOLUTE_TIMEOUT = 0x10,
};

// Threads. A thread is made suspended and runs once resumed; ids are positive and never
// reused in a process's life. wait_for_thread resumes a thread that is still suspended.
thread_id spawn_thread(thread_func function, const char* name, int32 priority, void* data);
status_t resume_thread(thread_id thread);
status_t wait_for_thread(thread_id thread, status_t* exitValue);
// find_thread(NULL) names the calling thread, whoever made it; with a name, the live
// spawned thread of that name.
thread_id find_thread(const char* name);

// Time, in microseconds. system_time counts from an arbitrary start and never goes back.
bigtime_t system_time(void);
status_t snooze(bigtime_t microseconds);

// Counting semaphores. delete_sem wakes every waiter with B_BAD_SEM_ID.
sem_id create_sem(int32 count, const char* name);
status_t delete_sem(sem_id sem);
status_t acquire_sem(sem_id sem);
status_t acquire_sem_etc(sem_id sem, int32 count, uint32 flags, bigtime_t timeout);
status_t release_sem(sem_id sem);
status_t release_sem_etc(sem_id sem, int32 count, uint32 flags);
status_t get_sem_count(sem_id sem, int32* count);

// Atomic operations on 32-bit values; each returns the value held before.
int32 atomic_add(int32* value, int32 addValue);
int32 atomic_set(int32* value, int32 newValue);
int32 atomic_get(int32* value);
