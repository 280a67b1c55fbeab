// build/zoetra run as a child process with its own single-launch folder, standard output captured.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zoetra::testing {

using namespace std::chrono_literals;

// A private folder (mode 0700) for the single-launch socket, removed at the end.
class RuntimeFolder {
public:
	RuntimeFolder();
	~RuntimeFolder();
	const std::string& Path() const { return fPath; }

private:
	std::string fPath;
};

class PlayerProcess {
public:
	PlayerProcess(const std::string& runtimeFolder, const std::vector<std::string>& arguments);
	~PlayerProcess();

	// Everything written to standard output so far.
	std::string Output();
	// Waits until the output equals `expected`; false after `bound`.
	bool WaitForOutput(const std::string& expected, std::chrono::milliseconds bound = 10s);
	// The exit status once the process has ended within `bound`.
	std::optional<int> WaitForExit(std::chrono::milliseconds bound = 10s);
	bool Running();

private:
	void ReadOutput(int fd);

	int fPid = -1;
	std::optional<int> fStatus;
	std::mutex fMutex;
	std::condition_variable fChanged;
	std::string fOutput;
	std::thread fReader;
};

std::string PlayerPath();
std::string FlitoolPath();

} // namespace zoetra::testing
