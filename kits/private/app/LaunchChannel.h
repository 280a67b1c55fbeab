// Single launch: the first launch of an application takes a lock file and, once its display
// is open, listens on a Unix socket beside it; later launches hand their arguments to it and
// end (the exchange is in LaunchProtocol.h).
#pragma once

#include <OS.h>

#include <memory>
#include <string>
#include <vector>

namespace BPrivate {

// The folder for the socket and its lock file: $ZOETRA_RUNTIME_DIR when set (tests give
// each run its own), else $XDG_RUNTIME_DIR, else /tmp/zoetra-<uid>. It must be a folder
// of this user that nobody else may enter (mode 0700); otherwise single launch is off.
extern const char* const kRuntimeDirectoryVariable;

class LaunchListener;

class LaunchChannel {
public:
	enum Role {
		// This process is the instance: it holds the lock, and Listen() opens the socket.
		kPrimary,
		// The running instance took every argument; the process should end.
		kHandedOver,
		// The process runs on its own: single launch is off, the running instance did not
		// take the launch in time, or it took only some of its parts.
		kStandalone,
	};

	struct Decision {
		Role role = kStandalone;
		// What this process opens itself, program first: all its arguments, or those of
		// the parts that the running instance did not take.
		std::vector<std::string> ownArguments;
		// For kPrimary only.
		std::unique_ptr<LaunchChannel> channel;
	};

	// Decides the role of a launch with these arguments (the process's own, program first)
	// within kDecisionTimeout; never sends a part twice. When single launch is off it says
	// why, in one line on standard error.
	static Decision Decide(const char* signature, const std::vector<std::string>& arguments);

	// Opens the socket; the arguments of later launches are then posted to the looper with
	// token `applicationToken` as B_ARGV_RECEIVED.
	status_t Listen(int32 applicationToken);

	// Removes the socket, settles the launches in flight (one that has confirmed is still
	// posted, the others open their files themselves), then lets the lock go.
	~LaunchChannel();

	LaunchChannel(const LaunchChannel&) = delete;
	LaunchChannel& operator=(const LaunchChannel&) = delete;

private:
	LaunchChannel(int lockFd, std::string socketPath);

	int fLockFd;
	std::string fSocketPath;
	std::unique_ptr<LaunchListener> fListener;
};

}
