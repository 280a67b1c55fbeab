// BMessenger: a handle on a handler in some looper, safe to keep after the target is gone.
#pragma once

#include <OS.h>
#include <SupportDefs.h>

class BHandler;
class BLooper;
class BMessage;
namespace BPrivate {
class MessengerPrivate;
}

// The target is found by token at every use, so a messenger whose looper has quit
// answers B_BAD_PORT_ID instead of touching freed memory. Sending never blocks: a full
// port answers B_WOULD_BLOCK whatever the timeout.
class BMessenger {
public:
	BMessenger();
	// With a handler, the target is that handler in its looper (B_BAD_HANDLER if it
	// has none, B_MISMATCHED_VALUES if a different looper is given); with only a
	// looper, the looper's preferred handler.
	BMessenger(const BHandler* handler, const BLooper* looper = NULL, status_t* result = NULL);
	BMessenger(const BMessenger& other) = default;
	BMessenger& operator=(const BMessenger& other) = default;
	bool operator==(const BMessenger& other) const;
	bool operator!=(const BMessenger& other) const { return !(*this == other); }

	bool IsValid() const;
	// The target as pointers: they are only safe to use while the target is locked.
	BHandler* Target(BLooper** looper) const;
	bool LockTarget() const;
	status_t LockTargetWithTimeout(bigtime_t timeout) const;

	status_t SendMessage(uint32 command, BHandler* replyTo = NULL) const;
	status_t SendMessage(
		BMessage* message, BHandler* replyTo = NULL, bigtime_t timeout = B_INFINITE_TIMEOUT) const;
	status_t SendMessage(
		BMessage* message, BMessenger replyTo, bigtime_t timeout = B_INFINITE_TIMEOUT) const;

private:
	friend class BPrivate::MessengerPrivate;

	int32 fLooperToken;
	int32 fHandlerToken;
};
