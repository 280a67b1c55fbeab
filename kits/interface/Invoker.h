// BInvoker: a message and a target it is sent to when the owner is invoked.
#pragma once

#include <Messenger.h>
#include <SupportDefs.h>

class BHandler;
class BLooper;
class BMessage;

class BInvoker {
public:
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = NULL);
	virtual ~BInvoker();
	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;

	// Takes the message over; the previous one is deleted.
	virtual status_t SetMessage(BMessage* message);
	BMessage* Message() const;

	// A handler (in its looper, or `looper`'s preferred handler when `handler` is NULL).
	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = NULL);
	virtual status_t SetTarget(BMessenger messenger);
	bool HasTarget() const { return fTarget.IsValid(); }

	// Sends a copy of `message` (or of the invoker's own message) to the target, with the
	// fields "when" (int64) and "source" (pointer to this invoker) added. B_BAD_VALUE
	// without a message, B_BAD_PORT_ID without a live target.
	virtual status_t Invoke(BMessage* message = NULL);

private:
	BMessage* fMessage;
	BMessenger fTarget;
};
