// BHandler: an object that messages can be addressed to, inside one looper.
#pragma once

#include <SupportDefs.h>

#include <atomic>
#include <string>

class BLooper;
class BMessage;
namespace BPrivate {
class HandlerPrivate;
}

class BHandler {
public:
	BHandler(const char* name = NULL);
	virtual ~BHandler();

	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;

	// Passes the message to the next handler; the last one drops it.
	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const;
	void SetName(const char* name);
	const char* Name() const;

	virtual void SetNextHandler(BHandler* handler);
	BHandler* NextHandler() const;

	bool LockLooper();
	status_t LockLooperWithTimeout(bigtime_t timeout);
	void UnlockLooper();

private:
	friend class BLooper;
	friend class BPrivate::HandlerPrivate;

	void SetLooper(BLooper* looper);

	const int32 fToken;
	std::string fName;
	std::atomic<BLooper*> fLooper;
	BHandler* fNextHandler;
};
