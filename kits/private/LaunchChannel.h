// Single launch: the first instance of an application listens on a Unix socket, later
// launches hand their arguments to it and end.
#pragma once

#include <OS.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace BPrivate {

// The folder for the socket and its lock file: $ZOETRA_RUNTIME_DIR when set (tests give
// each run its own), else $XDG_RUNTIME_DIR, else /tmp/zoetra-<uid>. It must be a folder
// of this user that nobody else may enter (mode 0700); otherwise single launch is off.
extern const char* const kRuntimeDirectoryVariable;

class LaunchChannel {
public:
	enum Role {
		// This process is the instance; the channel listens for later launches.
		kPrimary,
		// The running instance took this launch's arguments; the process should end.
		kHandedOver,
		// No channel could be set up (no private folder, a running instance that never
		// answered); the process runs on its own.
		kStandalone,
	};

	// Decides the role of this launch. `arguments` are the process's own, program first;
	// the listener posts the arguments of later launches to the looper with token
	// `applicationToken` as B_ARGV_RECEIVED. Returns the channel for kPrimary only.
	static std::unique_ptr<LaunchChannel> Open(const char* signature,
		const std::vector<std::string>& arguments, int32 applicationToken, Role* role);

	~LaunchChannel();

	LaunchChannel(const LaunchChannel&) = delete;
	LaunchChannel& operator=(const LaunchChannel&) = delete;

private:
	LaunchChannel(int lockFd, std::string socketPath, int32 applicationToken);

	status_t Listen();
	void ListenLoop();
	void Serve(int connection);

	int fLockFd;
	int fListenFd;
	int fStopPipe[2];
	std::string fSocketPath;
	int32 fApplicationToken;
	std::thread fListener;
};

}
