// A looper's queue: a bounded FIFO of owned messages between any number of posting
// threads and the one thread that takes them.
#pragma once

#include <Message.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace BPrivate {

class MessagePort {
public:
	explicit MessagePort(int32 capacity);

	// B_WOULD_BLOCK when full (unless ignoreCapacity), B_BAD_PORT_ID once closed. The
	// message is deleted when it cannot be queued.
	status_t Post(std::unique_ptr<BMessage> message, bool ignoreCapacity = false);
	// Puts a message before all others, whatever the capacity.
	status_t PostFirst(std::unique_ptr<BMessage> message);
	// Waits for the next message; NULL once the port is closed.
	std::unique_ptr<BMessage> Take();
	// Later posts fail; queued messages are deleted and a waiting Take() returns NULL.
	void Close();
	int32 Count() const;
	int32 Capacity() const { return fCapacity; }

private:
	const int32 fCapacity;
	mutable std::mutex fMutex;
	std::condition_variable fNotEmpty;
	std::deque<std::unique_ptr<BMessage>> fQueue;
	bool fClosed;
};

}
