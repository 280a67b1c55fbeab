// Spawning zoetra, collecting its standard output on a thread, and waiting for its end.
#include "PlayerProcess.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace zoetra::testing {

std::string PlayerPath()
{
	return std::string(ZOETRA_BUILD_DIR) + "/zoetra";
}

std::string FlitoolPath()
{
	return std::string(ZOETRA_BUILD_DIR) + "/flitool";
}

RuntimeFolder::RuntimeFolder()
{
	char pattern[] = "/tmp/zoetra-test-XXXXXX";
	if (mkdtemp(pattern) != nullptr)
		fPath = pattern;
}

RuntimeFolder::~RuntimeFolder()
{
	if (!fPath.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(fPath, ignored);
	}
}

PlayerProcess::PlayerProcess(
	const std::string& runtimeFolder, const std::vector<std::string>& arguments)
{
	int output[2];
	if (pipe(output) != 0)
		return;
	fPid = fork();
	if (fPid == 0) {
		dup2(output[1], STDOUT_FILENO);
		close(output[0]);
		close(output[1]);
		setenv("ZOETRA_RUNTIME_DIR", runtimeFolder.c_str(), 1);
		setenv("XDG_RUNTIME_DIR", runtimeFolder.c_str(), 1);
		std::vector<char*> argv;
		const std::string program = PlayerPath();
		argv.push_back(const_cast<char*>(program.c_str()));
		for (const std::string& argument : arguments)
			argv.push_back(const_cast<char*>(argument.c_str()));
		argv.push_back(nullptr);
		execv(program.c_str(), argv.data());
		_exit(127);
	}
	close(output[1]);
	fReader = std::thread([this, fd = output[0]] { ReadOutput(fd); });
}

PlayerProcess::~PlayerProcess()
{
	if (Running())
		kill(fPid, SIGKILL);
	if (!fStatus && fPid > 0)
		waitpid(fPid, nullptr, 0);
	if (fReader.joinable())
		fReader.join();
}

void PlayerProcess::ReadOutput(int fd)
{
	char chunk[1024];
	ssize_t count;
	while ((count = read(fd, chunk, sizeof chunk)) > 0) {
		{
			std::lock_guard lock(fMutex);
			fOutput.append(chunk, size_t(count));
		}
		fChanged.notify_all();
	}
	close(fd);
}

std::string PlayerProcess::Output()
{
	std::lock_guard lock(fMutex);
	return fOutput;
}

bool PlayerProcess::WaitForOutput(const std::string& expected, std::chrono::milliseconds bound)
{
	std::unique_lock lock(fMutex);
	return fChanged.wait_for(lock, bound, [&] { return fOutput == expected; });
}

bool PlayerProcess::Running()
{
	if (fPid <= 0 || fStatus)
		return false;
	int status = 0;
	if (waitpid(fPid, &status, WNOHANG) == fPid) {
		fStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
		return false;
	}
	return true;
}

std::optional<int> PlayerProcess::WaitForExit(std::chrono::milliseconds bound)
{
	const auto deadline = std::chrono::steady_clock::now() + bound;
	while (Running()) {
		if (std::chrono::steady_clock::now() >= deadline)
			return std::nullopt;
		std::this_thread::sleep_for(10ms);
	}
	return fStatus;
}

} // namespace zoetra::testing
