// BInvoker: sends copies of its message to its target.
#include <Invoker.h>

#include <Errors.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper)
	: fMessage(message)
{
	SetTarget(handler, looper);
}

BInvoker::~BInvoker()
{
	delete fMessage;
}

status_t BInvoker::SetMessage(BMessage* message)
{
	if (message != fMessage)
		delete fMessage;
	fMessage = message;
	return B_OK;
}

BMessage* BInvoker::Message() const
{
	return fMessage;
}

status_t BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	status_t result = B_OK;
	if (!handler && !looper) {
		fTarget = BMessenger();
		return B_OK;
	}
	fTarget = BMessenger(handler, looper, &result);
	return result;
}

status_t BInvoker::SetTarget(BMessenger messenger)
{
	fTarget = messenger;
	return B_OK;
}

status_t BInvoker::Invoke(BMessage* message)
{
	BMessage* source = message ? message : fMessage;
	if (!source)
		return B_BAD_VALUE;
	BMessage copy(*source);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	return fTarget.SendMessage(&copy);
}
