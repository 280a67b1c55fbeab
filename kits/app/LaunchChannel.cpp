// Single launch over a Unix socket, with a lock file deciding which launch listens.
#include "private/app/LaunchChannel.h"

#include "private/app/LaunchListener.h"
#include "private/app/LaunchProtocol.h"
#include "private/app/QuitSignals.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace BPrivate {

const char* const kRuntimeDirectoryVariable = "ZOETRA_RUNTIME_DIR";

namespace {

constexpr bigtime_t kRetryInterval = 10000;

// One line, so that a user whose launches stop meeting the running instance learns why.
void SaySingleLaunchIsOff(const std::string& reason)
{
	fprintf(
		stderr, "%s: single launch is off: %s\n", program_invocation_short_name, reason.c_str());
}

// Empty when `path` is a folder of this user that nobody else may enter; else what is
// wrong with it.
std::string WhyNotPrivate(const std::string& path)
{
	struct stat info;
	if (lstat(path.c_str(), &info) != 0)
		return "cannot look at the runtime folder " + path + ": " + strerror(errno);
	if (S_ISLNK(info.st_mode))
		return "the runtime folder " + path + " is a symbolic link";
	if (!S_ISDIR(info.st_mode))
		return "the runtime folder " + path + " is not a folder";
	if (info.st_uid != getuid())
		return "the runtime folder " + path + " belongs to another user";
	if ((info.st_mode & 077) != 0) {
		char mode[8];
		snprintf(mode, sizeof(mode), "%04o", info.st_mode & 07777);
		return "the runtime folder " + path + " has mode " + mode + ", not 0700";
	}
	return "";
}

bool PreparePrivateDirectory(const std::string& path)
{
	if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
		SaySingleLaunchIsOff("cannot make the runtime folder " + path + ": " + strerror(errno));
		return false;
	}
	std::string problem = WhyNotPrivate(path);
	if (!problem.empty())
		SaySingleLaunchIsOff(problem);
	return problem.empty();
}

bool RuntimeDirectory(std::string* directory)
{
	const char* chosen = getenv(kRuntimeDirectoryVariable);
	if (chosen != nullptr && chosen[0] != '\0')
		return PreparePrivateDirectory(*directory = chosen);
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime != nullptr && runtime[0] == '/' && WhyNotPrivate(runtime).empty()) {
		*directory = runtime;
		return true;
	}
	*directory = "/tmp/zoetra-" + std::to_string(getuid());
	return PreparePrivateDirectory(*directory);
}

// The signature as a file name: letters, digits, '.', '-' and '_' kept, others '_'.
std::string FileNameFor(const char* signature)
{
	std::string name;
	for (const char* c = signature; *c != '\0'; c++) {
		bool safe = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')
			|| *c == '.' || *c == '-' || *c == '_';
		name += safe ? *c : '_';
	}
	return name;
}

bool FillAddress(const std::string& path, sockaddr_un* address)
{
	if (path.size() >= sizeof(address->sun_path))
		return false;
	memset(address, 0, sizeof(*address));
	address->sun_family = AF_UNIX;
	memcpy(address->sun_path, path.c_str(), path.size() + 1);
	return true;
}

// A connection to the instance, or -1 while none can be made: there is no socket yet (the
// instance is still opening its display), only a stale one, or its backlog is full. A Unix
// socket connects at once or not at all, so this never waits.
int ConnectNow(const sockaddr_un& address)
{
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
	if (fd < 0)
		return -1;
	if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
		return fd;
	close(fd);
	return -1;
}

// The program, then the arguments of the parts from `firstPart` on.
std::vector<std::string> ArgumentsOf(const std::vector<std::string>& arguments,
	const std::vector<LaunchPart>& parts, size_t firstPart)
{
	if (firstPart == 0)
		return arguments;
	std::vector<std::string> own{arguments.empty() ? "" : arguments[0]};
	for (size_t part = firstPart; part < parts.size(); part++) {
		for (size_t index : parts[part].argumentIndexes)
			own.push_back(arguments[index]);
	}
	return own;
}

// Hands the parts over from `*next` on, until every part is taken, one is not, the time is
// up, or the lock comes free; true in the last case. A launch keeps trying while the holder
// has no socket yet, or has just died and the lock is about to come free (a stale socket is
// then replaced).
bool HandOverUntilLocked(
	int lockFd, const sockaddr_un& address, const std::vector<LaunchPart>& parts, size_t* next)
{
	bigtime_t deadline = system_time() + kDecisionTimeout;
	while (flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
		int fd = ConnectNow(address);
		if (fd >= 0) {
			bool taken = HandOverPart(fd, parts[*next].request, deadline);
			close(fd);
			if (!taken || ++*next == parts.size())
				return false;
			continue;
		}
		bigtime_t remaining = deadline - system_time();
		if (remaining <= 0)
			return false;
		snooze(std::min(kRetryInterval, remaining));
	}
	return true;
}

}

// Whoever holds the lock is the instance. A part that is not taken is never sent again: it
// and the parts after it open in this process.
LaunchChannel::Decision LaunchChannel::Decide(
	const char* signature, const std::vector<std::string>& arguments)
{
	Decision decision;
	decision.ownArguments = arguments;
	std::string directory;
	if (signature == nullptr || !RuntimeDirectory(&directory))
		return decision;
	std::string base = directory + "/" + FileNameFor(signature);
	std::string socketPath = base + ".socket";
	sockaddr_un address;
	if (!FillAddress(socketPath, &address)) {
		SaySingleLaunchIsOff("the socket path " + socketPath + " is too long");
		return decision;
	}
	int lockFd = open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
	if (lockFd < 0) {
		SaySingleLaunchIsOff("cannot open " + base + ".lock: " + strerror(errno));
		return decision;
	}

	std::vector<LaunchPart> parts = LaunchParts(arguments);
	size_t next = 0;
	bool locked = HandOverUntilLocked(lockFd, address, parts, &next);
	if (next == parts.size()) {
		close(lockFd);
		decision.role = kHandedOver;
		decision.ownArguments.resize(1);
		return decision;
	}
	decision.ownArguments = ArgumentsOf(arguments, parts, next);
	// The instance may have quit while this launch last talked to it.
	if (!locked && flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
		close(lockFd);
		return decision;
	}
	decision.role = kPrimary;
	decision.channel.reset(new LaunchChannel(lockFd, socketPath));
	return decision;
}

LaunchChannel::LaunchChannel(int lockFd, std::string socketPath)
	: fLockFd(lockFd),
	  fSocketPath(std::move(socketPath))
{
}

// The socket goes before the lock: a launch that then takes the lock finds no socket of
// ours in its way, and one that comes meanwhile waits for the lock.
LaunchChannel::~LaunchChannel()
{
	if (fListener != nullptr) {
		KeepSocketOnForcedEnd();
		unlink(fSocketPath.c_str());
	}
	fListener.reset();
	close(fLockFd);
}

status_t LaunchChannel::Listen(int32 applicationToken)
{
	sockaddr_un address;
	if (fListener != nullptr || !FillAddress(fSocketPath, &address))
		return B_ERROR;
	// A socket left by an instance that died; the lock says it is ours to replace.
	unlink(fSocketPath.c_str());
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
	if (fd < 0)
		return B_ERROR;
	if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
		SaySingleLaunchIsOff("cannot listen on " + fSocketPath + ": " + strerror(errno));
		close(fd);
		return B_ERROR;
	}
	// From here on a second quit signal, which ends the process at once, removes it too.
	RemoveSocketOnForcedEnd(fSocketPath);
	if (chmod(fSocketPath.c_str(), 0600) != 0
		|| listen(fd, static_cast<int>(kMaxLaunchConnections)) != 0) {
		SaySingleLaunchIsOff("cannot listen on " + fSocketPath + ": " + strerror(errno));
		close(fd);
		KeepSocketOnForcedEnd();
		unlink(fSocketPath.c_str());
		return B_ERROR;
	}
	fListener = std::make_unique<LaunchListener>(fd, applicationToken);
	if (!fListener->IsRunning()) {
		fListener.reset();
		KeepSocketOnForcedEnd();
		unlink(fSocketPath.c_str());
		return B_ERROR;
	}
	return B_OK;
}

}
