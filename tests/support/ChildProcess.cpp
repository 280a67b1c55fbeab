// Starting a program safely from a threaded test, and reading its output with a bound.
#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace zoetra::testing {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kStopBound = std::chrono::seconds(5);
// How often a wait looks at whether the program has ended, where the kernel cannot say.
constexpr auto kExitPoll = std::chrono::milliseconds(10);

// A descriptor that is none of 0, 1 and 2, so that putting the program's standard streams
// in place can never overwrite another of the descriptors still to be put in place.
int AboveStandardStreams(int fd)
{
	if (fd < 0 || fd > STDERR_FILENO)
		return fd;
	const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
	close(fd);
	return moved;
}

bool OpenPipe(int ends[2])
{
	if (pipe2(ends, O_CLOEXEC) != 0)
		return false;
	ends[0] = AboveStandardStreams(ends[0]);
	ends[1] = AboveStandardStreams(ends[1]);
	return ends[0] >= 0 && ends[1] >= 0;
}

void CloseIfOpen(int& fd)
{
	if (fd >= 0)
		close(fd);
	fd = -1;
}

// The name a "NAME=value" environment entry sets, or a bare "NAME" removes.
std::string NameOf(const std::string& entry)
{
	return entry.substr(0, entry.find('='));
}

// The value of `name` in `environment`, or nullptr when it has none.
const char* ValueIn(const std::vector<std::string>& environment, const std::string& name)
{
	for (const std::string& entry : environment)
		if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0
			&& entry[name.size()] == '=')
			return entry.c_str() + name.size() + 1;
	return nullptr;
}

// `name` looked up in the folders of `path`, as a shell does; `name` itself when no folder
// holds it, or when it is a path already.
std::string FindProgram(const std::string& name, const char* path)
{
	if (name.find('/') != std::string::npos)
		return name;
	std::string folders = path != nullptr && *path != '\0' ? path : "/usr/local/bin:/usr/bin:/bin";
	for (size_t start = 0; start <= folders.size();) {
		size_t end = folders.find(':', start);
		if (end == std::string::npos)
			end = folders.size();
		const std::string candidate = folders.substr(start, end - start) + "/" + name;
		if (access(candidate.c_str(), X_OK) == 0)
			return candidate;
		start = end + 1;
	}
	return name;
}

// This process's environment with `changes` put over it: "NAME=value" sets, "NAME" removes.
std::vector<std::string> Environment(const std::vector<std::string>& changes)
{
	std::vector<std::string> entries;
	for (char** entry = environ; *entry != nullptr; entry++) {
		const std::string text = *entry;
		const bool changed = std::any_of(changes.begin(), changes.end(),
			[&](const std::string& change) { return NameOf(change) == NameOf(text); });
		if (!changed)
			entries.push_back(text);
	}
	for (const std::string& change : changes)
		if (change.find('=') != std::string::npos)
			entries.push_back(change);
	return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
	std::vector<char*> pointers;
	for (std::string& text : strings)
		pointers.push_back(text.data());
	pointers.push_back(nullptr);
	return pointers;
}

// In the child: makes `fd` the standard stream `target`, open across exec.
void PutInPlace(int fd, int target)
{
	if (fd == target)
		fcntl(fd, F_SETFD, 0);
	else
		dup2(fd, target);
}

// Whether some complete line of `text` equals `line`.
bool HasLine(const std::string& text, const std::string& line)
{
	for (size_t start = 0; start < text.size();) {
		const size_t end = text.find('\n', start);
		if (end == std::string::npos)
			return false;
		if (text.compare(start, end - start, line) == 0)
			return true;
		start = end + 1;
	}
	return false;
}

int StatusOf(int waitStatus)
{
	return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, ChildOptions options)
	: fStopSignal(options.stopSignal)
{
	if (arguments.empty())
		return;
	// Everything the child needs is made here: between fork and exec it may only make
	// system calls, since another thread may have held the allocator's lock at the fork.
	std::vector<std::string> argumentCopy = arguments;
	std::vector<std::string> environment = Environment(options.environment);
	const std::string program = FindProgram(arguments[0], ValueIn(environment, "PATH"));
	const std::vector<char*> argv = Pointers(argumentCopy);
	const std::vector<char*> envp = Pointers(environment);
	const char* folder = options.folder.empty() ? nullptr : options.folder.c_str();

	int output[2] = {-1, -1};
	int errors[2] = {-1, -1};
	int null = AboveStandardStreams(open("/dev/null", O_RDWR | O_CLOEXEC));
	const bool readErrors = options.errors == ChildOptions::Errors::Read;
	if (null < 0 || !OpenPipe(output) || (readErrors && !OpenPipe(errors))) {
		for (int fd : {null, output[0], output[1], errors[0], errors[1]})
			CloseIfOpen(fd);
		return;
	}
	int errorTarget = null;
	switch (options.errors) {
		case ChildOptions::Errors::Keep:
			errorTarget = STDERR_FILENO;
			break;
		case ChildOptions::Errors::Discard:
			break;
		case ChildOptions::Errors::Read:
			errorTarget = errors[1];
			break;
		case ChildOptions::Errors::Join:
			errorTarget = output[1];
			break;
	}
	const int stopSignal = options.stopSignal;
	const pid_t parent = getpid();

	fPid = fork();
	if (fPid == 0) {
		prctl(PR_SET_PDEATHSIG, stopSignal);
		// The parent may have died before the line above took effect.
		if (getppid() != parent)
			_exit(126);
		// The program starts with no signal blocked, whatever this thread blocked.
		sigset_t none;
		sigemptyset(&none);
		sigprocmask(SIG_SETMASK, &none, nullptr);
		PutInPlace(null, STDIN_FILENO);
		PutInPlace(output[1], STDOUT_FILENO);
		PutInPlace(errorTarget, STDERR_FILENO);
		// Descriptors that other code opened without O_CLOEXEC stay behind too.
		close_range(STDERR_FILENO + 1, ~0u, CLOSE_RANGE_CLOEXEC);
		if (folder != nullptr && chdir(folder) != 0)
			_exit(126);
		execve(program.c_str(), argv.data(), envp.data());
		_exit(127);
	}
	close(null);
	close(output[1]);
	CloseIfOpen(errors[1]);
	fOutputPipe = output[0];
	fErrorPipe = errors[0];
	if (fPid < 0) {
		CloseIfOpen(fOutputPipe);
		CloseIfOpen(fErrorPipe);
		return;
	}
	// Readable once the program has ended, so that a wait wakes at the moment it does.
	// (Through syscall: the C library's header forgets to declare pidfd_open extern "C".)
	fExitFd = int(syscall(SYS_pidfd_open, fPid, 0));
}

ChildProcess::~ChildProcess()
{
	if (Running()) {
		kill(fPid, fStopSignal);
		if (WaitForExit(kStopBound) == kNotEnded) {
			kill(fPid, SIGKILL);
			Reap(0);
		}
	}
	CloseIfOpen(fOutputPipe);
	CloseIfOpen(fErrorPipe);
	CloseIfOpen(fExitFd);
}

bool ChildProcess::Reap(int options)
{
	int status = 0;
	if (fPid <= 0 || fStatus != kNotEnded || waitpid(fPid, &status, options) != fPid)
		return false;
	fStatus = StatusOf(status);
	CloseIfOpen(fExitFd);
	return true;
}

bool ChildProcess::Running()
{
	Reap(WNOHANG);
	return fPid > 0 && fStatus == kNotEnded;
}

void ChildProcess::Signal(int signal)
{
	if (Running())
		kill(fPid, signal);
}

bool ChildProcess::ReadUntil(Deadline deadline, bool orExit)
{
	pollfd watched[3];
	int count = 0;
	for (int fd : {fOutputPipe, fErrorPipe, orExit ? fExitFd : -1})
		if (fd >= 0)
			watched[count++] = {fd, POLLIN, 0};
	if (count == 0)
		return false;
	const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
	const int ready = poll(watched, nfds_t(count), int(std::max<int64_t>(left.count(), 0)));
	if (ready <= 0)
		return ready < 0 && errno == EINTR;
	char buffer[65536];
	for (int i = 0; i < count; i++) {
		if (watched[i].revents == 0 || watched[i].fd == fExitFd)
			continue;
		const bool isOutput = watched[i].fd == fOutputPipe;
		const ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
		if (got > 0)
			(isOutput ? fOutput : fErrors).append(buffer, size_t(got));
		else if (got == 0 || errno != EINTR)
			CloseIfOpen(isOutput ? fOutputPipe : fErrorPipe);
	}
	return true;
}

void ChildProcess::ReadWhatIsThere()
{
	// Bounded too: a program may never stop writing.
	const Deadline deadline = Clock::now() + kExitPoll;
	while (ReadUntil(Clock::now()) && Clock::now() < deadline) {
	}
}

std::string ChildProcess::Output()
{
	ReadWhatIsThere();
	return fOutput;
}

std::string ChildProcess::Errors()
{
	ReadWhatIsThere();
	return fErrors;
}

std::vector<std::string> ChildProcess::Lines()
{
	ReadWhatIsThere();
	std::vector<std::string> lines;
	for (size_t start = 0, end; (end = fOutput.find('\n', start)) != std::string::npos;
		 start = end + 1)
		lines.push_back(fOutput.substr(start, end - start));
	return lines;
}

bool ChildProcess::WaitForOutput(const std::string& expected, std::chrono::milliseconds bound)
{
	const Deadline deadline = Clock::now() + bound;
	// What is there already counts: output that equals `expected` only because the rest
	// was not read yet does not.
	ReadWhatIsThere();
	while (fOutput != expected)
		if (!ReadUntil(deadline))
			return fOutput == expected;
	return true;
}

bool ChildProcess::WaitForLine(const std::string& line, std::chrono::milliseconds bound)
{
	const Deadline deadline = Clock::now() + bound;
	while (!HasLine(fOutput, line))
		if (!ReadUntil(deadline))
			return HasLine(fOutput, line);
	return true;
}

std::string ChildProcess::ReadLine(std::chrono::milliseconds bound)
{
	const Deadline deadline = Clock::now() + bound;
	size_t end;
	while ((end = fOutput.find('\n', fNextLine)) == std::string::npos)
		if (!ReadUntil(deadline))
			return "";
	std::string line = fOutput.substr(fNextLine, end - fNextLine);
	fNextLine = end + 1;
	return line;
}

int ChildProcess::WaitForExit(std::chrono::milliseconds bound)
{
	const Deadline deadline = Clock::now() + bound;
	// The output is read meanwhile: a program blocked on a full pipe would never end.
	while (fStatus == kNotEnded && !Reap(WNOHANG)) {
		if (!Started() || Clock::now() >= deadline)
			return kNotEnded;
		const Deadline slice =
			fExitFd >= 0 ? deadline : std::min(deadline, Clock::now() + kExitPoll);
		if (!ReadUntil(slice, true))
			std::this_thread::sleep_until(slice);
	}
	// What is left in the pipes; a program it started may still hold them open.
	while (ReadUntil(std::min(deadline, Clock::now() + kExitPoll))) {
	}
	return fStatus;
}

int RunInForkedChild(const std::function<int()>& body, std::chrono::milliseconds bound)
{
	const pid_t parent = getpid();
	const pid_t copy = fork();
	if (copy == 0) {
		prctl(PR_SET_PDEATHSIG, SIGKILL);
		if (getppid() != parent)
			_exit(126);
		_exit(body());
	}
	if (copy < 0)
		return ChildProcess::kNotEnded;
	const Clock::time_point deadline = Clock::now() + bound;
	int status = 0;
	while (waitpid(copy, &status, WNOHANG) != copy) {
		if (Clock::now() >= deadline) {
			kill(copy, SIGKILL);
			waitpid(copy, nullptr, 0);
			return ChildProcess::kNotEnded;
		}
		std::this_thread::sleep_for(kExitPoll);
	}
	return StatusOf(status);
}

bool ProgramInstalled(const std::string& name)
{
	const std::string program = FindProgram(name, std::getenv("PATH"));
	return program.find('/') != std::string::npos && access(program.c_str(), X_OK) == 0;
}

ToolResult RunTool(const std::vector<std::string>& arguments, std::chrono::milliseconds bound)
{
	ChildProcess tool(arguments, {.errors = ChildOptions::Errors::Discard});
	ToolResult result;
	result.status = tool.WaitForExit(bound);
	result.output = tool.Output();
	return result;
}

double ProcessCpuSeconds(pid_t pid)
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

} // namespace zoetra::testing
