// Runs a program for a test and reads its output lines with a deadline.
#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

namespace zoetra::testing {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments)
{
	int fds[2];
	if (arguments.empty() || pipe2(fds, O_CLOEXEC) != 0)
		return;
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(nullptr);
	const pid_t parent = getpid();
	fPid = fork();
	if (fPid == 0) {
		// The program ends with the test, however the test ends.
		prctl(PR_SET_PDEATHSIG, SIGKILL);
		if (getppid() != parent)
			_exit(1);
		dup2(fds[1], STDOUT_FILENO);
		const int null = open("/dev/null", O_RDONLY);
		dup2(null, STDIN_FILENO);
		execv(argv[0], argv.data());
		_exit(127);
	}
	close(fds[1]);
	fOutput = fds[0];
}

ChildProcess::~ChildProcess()
{
	if (fPid > 0) {
		kill(fPid, SIGKILL);
		int status;
		waitpid(fPid, &status, 0);
	}
	if (fOutput >= 0)
		close(fOutput);
}

bool ChildProcess::ReadSome(std::chrono::steady_clock::time_point deadline)
{
	const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
		deadline - std::chrono::steady_clock::now());
	if (fOutput < 0 || left.count() <= 0)
		return false;
	pollfd poller{fOutput, POLLIN, 0};
	const int ready = poll(&poller, 1, int(left.count()));
	if (ready <= 0)
		return ready < 0 && errno == EINTR;
	char buffer[1024];
	const ssize_t got = read(fOutput, buffer, sizeof buffer);
	if (got <= 0) {
		close(fOutput);
		fOutput = -1;
		return false;
	}
	fPending.append(buffer, size_t(got));
	for (size_t end; (end = fPending.find('\n')) != std::string::npos;) {
		fLines.push_back(fPending.substr(0, end));
		fPending.erase(0, end + 1);
	}
	return true;
}

bool ChildProcess::WaitForLine(const std::string& line, std::chrono::milliseconds bound)
{
	const auto deadline = std::chrono::steady_clock::now() + bound;
	while (std::find(fLines.begin(), fLines.end(), line) == fLines.end())
		if (!ReadSome(deadline))
			return std::find(fLines.begin(), fLines.end(), line) != fLines.end();
	return true;
}

int ChildProcess::WaitForExit(std::chrono::milliseconds bound)
{
	if (fPid <= 0)
		return -1;
	const auto deadline = std::chrono::steady_clock::now() + bound;
	while (ReadSome(deadline)) {
	}
	int status = 0;
	while (std::chrono::steady_clock::now() < deadline) {
		const pid_t done = waitpid(fPid, &status, WNOHANG);
		if (done == fPid) {
			fPid = -1;
			return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	}
	return -1;
}

} // namespace zoetra::testing
