// Access to a message's delivery state for the kits: its target, reply address, drop.
#pragma once

#include <SupportDefs.h>

#include <cstddef>

class BMessage;
class BMessenger;
class BPoint;

namespace BPrivate {

// Handler tokens with a meaning of their own.
enum {
	kNoHandlerToken = -1,
	// The message goes to whatever handler is the looper's preferred one at dispatch.
	kPreferredHandlerToken = -2,
};

// The looper's own request to end its loop, queued by Quit() from another thread.
enum { kQuitLooperMessage = '_QIT' };

class MessagePrivate {
public:
	explicit MessagePrivate(BMessage* message)
		: fMessage(message)
	{
	}

	// The handler that dispatch looks up by token when the message is handled.
	void SetTarget(int32 handlerToken);
	int32 TargetToken() const;

	void SetReplyTo(const BMessenger& replyTo);
	void ClearReplyTo();
	void SetIsReply(bool isReply);

	void SetWasDropped(bool dropped);
	void SetDropPoint(BPoint where, BPoint offset);

	// Unflattens exactly `size` bytes; any length that points outside them, a string
	// without its terminator or a value of the wrong size for its type is B_BAD_DATA.
	status_t Unflatten(const void* data, size_t size);

private:
	BMessage* fMessage;
};

}
