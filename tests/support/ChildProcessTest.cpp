// The promises the tests rely on when they start programs: nothing of the test leaks into
// the program, every wait has a bound, and no program outlives the test that started it.
#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

using namespace zoetra::testing;
using namespace std::chrono_literals;

namespace {

// Whether process `pid` is gone or a zombie (no one may be left to reap it in a container).
bool Ended(pid_t pid)
{
	std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
	std::string text((std::istreambuf_iterator<char>(stat)), {});
	const size_t close = text.rfind(')');
	return close == std::string::npos || text.compare(close + 2, 1, "Z") == 0;
}

TEST(ChildProcess, GetsItsArgumentsEnvironmentAndFolderAndNoOtherDescriptor)
{
	// A descriptor some library opened without O_CLOEXEC.
	const int stray = fcntl(STDIN_FILENO, F_DUPFD, 200);
	ASSERT_GE(stray, 200);
	TemporaryFolder folder;
	ChildProcess shell({"sh", "-c",
						   "echo \"$1 $ZOETRA_PROBE $(pwd)\"; "
						   "[ -e /proc/self/fd/"
							   + std::to_string(stray)
							   + " ] && echo leaked; "
								 "read line || echo no input; echo problem >&2; exit 3",
						   "sh", "first argument"},
		{.environment = {"ZOETRA_PROBE=set", "HOME=" + folder.Path()},
			.folder = folder.Path(),
			.errors = ChildOptions::Errors::Read});
	EXPECT_EQ(shell.WaitForExit(), 3);
	close(stray);
	EXPECT_EQ(shell.Output(), "first argument set " + folder.Path() + "\nno input\n");
	EXPECT_EQ(shell.Errors(), "problem\n");

	// A bare name removes the variable; the program is looked up in the PATH it is given.
	const std::string tool =
		folder.Write("zoetra-probe-tool", "#!/bin/sh\necho \"${HOME-unset}\"\n");
	ASSERT_EQ(chmod(tool.c_str(), 0700), 0);
	EXPECT_FALSE(ProgramInstalled("zoetra-probe-tool"));
	EXPECT_TRUE(ProgramInstalled("sh"));
	ChildProcess found({"zoetra-probe-tool"}, {.environment = {"PATH=" + folder.Path(), "HOME"}});
	EXPECT_EQ(found.WaitForExit(), 0);
	EXPECT_EQ(found.Output(), "unset\n");
}

TEST(ChildProcess, ReadsWhileWaitingAndReportsSignalsAndMissingPrograms)
{
	// More than a pipe holds: a wait that did not read would never see the end.
	ChildProcess writer({"head", "-c", "1000000", "/dev/zero"});
	EXPECT_EQ(writer.WaitForExit(), 0);
	EXPECT_EQ(writer.Output().size(), 1000000u);

	ChildProcess killed({"sh", "-c", "kill -9 $$"});
	EXPECT_EQ(killed.WaitForExit(), 128 + 9);
	EXPECT_EQ(RunTool({"/nonexistent/program"}).status, 127);

	ChildProcess joined({"sh", "-c", "echo out; echo error >&2; echo out again"},
		{.errors = ChildOptions::Errors::Join});
	EXPECT_EQ(joined.WaitForExit(), 0);
	EXPECT_EQ(joined.Lines(), (std::vector<std::string>{"out", "error", "out again"}));

	ChildProcess lines({"printf", "one\\ntwo\\nthree"});
	EXPECT_EQ(lines.ReadLine(), "one");
	EXPECT_TRUE(lines.WaitForLine("two"));
	EXPECT_EQ(lines.ReadLine(), "two");
	EXPECT_EQ(lines.ReadLine(), "") << "an unfinished line is no line";
	EXPECT_EQ(lines.Output(), "one\ntwo\nthree");
	EXPECT_EQ(lines.Lines(), (std::vector<std::string>{"one", "two"}));
}

TEST(ChildProcess, WaitsEndAtTheirBoundAndTheProgramEndsWithItsOwner)
{
	pid_t pid;
	{
		ChildProcess silent({"sleep", "60"});
		pid = silent.Pid();
		const auto start = std::chrono::steady_clock::now();
		EXPECT_FALSE(silent.WaitForLine("never", 100ms));
		EXPECT_EQ(silent.ReadLine(100ms), "");
		EXPECT_EQ(silent.WaitForExit(100ms), ChildProcess::kNotEnded);
		EXPECT_TRUE(silent.Running());
		EXPECT_LT(std::chrono::steady_clock::now() - start, 30s) << "a wait outran its bound";
	}
	EXPECT_TRUE(Ended(pid)) << "the program outlived its ChildProcess";

	// A test that dies without its destructors: the parent-death signal ends the program.
	int report[2];
	ASSERT_EQ(pipe(report), 0);
	EXPECT_EQ(RunInForkedChild([&] {
		// Never destroyed: the copy ends as a killed test would, running no destructor,
		// once the program runs (before, it would notice the missing parent itself).
		auto* orphan = new ChildProcess({"sh", "-c", "echo running; exec sleep 60"});
		const pid_t started = orphan->Pid();
		if (!orphan->WaitForLine("running"))
			return 1;
		return write(report[1], &started, sizeof started) == sizeof started ? 0 : 1;
	}),
		0);
	close(report[1]);
	pid_t orphan = -1;
	ASSERT_EQ(read(report[0], &orphan, sizeof orphan), ssize_t(sizeof orphan));
	close(report[0]);
	EXPECT_TRUE(WaitFor([&] { return Ended(orphan); })) << "the program outlived its test";
}

} // namespace
