// Single launch over a Unix socket, with a lock file deciding which launch listens.
#include "private/LaunchChannel.h"

#include <AppDefs.h>
#include <Message.h>

#include "private/AbsolutePath.h"
#include "private/LooperPrivate.h"
#include "private/MessagePort.h"
#include "private/MessagePrivate.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace BPrivate {

const char* const kRuntimeDirectoryVariable = "ZOETRA_RUNTIME_DIR";

namespace {

constexpr uint32 kWireMagic = 'ZLnc';
// Bounds what a peer can make the listener read; longer argument lists travel in parts.
constexpr size_t kMaxWireMessage = 64 * 1024;
// How long one exchange may take, either side, so a stuck peer cannot stall the other.
constexpr bigtime_t kExchangeTimeout = 1000000;
// How long a launch keeps trying to reach a running instance that holds the lock.
constexpr bigtime_t kDecisionTimeout = 2000000;
constexpr bigtime_t kRetryInterval = 10000;
constexpr char kAcknowledgement = 'A';

struct WireHeader {
	uint32 magic;
	uint32 size;
};

bool IsPrivateDirectory(const char* path)
{
	struct stat info;
	return lstat(path, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
		&& (info.st_mode & 077) == 0;
}

status_t PreparePrivateDirectory(const std::string& path, std::string* directory)
{
	if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
		return B_ERROR;
	if (!IsPrivateDirectory(path.c_str()))
		return B_NOT_ALLOWED;
	*directory = path;
	return B_OK;
}

status_t RuntimeDirectory(std::string* directory)
{
	const char* chosen = getenv(kRuntimeDirectoryVariable);
	if (chosen != nullptr && chosen[0] != '\0')
		return PreparePrivateDirectory(chosen, directory);
	const char* runtime = getenv("XDG_RUNTIME_DIR");
	if (runtime != nullptr && runtime[0] == '/' && IsPrivateDirectory(runtime)) {
		*directory = runtime;
		return B_OK;
	}
	return PreparePrivateDirectory("/tmp/zoetra-" + std::to_string(getuid()), directory);
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

bool WaitFor(int fd, short events, bigtime_t deadline)
{
	while (true) {
		bigtime_t remaining = deadline - system_time();
		if (remaining <= 0)
			return false;
		pollfd entry = {fd, events, 0};
		int result = poll(&entry, 1, static_cast<int>((remaining + 999) / 1000));
		if (result > 0)
			return true;
		if (result == 0 || errno != EINTR)
			return false;
	}
}

bool ReadFully(int fd, void* buffer, size_t size, bigtime_t deadline)
{
	size_t done = 0;
	while (done < size) {
		if (!WaitFor(fd, POLLIN, deadline))
			return false;
		ssize_t count = read(fd, static_cast<char*>(buffer) + done, size - done);
		if (count < 0 && errno == EINTR)
			continue;
		if (count <= 0)
			return false;
		done += static_cast<size_t>(count);
	}
	return true;
}

bool WriteFully(int fd, const void* buffer, size_t size, bigtime_t deadline)
{
	size_t done = 0;
	while (done < size) {
		if (!WaitFor(fd, POLLOUT, deadline))
			return false;
		ssize_t count =
			send(fd, static_cast<const char*>(buffer) + done, size - done, MSG_NOSIGNAL);
		if (count < 0 && errno == EINTR)
			continue;
		if (count <= 0)
			return false;
		done += static_cast<size_t>(count);
	}
	return true;
}

// Only what a launch sends is accepted: "argc", "argv" and "cwd", consistent.
bool IsLaunchMessage(const BMessage& message)
{
	type_code type;
	int32 count;
	int32 argc;
	const char* cwd;
	if (message.what != B_ARGV_RECEIVED || message.GetInfo("argv", &type, &count) != B_OK
		|| type != B_STRING_TYPE || message.FindInt32("argc", &argc) != B_OK || argc != count
		|| message.FindString("cwd", &cwd) != B_OK)
		return false;
	return message.CountNames(B_ANY_TYPE) == 3;
}

std::vector<BMessage> LaunchMessages(const std::vector<std::string>& arguments)
{
	std::string workingDirectory;
	MakeAbsolutePath(".", &workingDirectory);
	auto start = [&] {
		BMessage message(B_ARGV_RECEIVED);
		message.AddString("cwd", workingDirectory.c_str());
		message.AddString("argv", arguments.empty() ? "" : arguments[0].c_str());
		return message;
	};
	std::vector<BMessage> messages{start()};
	for (size_t i = 1; i < arguments.size(); i++) {
		std::string absolute;
		if (arguments[i].empty() || MakeAbsolutePath(arguments[i].c_str(), &absolute) != B_OK)
			absolute = arguments[i];
		// Room for the value, its size and the "argc" field added at the end.
		size_t needed = absolute.size() + 1 + sizeof(uint32) + 64;
		if (static_cast<size_t>(start().FlattenedSize()) + needed > kMaxWireMessage)
			continue;
		if (static_cast<size_t>(messages.back().FlattenedSize()) + needed > kMaxWireMessage)
			messages.push_back(start());
		messages.back().AddString("argv", absolute.c_str());
	}
	for (BMessage& message : messages) {
		int32 count = 0;
		message.GetInfo("argv", nullptr, &count);
		message.AddInt32("argc", count);
	}
	return messages;
}

status_t SendOne(const std::string& socketPath, const BMessage& message)
{
	sockaddr_un address;
	if (!FillAddress(socketPath, &address))
		return B_NAME_TOO_LONG;
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd < 0)
		return B_ERROR;
	bigtime_t deadline = system_time() + kExchangeTimeout;
	std::vector<char> body(static_cast<size_t>(message.FlattenedSize()));
	message.Flatten(body.data(), static_cast<ssize_t>(body.size()));
	WireHeader header = {kWireMagic, static_cast<uint32>(body.size())};
	char answer = 0;
	bool delivered = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
		&& WriteFully(fd, &header, sizeof(header), deadline)
		&& WriteFully(fd, body.data(), body.size(), deadline) && ReadFully(fd, &answer, 1, deadline)
		&& answer == kAcknowledgement;
	close(fd);
	return delivered ? B_OK : B_ERROR;
}

// The first part decides: once it is in, the instance has this launch.
status_t HandOver(const std::string& socketPath, const std::vector<std::string>& arguments)
{
	std::vector<BMessage> messages = LaunchMessages(arguments);
	status_t status = SendOne(socketPath, messages.front());
	if (status != B_OK)
		return status;
	for (size_t i = 1; i < messages.size(); i++)
		SendOne(socketPath, messages[i]);
	return B_OK;
}

}

std::unique_ptr<LaunchChannel> LaunchChannel::Open(const char* signature,
	const std::vector<std::string>& arguments, int32 applicationToken, Role* role)
{
	*role = kStandalone;
	std::string directory;
	if (signature == nullptr || RuntimeDirectory(&directory) != B_OK)
		return nullptr;
	std::string base = directory + "/" + FileNameFor(signature);
	std::string socketPath = base + ".socket";
	sockaddr_un address;
	if (!FillAddress(socketPath, &address))
		return nullptr;
	int lockFd = open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
	if (lockFd < 0)
		return nullptr;

	// Whoever holds the lock listens. A launch that finds it taken hands over; it
	// retries while the holder is still setting up its socket, or has just died and
	// the lock is about to come free (a stale socket is then replaced).
	bigtime_t deadline = system_time() + kDecisionTimeout;
	while (true) {
		if (flock(lockFd, LOCK_EX | LOCK_NB) == 0) {
			std::unique_ptr<LaunchChannel> channel(
				new LaunchChannel(lockFd, socketPath, applicationToken));
			if (channel->Listen() != B_OK)
				return nullptr;
			*role = kPrimary;
			return channel;
		}
		if (HandOver(socketPath, arguments) == B_OK) {
			close(lockFd);
			*role = kHandedOver;
			return nullptr;
		}
		if (system_time() > deadline) {
			close(lockFd);
			return nullptr;
		}
		snooze(kRetryInterval);
	}
}

LaunchChannel::LaunchChannel(int lockFd, std::string socketPath, int32 applicationToken)
	: fLockFd(lockFd),
	  fListenFd(-1),
	  fStopPipe{-1, -1},
	  fSocketPath(std::move(socketPath)),
	  fApplicationToken(applicationToken)
{
}

// The socket goes before the lock: a launch that then takes the lock finds no socket
// of ours in its way.
LaunchChannel::~LaunchChannel()
{
	if (fListener.joinable()) {
		char stop = 1;
		while (write(fStopPipe[1], &stop, 1) < 0 && errno == EINTR) {
		}
		fListener.join();
	}
	if (fListenFd >= 0) {
		close(fListenFd);
		unlink(fSocketPath.c_str());
	}
	for (int fd : fStopPipe) {
		if (fd >= 0)
			close(fd);
	}
	close(fLockFd);
}

status_t LaunchChannel::Listen()
{
	sockaddr_un address;
	if (!FillAddress(fSocketPath, &address) || pipe2(fStopPipe, O_CLOEXEC) != 0)
		return B_ERROR;
	// A socket left by an instance that died; the lock says it is ours to replace.
	unlink(fSocketPath.c_str());
	fListenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fListenFd < 0)
		return B_ERROR;
	if (bind(fListenFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0
		|| chmod(fSocketPath.c_str(), 0600) != 0 || listen(fListenFd, 16) != 0)
		return B_ERROR;
	fListener = std::thread([this] { ListenLoop(); });
	return B_OK;
}

void LaunchChannel::ListenLoop()
{
	while (true) {
		pollfd entries[2] = {{fListenFd, POLLIN, 0}, {fStopPipe[0], POLLIN, 0}};
		if (poll(entries, 2, -1) < 0) {
			if (errno == EINTR)
				continue;
			return;
		}
		if (entries[1].revents != 0)
			return;
		if ((entries[0].revents & POLLIN) == 0)
			continue;
		int connection = accept4(fListenFd, nullptr, nullptr, SOCK_CLOEXEC);
		if (connection < 0)
			continue;
		Serve(connection);
		close(connection);
	}
}

// Anything that is not a well-formed launch message from this user is dropped without
// an answer.
void LaunchChannel::Serve(int connection)
{
	ucred peer;
	socklen_t length = sizeof(peer);
	if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0
		|| peer.uid != getuid())
		return;

	bigtime_t deadline = system_time() + kExchangeTimeout;
	WireHeader header;
	if (!ReadFully(connection, &header, sizeof(header), deadline) || header.magic != kWireMagic
		|| header.size == 0 || header.size > kMaxWireMessage)
		return;
	std::vector<uint8> body(header.size);
	if (!ReadFully(connection, body.data(), body.size(), deadline))
		return;
	auto message = std::make_unique<BMessage>();
	if (MessagePrivate(message.get()).Unflatten(body.data(), body.size()) != B_OK
		|| !IsLaunchMessage(*message))
		return;

	std::shared_ptr<MessagePort> port = LooperPrivate::PortForToken(fApplicationToken);
	// Past the capacity if need be: a busy application must not lose a launch.
	if (port == nullptr || port->Post(std::move(message), true) != B_OK)
		return;
	WriteFully(connection, &kAcknowledgement, 1, deadline);
}

}
