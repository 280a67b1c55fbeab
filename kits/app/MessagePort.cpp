// A looper's bounded message queue. Posters hold the mutex only to queue, and wake the
// taker after letting it go.
#include "private/app/MessagePort.h"

namespace BPrivate {

MessagePort::MessagePort(int32 capacity)
	: fCapacity(capacity > 0 ? capacity : 1),
	  fClosed(false)
{
}

status_t MessagePort::Post(std::unique_ptr<BMessage> message, bool ignoreCapacity)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		if (fClosed)
			return B_BAD_PORT_ID;
		if (!ignoreCapacity && static_cast<int32>(fQueue.size()) >= fCapacity)
			return B_WOULD_BLOCK;
		fQueue.push_back(std::move(message));
	}
	fNotEmpty.notify_one();
	return B_OK;
}

status_t MessagePort::PostFirst(std::unique_ptr<BMessage> message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		if (fClosed)
			return B_BAD_PORT_ID;
		fQueue.push_front(std::move(message));
	}
	fNotEmpty.notify_one();
	return B_OK;
}

std::unique_ptr<BMessage> MessagePort::Take()
{
	std::unique_lock<std::mutex> lock(fMutex);
	fNotEmpty.wait(lock, [&] { return fClosed || !fQueue.empty(); });
	if (fClosed)
		return nullptr;
	std::unique_ptr<BMessage> message = std::move(fQueue.front());
	fQueue.pop_front();
	return message;
}

void MessagePort::Close()
{
	std::deque<std::unique_ptr<BMessage>> pending;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fClosed = true;
		pending.swap(fQueue);
	}
	fNotEmpty.notify_all();
}

int32 MessagePort::Count() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return static_cast<int32>(fQueue.size());
}

}
