// A program run by a test, and the one way the tests start programs.
//
// How to use:
//   ChildProcess demo({KIT_DEMO_PATH}, {.environment = {"ZOETRA_RUNTIME_DIR=" + folder.Path()}});
//   ChildProcess bare({"zoetra"}, {.environment = {"DISPLAY"}, .errors = Errors::Join}); // unset
//   ASSERT_TRUE(demo.WaitForLine("ready"));          // any line so far, waiting up to 10 s
//   EXPECT_EQ(demo.ReadLine(), "next line");         // lines one by one, in order
//   EXPECT_EQ(demo.WaitForExit(), 0);                // kNotEnded when it is still running
//   ToolResult found = RunTool({"xdotool", "search", "--name", "x"}); // run to its end
//   if (!ProgramInstalled("convert")) GTEST_SKIP();
//   EXPECT_EQ(RunInForkedChild([] { return setuid(65534) == 0 ? 0 : 1; }), 0);
//
// Standard output is always read through a pipe, standard input is /dev/null, and standard
// error is kept, dropped, read apart or joined to standard output as ChildOptions says. Every read and wait has a bound. The
// program is ended when the ChildProcess is destroyed, and also when the thread that started
// it ends (the kernel's parent-death signal follows the thread, not the process): start a
// program that must outlive a test body from the thread that runs the whole program.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

namespace zoetra::testing {

struct ChildOptions {
	// Keep: this process's standard error. Read: a pipe of its own (Errors()). Join: the
	// standard output's pipe, so that Output() holds both in the order they were written.
	enum class Errors { Keep, Discard, Read, Join };

	// The program's environment is this process's with these changes: a "NAME=value" entry
	// sets NAME, a bare "NAME" removes it. Arguments[0] is looked up in the PATH it ends with.
	std::vector<std::string> environment{};
	// The program's working folder; "" keeps this process's.
	std::string folder{};
	Errors errors = Errors::Keep;
	// Ends the program when the test no longer wants it; a program that is still there
	// five seconds later is killed.
	int stopSignal = SIGKILL;
};

class ChildProcess {
public:
	static constexpr int kNotEnded = -1;

	// Starts `arguments[0]` (a path, or a name looked up in PATH) with the other arguments.
	explicit ChildProcess(const std::vector<std::string>& arguments, ChildOptions options = {});
	// Stops the program if it still runs, and waits for it.
	~ChildProcess();
	ChildProcess(const ChildProcess&) = delete;
	ChildProcess& operator=(const ChildProcess&) = delete;

	bool Started() const { return fPid > 0; }
	pid_t Pid() const { return fPid; }
	bool Running();
	void Signal(int signal);

	// Everything the program wrote to standard output (or error) so far.
	std::string Output();
	std::string Errors();
	// The complete lines of the output so far, without their line ends.
	std::vector<std::string> Lines();
	// Waits until the whole output so far equals `expected`; false after `bound`.
	bool WaitForOutput(
		const std::string& expected, std::chrono::milliseconds bound = std::chrono::seconds(10));
	// Waits until some line of the output equals `line`; false after `bound`.
	bool WaitForLine(
		const std::string& line, std::chrono::milliseconds bound = std::chrono::seconds(10));
	// The next line that ReadLine has not returned yet; "" when none is complete within `bound`.
	std::string ReadLine(std::chrono::milliseconds bound = std::chrono::seconds(10));

	// The exit status (128 + the signal for a program killed by one) once the program has
	// ended within `bound`, with all its output read; kNotEnded otherwise.
	int WaitForExit(std::chrono::milliseconds bound = std::chrono::seconds(10));

private:
	using Deadline = std::chrono::steady_clock::time_point;

	// Reads what the program has written, waiting for it (or, with `orExit`, for the program
	// to end) until `deadline`; false when nothing came before then, or nothing more will.
	bool ReadUntil(Deadline deadline, bool orExit = false);
	void ReadWhatIsThere();
	bool Reap(int options);

	pid_t fPid = -1;
	int fStatus = kNotEnded;
	int fStopSignal = SIGKILL;
	int fOutputPipe = -1;
	int fErrorPipe = -1;
	int fExitFd = -1;
	std::string fOutput;
	std::string fErrors;
	size_t fNextLine = 0;
};

struct ToolResult {
	int status = ChildProcess::kNotEnded; // also when it could not start or outran its bound
	std::string output;
};

// Whether `name` is a program in PATH (or, with a '/', an executable file).
bool ProgramInstalled(const std::string& name);

// Runs a program to its end with its standard error dropped; one that runs longer than
// `bound` is killed.
ToolResult RunTool(const std::vector<std::string>& arguments,
	std::chrono::milliseconds bound = std::chrono::seconds(10));

// Runs `body` in a forked copy of this process, for code that must run as another user or
// under other limits, and returns what it returns as the copy's exit status (as
// WaitForExit does; a copy that outruns `bound` is killed). The copy runs more than system
// calls, so only a test program that has no other thread at the time may call this.
int RunInForkedChild(
	const std::function<int()>& body, std::chrono::milliseconds bound = std::chrono::seconds(10));

// The CPU time another process (all its threads) has used so far, user and system, in
// seconds, from /proc; -1 when it is gone.
double ProcessCpuSeconds(pid_t pid);

} // namespace zoetra::testing
