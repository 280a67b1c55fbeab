// BLooper: the message loop on a thread of its own, one dispatch per lock hold.
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include "private/app/HandlerPrivate.h"
#include "private/app/LooperList.h"
#include "private/app/LooperLock.h"
#include "private/app/LooperPrivate.h"
#include "private/app/MessagePort.h"
#include "private/app/MessagePrivate.h"

#include <algorithm>

using namespace BPrivate;

BLooper::BLooper(const char* name, int32 priority, int32 portCapacity)
	: BHandler(name),
	  fLock(std::make_shared<LooperLock>()),
	  fPort(std::make_shared<MessagePort>(
		  portCapacity > 0 ? portCapacity : B_LOOPER_PORT_DEFAULT_CAPACITY)),
	  fPreferred(nullptr),
	  fCurrentMessage(nullptr),
	  fPriority(priority),
	  fThread(-1),
	  fQuitting(false),
	  fDeleteOnQuit(true)
{
	fLock->Lock();
	AddHandler(this);
	AddLooper(HandlerPrivate::Token(this), this, fLock, fPort);
}

// Runs on the looper's own thread when it quits, with the lock held; whoever waits for
// the lock, or posts, from now on gets an error.
BLooper::~BLooper()
{
	RemoveLooper(HandlerPrivate::Token(this));
	fPort->Close();
	for (BHandler* handler : fHandlers) {
		if (handler == this)
			continue;
		handler->SetLooper(nullptr);
		if (handler->NextHandler() == this)
			handler->SetNextHandler(nullptr);
	}
	fHandlers.clear();
	SetLooper(nullptr);
	fLock->MarkGone();
}

status_t BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message, nullptr, nullptr);
}

status_t BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}

status_t BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	if (handler != nullptr && handler->Looper() != this)
		return B_MISMATCHED_VALUES;

	auto copy = std::make_unique<BMessage>(*message);
	MessagePrivate access(copy.get());
	access.SetTarget(handler != nullptr ? HandlerPrivate::Token(handler) : kPreferredHandlerToken);
	access.SetIsReply(false);
	if (replyTo != nullptr)
		access.SetReplyTo(BMessenger(replyTo));
	else
		access.ClearReplyTo();
	// A local reference keeps the port alive should the looper quit during the post.
	std::shared_ptr<MessagePort> port = fPort;
	return port->Post(std::move(copy));
}

void BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	AssertLocked();
	if (message == nullptr || handler == nullptr)
		return;
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

BMessage* BLooper::CurrentMessage() const
{
	return fCurrentMessage;
}

BMessage* BLooper::DetachCurrentMessage()
{
	BMessage* message = fCurrentMessage;
	fCurrentMessage = nullptr;
	return message;
}

void BLooper::AddHandler(BHandler* handler)
{
	AssertLocked();
	if (handler == nullptr || handler->Looper() != nullptr)
		return;
	fHandlers.push_back(handler);
	handler->SetLooper(this);
	// What the handler does not handle goes on to the looper, unless it has a way of its own.
	if (handler != this && handler->NextHandler() == nullptr)
		handler->SetNextHandler(this);
}

bool BLooper::RemoveHandler(BHandler* handler)
{
	AssertLocked();
	if (handler == nullptr || handler == this || handler->Looper() != this)
		return false;
	fHandlers.erase(std::remove(fHandlers.begin(), fHandlers.end(), handler), fHandlers.end());
	handler->SetLooper(nullptr);
	if (handler->NextHandler() == this)
		handler->SetNextHandler(nullptr);
	if (fPreferred == handler)
		fPreferred = nullptr;
	return true;
}

int32 BLooper::CountHandlers() const
{
	return static_cast<int32>(fHandlers.size());
}

BHandler* BLooper::HandlerAt(int32 index) const
{
	if (index < 0 || index >= CountHandlers())
		return nullptr;
	return fHandlers[index];
}

int32 BLooper::IndexOf(BHandler* handler) const
{
	auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
	return found == fHandlers.end() ? -1 : static_cast<int32>(found - fHandlers.begin());
}

BHandler* BLooper::PreferredHandler() const
{
	return fPreferred;
}

void BLooper::SetPreferredHandler(BHandler* handler)
{
	AssertLocked();
	if (handler == nullptr || handler->Looper() == this)
		fPreferred = handler;
}

thread_id BLooper::Run()
{
	if (fThread.load() >= 0)
		return B_BAD_THREAD_STATE;
	const char* name = Name()[0] != '\0' ? Name() : "looper";
	thread_id thread = spawn_thread(LoopEntry, name, fPriority, this);
	if (thread < 0)
		return thread;
	fThread.store(thread);
	SetLooperThread(HandlerPrivate::Token(this), thread);
	fLock->Unlock();
	resume_thread(thread);
	return thread;
}

void BLooper::Quit()
{
	thread_id caller = find_thread(nullptr);
	thread_id thread = fThread.load();
	if (thread < 0) {
		delete this;
		return;
	}
	if (caller == thread) {
		fQuitting = true;
		return;
	}
	// The quit goes behind the messages already posted and may exceed the capacity: a
	// full port must not keep a looper alive.
	std::shared_ptr<LooperLock> lock = fLock;
	std::shared_ptr<MessagePort> port = fPort;
	bool callerHoldsLock = lock->Owner() == caller;
	port->Post(std::make_unique<BMessage>(kQuitLooperMessage), true);
	if (callerHoldsLock)
		lock->Unlock();
}

bool BLooper::QuitRequested()
{
	return true;
}

bool BLooper::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

void BLooper::Unlock()
{
	fLock->Unlock();
}

status_t BLooper::LockWithTimeout(bigtime_t timeout)
{
	std::shared_ptr<LooperLock> lock = fLock;
	return lock->Lock(timeout);
}

bool BLooper::IsLocked() const
{
	return fLock->Owner() == find_thread(nullptr);
}

thread_id BLooper::LockingThread() const
{
	thread_id owner = fLock->Owner();
	return owner != 0 ? owner : -1;
}

int32 BLooper::CountLocks() const
{
	return fLock->Count();
}

thread_id BLooper::Thread() const
{
	return fThread.load();
}

BLooper* BLooper::LooperForThread(thread_id thread)
{
	return LooperOfThread(thread);
}

int32 BLooper::LoopEntry(void* data)
{
	BLooper* looper = static_cast<BLooper*>(data);
	looper->Loop();
	if (looper->fDeleteOnQuit)
		delete looper;
	else
		looper->Unlock();
	return B_OK;
}

// Takes one message at a time without the lock, then holds the lock for exactly its
// dispatch. Returns with the lock held when the looper quits.
void BLooper::Loop()
{
	std::shared_ptr<MessagePort> port = fPort;
	while (true) {
		std::unique_ptr<BMessage> message = port->Take();
		if (message == nullptr || !Lock())
			return;
		if (message->what == kQuitLooperMessage) {
			fQuitting = true;
		} else if (BHandler* handler = ResolveTarget(message.get())) {
			fCurrentMessage = message.release();
			DispatchMessage(fCurrentMessage, handler);
			delete fCurrentMessage;
			fCurrentMessage = nullptr;
		}
		if (fQuitting)
			return;
		Unlock();
	}
}

// A message for a handler that has since gone, or moved to another looper, is dropped
// rather than delivered to someone it was not meant for.
BHandler* BLooper::ResolveTarget(BMessage* message)
{
	int32 token = MessagePrivate(message).TargetToken();
	if (token == kPreferredHandlerToken || token == kNoHandlerToken)
		return fPreferred != nullptr ? fPreferred : this;
	BHandler* handler = HandlerPrivate::ForToken(token);
	if (handler == nullptr || handler->Looper() != this)
		return nullptr;
	return handler;
}

namespace BPrivate {

BLooper* LooperPrivate::LockByToken(int32 looperToken, bigtime_t timeout)
{
	std::shared_ptr<LooperLock> lock = LockOfLooper(looperToken);
	if (lock == nullptr || lock->Lock(timeout) != B_OK)
		return nullptr;
	BLooper* looper = LooperOfToken(looperToken);
	if (looper == nullptr)
		lock->Unlock();
	return looper;
}

std::shared_ptr<MessagePort> LooperPrivate::PortForToken(int32 looperToken)
{
	return PortOfLooper(looperToken);
}

bool LooperPrivate::IsAlive(int32 looperToken)
{
	return PortOfLooper(looperToken) != nullptr;
}

void LooperPrivate::SetThread(BLooper* looper, thread_id thread)
{
	looper->fThread.store(thread);
	SetLooperThread(HandlerPrivate::Token(looper), thread);
}

void LooperPrivate::SetDeleteOnQuit(BLooper* looper, bool deleteOnQuit)
{
	looper->fDeleteOnQuit = deleteOnQuit;
}

void LooperPrivate::RunLoop(BLooper* looper)
{
	looper->Loop();
	if (looper->IsLocked())
		looper->Unlock();
}

MessagePort& LooperPrivate::Port(BLooper* looper)
{
	return *looper->fPort;
}

}
