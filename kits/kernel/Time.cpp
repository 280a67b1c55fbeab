// The kernel kit's clock and sleep, on the monotonic clock.
#include <OS.h>

#include <cerrno>
#include <ctime>

namespace {

constexpr bigtime_t kMicrosecondsPerSecond = 1000000;

timespec ToTimespec(bigtime_t microseconds)
{
	timespec time;
	time.tv_sec = microseconds / kMicrosecondsPerSecond;
	time.tv_nsec = (microseconds % kMicrosecondsPerSecond) * 1000;
	return time;
}

}

bigtime_t system_time(void)
{
	timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<bigtime_t>(now.tv_sec) * kMicrosecondsPerSecond + now.tv_nsec / 1000;
}

// Sleeps to an absolute deadline, so signals that interrupt the sleep never shorten it.
status_t snooze(bigtime_t microseconds)
{
	if (microseconds <= 0)
		return B_OK;
	bigtime_t now = system_time();
	bigtime_t deadline =
		microseconds > B_INFINITE_TIMEOUT - now ? B_INFINITE_TIMEOUT : now + microseconds;
	timespec until = ToTimespec(deadline);
	while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
	}
	return B_OK;
}
