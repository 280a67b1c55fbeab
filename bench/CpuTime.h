// CPU time, user and system together, for the benchmarks.
#pragma once

#include <sys/resource.h>

inline double UsedSeconds(int who)
{
	rusage usage{};
	getrusage(who, &usage);
	return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
		+ double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// What this process has used so far.
inline double CpuSeconds()
{
	return UsedSeconds(RUSAGE_SELF);
}

// What the children this process has waited for, and the children they waited for, used.
inline double ChildrenCpuSeconds()
{
	return UsedSeconds(RUSAGE_CHILDREN);
}
