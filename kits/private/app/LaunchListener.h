// The running instance's side of the launch socket: a thread that serves every connection
// at once, each within its own deadline, and posts the requests that launchers confirm.
#pragma once

#include <OS.h>

#include <memory>
#include <thread>
#include <vector>

class BMessage;

namespace BPrivate {

class LaunchListener {
public:
	// Takes over `listenFd`, a listening Unix socket; posts confirmed requests to the looper
	// with token `applicationToken` as they come.
	LaunchListener(int listenFd, int32 applicationToken);
	// Stops serving: a request confirmed by then is still posted, every other connection
	// is refused, so that its launcher opens its files itself.
	~LaunchListener();

	LaunchListener(const LaunchListener&) = delete;
	LaunchListener& operator=(const LaunchListener&) = delete;

	bool IsRunning() const { return fThread.joinable(); }

private:
	struct Connection;

	void Loop();
	bool HasRoom() const;
	ssize_t OldestStillReading() const;
	void AcceptWaiting();
	bool Advance(Connection& connection);
	bool ReadRequest(Connection& connection);
	bool StartBody(Connection& connection);
	bool Hold(Connection& connection);
	void Finish(Connection& connection);
	void Post(Connection& connection);

	int fListenFd;
	int fStopPipe[2];
	int32 fApplicationToken;
	std::vector<std::unique_ptr<Connection>> fConnections;
	std::thread fThread;
};

}
