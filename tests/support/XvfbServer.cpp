// Starts Xvfb for tests and wraps xdotool, xwininfo and ImageMagick's import.
#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <thread>

extern char** environ;

namespace zoetra::testing {

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";

// Reads everything from `fd` until EOF or the deadline; false on timeout.
bool ReadAll(
	int fd, std::string& out, std::chrono::steady_clock::time_point deadline, bool untilNewline)
{
	char buffer[4096];
	for (;;) {
		const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
			deadline - std::chrono::steady_clock::now());
		if (left.count() <= 0)
			return false;
		pollfd poller{fd, POLLIN, 0};
		const int ready = poll(&poller, 1, int(left.count()));
		if (ready < 0 && errno == EINTR)
			continue;
		if (ready <= 0)
			return false;
		const ssize_t got = read(fd, buffer, sizeof buffer);
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			return true;
		out.append(buffer, size_t(got));
		if (untilNewline && out.find('\n') != std::string::npos)
			return true;
	}
}

pid_t Spawn(const std::vector<std::string>& arguments, int outputFd, bool quiet)
{
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	if (outputFd >= 0)
		posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
	posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
	if (quiet)
		posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(nullptr);
	pid_t pid = -1;
	if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
		pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

std::string FindProgram(const std::string& name)
{
	for (const char* folder : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
		const std::string path = folder + name;
		if (access(path.c_str(), X_OK) == 0)
			return path;
	}
	return name;
}

} // namespace

bool XvfbAvailable()
{
	return access(kXvfb, X_OK) == 0;
}

XvfbServer::XvfbServer(int width, int height)
{
	int pipeFds[2];
	if (!XvfbAvailable() || pipe2(pipeFds, O_CLOEXEC) != 0)
		return;
	// The write end must survive exec for Xvfb to report its display on it.
	const int reportFd = fcntl(pipeFds[1], F_DUPFD, 10);
	const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
	const std::string report = std::to_string(reportFd);
	const pid_t parent = getpid();
	fPid = fork();
	if (fPid == 0) {
		// The server ends with the test, however the test ends (a watchdog, a timeout),
		// and keeps none of the test's output pipes open behind it.
		prctl(PR_SET_PDEATHSIG, SIGTERM);
		if (getppid() != parent)
			_exit(1);
		const int null = open("/dev/null", O_RDWR);
		dup2(null, STDIN_FILENO);
		dup2(null, STDOUT_FILENO);
		dup2(null, STDERR_FILENO);
		execl(kXvfb, kXvfb, "-displayfd", report.c_str(), "-screen", "0", screen.c_str(),
			"-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
		_exit(127);
	}
	close(reportFd);
	close(pipeFds[1]);
	std::string number;
	const bool reported = ReadAll(
		pipeFds[0], number, std::chrono::steady_clock::now() + std::chrono::seconds(15), true);
	close(pipeFds[0]);
	if (fPid > 0 && reported && !number.empty())
		fDisplay = ":" + number.substr(0, number.find('\n'));
}

XvfbServer::~XvfbServer()
{
	if (fPid > 0) {
		kill(fPid, SIGTERM);
		int status;
		waitpid(fPid, &status, 0);
	}
}

bool UseXvfbDisplay()
{
	static XvfbServer* server = nullptr;
	if (!server) {
		server = new XvfbServer;
		if (server->Display().empty())
			return false;
		setenv("DISPLAY", server->Display().c_str(), 1);
		setenv("QT_QPA_PLATFORM", "xcb", 1);
		std::atexit([] { delete server; });
	}
	return !server->Display().empty();
}

ToolResult RunTool(const std::vector<std::string>& arguments, std::chrono::milliseconds bound)
{
	ToolResult result;
	int pipeFds[2];
	if (arguments.empty() || pipe2(pipeFds, O_CLOEXEC) != 0)
		return result;
	std::vector<std::string> withPath = arguments;
	if (withPath[0].find('/') == std::string::npos)
		withPath[0] = FindProgram(withPath[0]);
	const pid_t pid = Spawn(withPath, pipeFds[1], true);
	close(pipeFds[1]);
	if (pid < 0) {
		close(pipeFds[0]);
		return result;
	}
	const bool finished =
		ReadAll(pipeFds[0], result.output, std::chrono::steady_clock::now() + bound, false);
	close(pipeFds[0]);
	if (!finished)
		kill(pid, SIGKILL);
	int status = 0;
	waitpid(pid, &status, 0);
	result.status = finished && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return result;
}

unsigned long FindWindow(const std::string& title, std::chrono::milliseconds bound)
{
	const auto deadline = std::chrono::steady_clock::now() + bound;
	do {
		const ToolResult found =
			RunTool({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
		if (found.status == 0 && !found.output.empty())
			return std::strtoul(found.output.c_str(), nullptr, 10);
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	} while (std::chrono::steady_clock::now() < deadline);
	return 0;
}

bool WindowGeometry(unsigned long window, XWindowGeometry& geometry)
{
	const ToolResult info = RunTool({"xwininfo", "-id", std::to_string(window)});
	if (info.status != 0)
		return false;
	auto field = [&](const char* label) {
		const size_t at = info.output.find(label);
		return at == std::string::npos ? -1
									   : std::atoi(info.output.c_str() + at + std::strlen(label));
	};
	geometry.x = field("Absolute upper-left X:");
	geometry.y = field("Absolute upper-left Y:");
	geometry.width = field("Width:");
	geometry.height = field("Height:");
	return geometry.width > 0 && geometry.height > 0;
}

bool MoveMouse(int x, int y)
{
	return RunTool({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y)}).status
		== 0;
}

bool Click(int x, int y, int button)
{
	return MoveMouse(x, y) && RunTool({"xdotool", "click", std::to_string(button)}).status == 0;
}

bool MouseDown(int button)
{
	return RunTool({"xdotool", "mousedown", std::to_string(button)}).status == 0;
}

bool MouseUp(int button)
{
	return RunTool({"xdotool", "mouseup", std::to_string(button)}).status == 0;
}

bool FocusWindow(unsigned long window)
{
	return RunTool({"xdotool", "windowfocus", "--sync", std::to_string(window)}).status == 0;
}

bool Key(const std::string& keys)
{
	return RunTool({"xdotool", "key", "--clearmodifiers", keys}).status == 0;
}

bool TypeText(const std::string& text)
{
	return RunTool({"xdotool", "type", "--delay", "5", text}).status == 0;
}

bool CloseWindow(unsigned long window)
{
#ifdef ZOETRA_X11_CLOSE
	return RunTool({ZOETRA_X11_CLOSE, std::to_string(window)}).status == 0;
#else
	(void)window;
	return false;
#endif
}

bool Screenshot(int x, int y, int width, int height, std::vector<uint32_t>& pixels)
{
	const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+"
		+ std::to_string(x) + "+" + std::to_string(y);
	const ToolResult shot =
		RunTool({"import", "-silent", "-window", "root", "-crop", crop, "-depth", "8", "rgb:-"},
			std::chrono::seconds(20));
	if (shot.status != 0 || shot.output.size() != size_t(width) * size_t(height) * 3)
		return false;
	pixels.resize(size_t(width) * size_t(height));
	const auto* bytes = reinterpret_cast<const uint8_t*>(shot.output.data());
	for (size_t i = 0; i < pixels.size(); i++)
		pixels[i] = 0xff000000u | uint32_t(bytes[3 * i]) << 16 | uint32_t(bytes[3 * i + 1]) << 8
			| bytes[3 * i + 2];
	return true;
}

bool SaveScreen(const std::string& path)
{
	return RunTool({"import", "-silent", "-window", "root", path}, std::chrono::seconds(20)).status
		== 0;
}

} // namespace zoetra::testing
