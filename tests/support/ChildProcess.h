// A program run by a test: its output read line by line with a bound, and ended if it hangs.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace zoetra::testing {

class ChildProcess {
public:
	// Starts `arguments[0]` (a path) with its standard output on a pipe; stderr is kept.
	explicit ChildProcess(const std::vector<std::string>& arguments);
	// Kills the program if it still runs.
	~ChildProcess();
	ChildProcess(const ChildProcess&) = delete;
	ChildProcess& operator=(const ChildProcess&) = delete;

	bool Started() const { return fPid > 0; }
	// Waits for a line equal to `line` (lines read meanwhile are kept); false after `bound`.
	bool WaitForLine(
		const std::string& line, std::chrono::milliseconds bound = std::chrono::seconds(10));
	// Waits for the program to end; its exit status, or -1 if it did not end in time.
	int WaitForExit(std::chrono::milliseconds bound = std::chrono::seconds(10));
	const std::vector<std::string>& Lines() const { return fLines; }

private:
	bool ReadSome(std::chrono::steady_clock::time_point deadline);

	int fPid = -1;
	int fOutput = -1;
	std::string fPending;
	std::vector<std::string> fLines;
};

} // namespace zoetra::testing
