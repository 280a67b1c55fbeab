// Maps kernel-kit thread priorities onto Linux scheduling.
#include "private/kernel/ThreadPriority.h"

#include <OS.h>

#include <cerrno>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace BPrivate {

namespace {

// The nice value of the main thread when the kit first looked; threads of normal
// priority return to it, whatever their creator had.
int BaseNiceValue()
{
	static const int baseNice = [] {
		errno = 0;
		int nice = getpriority(PRIO_PROCESS, getpid());
		return errno == 0 ? nice : 0;
	}();
	return baseNice;
}

int NiceOffsetFor(int32 priority)
{
	if (priority >= B_REAL_TIME_DISPLAY_PRIORITY)
		return -10;
	if (priority >= B_URGENT_DISPLAY_PRIORITY)
		return -5;
	if (priority >= B_DISPLAY_PRIORITY)
		return -2;
	if (priority >= B_NORMAL_PRIORITY)
		return 0;
	if (priority >= B_LOW_PRIORITY)
		return 5;
	if (priority >= B_LOWEST_ACTIVE_PRIORITY)
		return 10;
	return 19;
}

// A real-time class only where the administrator granted real-time priorities through
// RLIMIT_RTPRIO, and then the lowest round-robin level: a real-time thread that ever
// spun would otherwise starve everything else on a machine with few cores. Root without
// such a limit gets no real-time class for the same reason.
bool TryRoundRobin()
{
	struct rlimit limit;
	if (getrlimit(RLIMIT_RTPRIO, &limit) != 0 || limit.rlim_cur < 1)
		return false;
	struct sched_param param = {};
	param.sched_priority = 1;
	return pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0;
}

}

// Unprivileged Linux threads run under SCHED_OTHER and may only raise their nice value
// (RLIMIT_NICE permitting otherwise). So priorities above normal ask for a lower nice
// value, which succeeds only where the system allows it, and lower priorities get a
// higher one. Linux nice values are per thread.
void ApplyThreadPriority(int32 priority)
{
	if (priority >= B_REAL_TIME_DISPLAY_PRIORITY && TryRoundRobin())
		return;
	int target = BaseNiceValue() + NiceOffsetFor(priority);
	if (target > 19)
		target = 19;
	if (target < -20)
		target = -20;
	pid_t tid = static_cast<pid_t>(syscall(SYS_gettid));
	errno = 0;
	int current = getpriority(PRIO_PROCESS, tid);
	if (errno == 0 && current == target)
		return;
	setpriority(PRIO_PROCESS, tid, target);
}

}
