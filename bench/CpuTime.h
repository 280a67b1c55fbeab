// CPU time, user and system together, for the benchmarks.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

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

// What another process (all its threads) has used so far, from /proc; -1 when it is gone.
inline double ProcessCpuSeconds(pid_t pid)
{
	std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
	const std::string text((std::istreambuf_iterator<char>(stat)), {});
	// The command name may hold spaces and parentheses: the fields start after the last ')'.
	const auto close = text.rfind(')');
	if (close == std::string::npos)
		return -1;
	std::istringstream fields(text.substr(close + 2));
	std::string field;
	unsigned long user = 0, system = 0;
	for (int index = 3; fields >> field; index++) {
		if (index == 14)
			user = std::stoul(field);
		if (index == 15) {
			system = std::stoul(field);
			break;
		}
	}
	return double(user + system) / double(sysconf(_SC_CLK_TCK));
}
