// The launch requests and the launcher's side of a hand-over.
#include "private/app/LaunchProtocol.h"

#include <AppDefs.h>

#include "private/storage/AbsolutePath.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace BPrivate {

namespace {

// False once the deadline passes, or when the socket fails.
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

bool WriteFully(int fd, const char* data, size_t size, bigtime_t deadline)
{
	size_t done = 0;
	while (done < size) {
		if (!WaitFor(fd, POLLOUT, deadline))
			return false;
		ssize_t count = send(fd, data + done, size - done, MSG_NOSIGNAL | MSG_DONTWAIT);
		if (count < 0 && (errno == EINTR || errno == EAGAIN))
			continue;
		if (count <= 0)
			return false;
		done += static_cast<size_t>(count);
	}
	return true;
}

bool ReadByte(int fd, char* byte, bigtime_t deadline)
{
	while (WaitFor(fd, POLLIN, deadline)) {
		ssize_t count = recv(fd, byte, 1, MSG_DONTWAIT);
		if (count == 1)
			return true;
		if (count == 0 || (errno != EINTR && errno != EAGAIN))
			return false;
	}
	return false;
}

std::string Framed(const BMessage& request)
{
	WireHeader header = {kLaunchWireMagic, static_cast<uint32>(request.FlattenedSize())};
	std::string frame(reinterpret_cast<const char*>(&header), sizeof(header));
	frame.resize(sizeof(header) + header.size);
	request.Flatten(frame.data() + sizeof(header), static_cast<ssize_t>(header.size));
	return frame;
}

}

// A relative path would be resolved against this process's folder, not the launcher's.
bool IsLaunchRequest(const BMessage& message)
{
	type_code type;
	int32 count;
	int32 argc;
	const char* cwd;
	if (message.what != B_ARGV_RECEIVED || message.GetInfo("argv", &type, &count) != B_OK
		|| type != B_STRING_TYPE || message.FindInt32("argc", &argc) != B_OK || argc != count
		|| message.FindString("cwd", &cwd) != B_OK || message.CountNames(B_ANY_TYPE) != 3)
		return false;
	for (int32 i = 1; i < count; i++) {
		const char* path = nullptr;
		if (message.FindString("argv", i, &path) != B_OK || (path[0] != '\0' && path[0] != '/'))
			return false;
	}
	return true;
}

std::vector<LaunchPart> LaunchParts(const std::vector<std::string>& arguments)
{
	// Empty when the folder is gone.
	std::string workingDirectory;
	MakeAbsolutePath(".", &workingDirectory);
	auto start = [&] {
		LaunchPart part;
		part.request.what = B_ARGV_RECEIVED;
		part.request.AddString("cwd", workingDirectory.c_str());
		part.request.AddString("argv", arguments.empty() ? "" : arguments[0].c_str());
		return part;
	};
	std::vector<LaunchPart> parts{start()};
	const size_t emptySize = static_cast<size_t>(parts.back().request.FlattenedSize());
	for (size_t i = 1; i < arguments.size(); i++) {
		// A relative path whose folder cannot be named (it was removed) names nothing here.
		std::string absolute;
		if (MakeAbsolutePath(arguments[i].c_str(), &absolute) != B_OK)
			absolute.clear();
		// Room for the value, its size and the "argc" field added at the end. An argument
		// that fits in no request is no path that could be opened (far past PATH_MAX).
		size_t needed = absolute.size() + 1 + sizeof(uint32) + 64;
		if (emptySize + needed > kMaxLaunchRequest)
			continue;
		if (static_cast<size_t>(parts.back().request.FlattenedSize()) + needed > kMaxLaunchRequest)
			parts.push_back(start());
		parts.back().request.AddString("argv", absolute.c_str());
		parts.back().argumentIndexes.push_back(i);
	}
	for (LaunchPart& part : parts) {
		int32 count = 0;
		part.request.GetInfo("argv", nullptr, &count);
		part.request.AddInt32("argc", count);
	}
	return parts;
}

// The confirmation goes without waiting: the instance has read the whole request, so the
// socket has room for one byte, and whether it is sent decides the hand-over.
bool HandOverPart(int fd, const BMessage& request, bigtime_t deadline)
{
	std::string frame = Framed(request);
	char answer = 0;
	if (!WriteFully(fd, frame.data(), frame.size(), deadline) || !ReadByte(fd, &answer, deadline)
		|| answer != kHeld)
		return false;
	return send(fd, &kConfirm, 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1;
}

}
