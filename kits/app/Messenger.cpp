// BMessenger: a target named by tokens and looked up at every use.
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include "private/app/HandlerPrivate.h"
#include "private/app/LooperList.h"
#include "private/app/LooperPrivate.h"
#include "private/app/MessagePort.h"
#include "private/app/MessagePrivate.h"
#include "private/app/MessengerPrivate.h"

using namespace BPrivate;

BMessenger::BMessenger()
	: fLooperToken(kNoHandlerToken),
	  fHandlerToken(kNoHandlerToken)
{
}

BMessenger::BMessenger(const BHandler* handler, const BLooper* looper, status_t* result)
	: fLooperToken(kNoHandlerToken),
	  fHandlerToken(kNoHandlerToken)
{
	status_t status = B_OK;
	if (handler != nullptr) {
		BLooper* handlerLooper = handler->Looper();
		if (handlerLooper == nullptr)
			status = B_BAD_HANDLER;
		else if (looper != nullptr && looper != handlerLooper)
			status = B_MISMATCHED_VALUES;
		else {
			fLooperToken = HandlerPrivate::Token(handlerLooper);
			fHandlerToken = HandlerPrivate::Token(handler);
		}
	} else if (looper != nullptr) {
		fLooperToken = HandlerPrivate::Token(looper);
		fHandlerToken = kPreferredHandlerToken;
	} else {
		status = B_BAD_VALUE;
	}
	if (result != nullptr)
		*result = status;
}

bool BMessenger::operator==(const BMessenger& other) const
{
	return fLooperToken == other.fLooperToken && fHandlerToken == other.fHandlerToken;
}

bool BMessenger::IsValid() const
{
	return LooperPrivate::IsAlive(fLooperToken);
}

BHandler* BMessenger::Target(BLooper** looper) const
{
	BLooper* targetLooper = LooperOfToken(fLooperToken);
	if (looper != nullptr)
		*looper = targetLooper;
	if (targetLooper == nullptr || fHandlerToken == kPreferredHandlerToken)
		return nullptr;
	return HandlerPrivate::ForToken(fHandlerToken);
}

bool BMessenger::LockTarget() const
{
	return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BMessenger::LockTargetWithTimeout(bigtime_t timeout) const
{
	if (!LooperPrivate::IsAlive(fLooperToken))
		return B_BAD_PORT_ID;
	return LooperPrivate::LockByToken(fLooperToken, timeout) != nullptr ? B_OK : B_TIMED_OUT;
}

status_t BMessenger::SendMessage(uint32 command, BHandler* replyTo) const
{
	BMessage message(command);
	return SendMessage(&message, replyTo);
}

status_t BMessenger::SendMessage(BMessage* message, BHandler* replyTo, bigtime_t timeout) const
{
	BMessenger replyMessenger;
	if (replyTo != nullptr)
		replyMessenger = BMessenger(replyTo);
	return SendMessage(message, replyMessenger, timeout);
}

status_t BMessenger::SendMessage(BMessage* message, BMessenger replyTo, bigtime_t) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	std::shared_ptr<MessagePort> port = LooperPrivate::PortForToken(fLooperToken);
	if (port == nullptr)
		return B_BAD_PORT_ID;
	auto copy = std::make_unique<BMessage>(*message);
	MessagePrivate access(copy.get());
	access.SetTarget(fHandlerToken);
	if (replyTo.fLooperToken != kNoHandlerToken)
		access.SetReplyTo(replyTo);
	else
		access.ClearReplyTo();
	return port->Post(std::move(copy));
}

namespace BPrivate {

int32 MessengerPrivate::LooperToken(const BMessenger& messenger)
{
	return messenger.fLooperToken;
}

int32 MessengerPrivate::HandlerToken(const BMessenger& messenger)
{
	return messenger.fHandlerToken;
}

void MessengerPrivate::SetTo(BMessenger& messenger, int32 looperToken, int32 handlerToken)
{
	messenger.fLooperToken = looperToken;
	messenger.fHandlerToken = handlerToken;
}

}
