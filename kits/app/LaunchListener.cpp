// The instance's launch listener: one poll loop over the listening socket and every open
// connection, so that a slow or silent launcher never holds up another.
#include "private/app/LaunchListener.h"

#include <Message.h>

#include "private/app/LaunchProtocol.h"
#include "private/app/LooperPrivate.h"
#include "private/app/MessagePort.h"
#include "private/app/MessagePrivate.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace BPrivate {

struct LaunchListener::Connection {
	enum State { kReadingHeader, kReadingBody, kAwaitingConfirmation };

	explicit Connection(int socket)
		: fd(socket),
		  deadline(system_time() + kConnectionTimeout)
	{
	}

	~Connection() { close(fd); }

	int fd;
	bigtime_t deadline;
	State state = kReadingHeader;
	WireHeader header = {};
	std::vector<uint8> body;
	size_t received = 0;
	std::unique_ptr<BMessage> request;
};

namespace {

bool IsSameUser(int fd)
{
	ucred peer;
	socklen_t length = sizeof(peer);
	return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == getuid();
}

int PollTimeout(bigtime_t deadline)
{
	if (deadline == B_INFINITE_TIMEOUT)
		return -1;
	return static_cast<int>(std::max<bigtime_t>(0, (deadline - system_time() + 999) / 1000));
}

}

LaunchListener::LaunchListener(int listenFd, int32 applicationToken)
	: fListenFd(listenFd),
	  fStopPipe{-1, -1},
	  fApplicationToken(applicationToken)
{
	if (pipe2(fStopPipe, O_CLOEXEC) == 0)
		fThread = std::thread([this] { Loop(); });
}

LaunchListener::~LaunchListener()
{
	if (fThread.joinable()) {
		char stop = 1;
		while (write(fStopPipe[1], &stop, 1) < 0 && errno == EINTR) {
		}
		fThread.join();
	}
	for (auto& connection : fConnections)
		Finish(*connection);
	fConnections.clear();
	close(fListenFd);
	for (int fd : fStopPipe) {
		if (fd >= 0)
			close(fd);
	}
}

void LaunchListener::Loop()
{
	std::vector<pollfd> entries;
	while (true) {
		entries.clear();
		entries.push_back({fStopPipe[0], POLLIN, 0});
		entries.push_back({fListenFd, static_cast<short>(HasRoom() ? POLLIN : 0), 0});
		bigtime_t earliest = B_INFINITE_TIMEOUT;
		for (const auto& connection : fConnections) {
			entries.push_back({connection->fd, POLLIN, 0});
			earliest = std::min(earliest, connection->deadline);
		}
		if (poll(entries.data(), entries.size(), PollTimeout(earliest)) < 0 && errno != EINTR)
			return;
		if (entries[0].revents != 0)
			return;

		// In accept order, so that the parts of one launch are posted in their order. What
		// has arrived is read before the deadlines are looked at: an instance that was
		// stopped meets its launchers' confirmations first.
		for (size_t i = 0; i < fConnections.size(); i++) {
			if (entries[i + 2].revents != 0 && !Advance(*fConnections[i]))
				fConnections[i].reset();
		}
		bigtime_t now = system_time();
		for (auto& connection : fConnections) {
			if (connection != nullptr && connection->deadline <= now) {
				Finish(*connection);
				connection.reset();
			}
		}
		std::erase(fConnections, nullptr);
		if ((entries[1].revents & POLLIN) != 0)
			AcceptWaiting();
	}
}

bool LaunchListener::HasRoom() const
{
	return fConnections.size() < kMaxLaunchConnections || OldestStillReading() >= 0;
}

// Connections are kept in accept order, and all get the same time: the first one still
// reading its request is the one closest to its deadline.
ssize_t LaunchListener::OldestStillReading() const
{
	for (size_t i = 0; i < fConnections.size(); i++) {
		if (fConnections[i]->state != Connection::kAwaitingConfirmation)
			return static_cast<ssize_t>(i);
	}
	return -1;
}

// A launcher writes its request as soon as it is connected, so a new connection is read at
// once: a real launch is then past reading before anyone could take its place.
void LaunchListener::AcceptWaiting()
{
	while (HasRoom()) {
		int fd = accept4(fListenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
		if (fd < 0)
			return;
		if (!IsSameUser(fd)) {
			close(fd);
			continue;
		}
		if (fConnections.size() >= kMaxLaunchConnections)
			fConnections.erase(fConnections.begin() + OldestStillReading());
		auto connection = std::make_unique<Connection>(fd);
		if (ReadRequest(*connection))
			fConnections.push_back(std::move(connection));
	}
}

// False when the connection is over: its request posted or dropped.
bool LaunchListener::Advance(Connection& connection)
{
	if (connection.state != Connection::kAwaitingConfirmation)
		return ReadRequest(connection);
	char answer = 0;
	ssize_t count = recv(connection.fd, &answer, 1, MSG_DONTWAIT);
	if (count < 0 && (errno == EAGAIN || errno == EINTR))
		return true;
	if (count == 1 && answer == kConfirm)
		Post(connection);
	return false;
}

// Reads what has arrived of the request. Anything that is not a well-formed launch request
// ends the connection without an answer.
bool LaunchListener::ReadRequest(Connection& connection)
{
	while (connection.state != Connection::kAwaitingConfirmation) {
		bool header = connection.state == Connection::kReadingHeader;
		char* start = header ? reinterpret_cast<char*>(&connection.header)
							 : reinterpret_cast<char*>(connection.body.data());
		size_t size = header ? sizeof(connection.header) : connection.body.size();
		ssize_t count = recv(
			connection.fd, start + connection.received, size - connection.received, MSG_DONTWAIT);
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0 && errno == EAGAIN)
			return true;
		if (count <= 0)
			return false;
		connection.received += static_cast<size_t>(count);
		if (connection.received < size)
			continue;
		if (header && !StartBody(connection))
			return false;
		if (!header && !Hold(connection))
			return false;
	}
	return true;
}

bool LaunchListener::StartBody(Connection& connection)
{
	const WireHeader& header = connection.header;
	if (header.magic != kLaunchWireMagic || header.size == 0 || header.size > kMaxLaunchRequest)
		return false;
	connection.body.resize(header.size);
	connection.received = 0;
	connection.state = Connection::kReadingBody;
	return true;
}

// The whole request is in: it is answered as held only when it is a launch request and
// the application is still there to take it.
bool LaunchListener::Hold(Connection& connection)
{
	auto request = std::make_unique<BMessage>();
	if (MessagePrivate(request.get()).Unflatten(connection.body.data(), connection.body.size())
			!= B_OK
		|| !IsLaunchRequest(*request) || !LooperPrivate::IsAlive(fApplicationToken))
		return false;
	if (send(connection.fd, &kHeld, 1, MSG_NOSIGNAL | MSG_DONTWAIT) != 1)
		return false;
	connection.request = std::move(request);
	connection.body = {};
	connection.state = Connection::kAwaitingConfirmation;
	return true;
}

// The connection's time is up. Once its reading side is shut, the launcher can no longer
// confirm; a confirmation that came before is still read here and honoured.
void LaunchListener::Finish(Connection& connection)
{
	if (connection.state != Connection::kAwaitingConfirmation)
		return;
	shutdown(connection.fd, SHUT_RD);
	char answer = 0;
	if (recv(connection.fd, &answer, 1, MSG_DONTWAIT) == 1 && answer == kConfirm)
		Post(connection);
}

void LaunchListener::Post(Connection& connection)
{
	std::shared_ptr<MessagePort> port = LooperPrivate::PortForToken(fApplicationToken);
	// Past the capacity if need be: a busy application must not lose a launch.
	if (port != nullptr)
		port->Post(std::move(connection.request), true);
}

}
