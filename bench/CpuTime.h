// The CPU time this process has used, user and system together, for the benchmarks.
#pragma once

#include <sys/resource.h>

inline double CpuSeconds()
{
	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
		+ double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
