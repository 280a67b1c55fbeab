// BLooper: a thread of its own that takes messages from its port and hands each to a
// handler, holding the looper's lock for exactly that one message.
#pragma once

#include <Handler.h>
#include <OS.h>

#include <atomic>
#include <cassert>
#include <memory>
#include <vector>

class BMessage;
namespace BPrivate {
class LooperLock;
class LooperPrivate;
class MessagePort;
}

#define B_LOOPER_PORT_DEFAULT_CAPACITY 200

class BLooper : public BHandler {
public:
	// The looper is made locked by the constructing thread; Run() releases that lock.
	BLooper(const char* name = NULL, int32 priority = B_NORMAL_PRIORITY,
		int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
	virtual ~BLooper();

	// Posting copies the message into the port and never blocks or takes the lock:
	// B_WOULD_BLOCK when the port is full, B_BAD_PORT_ID once the looper has quit,
	// B_MISMATCHED_VALUES for a handler of another looper. Without a handler the
	// message goes to the preferred handler (the looper itself unless set); without a
	// reply handler replies go to be_app.
	status_t PostMessage(uint32 command);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = NULL);
	status_t PostMessage(BMessage* message, BHandler* handler = NULL, BHandler* replyTo = NULL);

	// Called on the looper's thread with the lock held, once per message. The default
	// answers B_QUIT_REQUESTED addressed to the looper with QuitRequested() and Quit(),
	// and hands everything else to the handler's MessageReceived.
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	// The message being dispatched; NULL between messages.
	BMessage* CurrentMessage() const;
	// Takes the current message over; the caller deletes it.
	BMessage* DetachCurrentMessage();

	// Handlers; the caller holds the lock. A handler added without a next handler gets the
	// looper as its next one, and loses it again when it is removed.
	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;
	BHandler* HandlerAt(int32 index) const;
	int32 IndexOf(BHandler* handler) const;
	BHandler* PreferredHandler() const;
	void SetPreferredHandler(BHandler* handler);

	// Starts the looper's thread and releases the constructor's lock; call it on the
	// thread that made the looper. Returns the thread's id, or an error.
	virtual thread_id Run();
	// On the looper's thread: the loop ends after the current message and the looper
	// deletes itself there. On another thread: the quit is queued behind the messages
	// already posted, a lock the caller holds is released once, and Quit() returns at
	// once; the looper deletes itself on its own thread. A looper that was never Run()
	// is deleted at once by the calling thread.
	virtual void Quit();
	virtual bool QuitRequested();

	// The lock is recursive for its owner. Lock() fails once the looper is gone.
	bool Lock();
	void Unlock();
	status_t LockWithTimeout(bigtime_t timeout);
	bool IsLocked() const;
	thread_id LockingThread() const;
	int32 CountLocks() const;
	// Stops a build with assertions (debug and sanitizer builds) when the calling thread
	// does not hold the lock; compiles to nothing in a release build.
	void AssertLocked() const { assert(IsLocked()); }

	thread_id Thread() const;
	static BLooper* LooperForThread(thread_id thread);

private:
	friend class BPrivate::LooperPrivate;

	static int32 LoopEntry(void* looper);
	void Loop();
	BHandler* ResolveTarget(BMessage* message);

	std::shared_ptr<BPrivate::LooperLock> fLock;
	std::shared_ptr<BPrivate::MessagePort> fPort;
	std::vector<BHandler*> fHandlers;
	BHandler* fPreferred;
	BMessage* fCurrentMessage;
	int32 fPriority;
	std::atomic<thread_id> fThread;
	bool fQuitting;
	bool fDeleteOnQuit;
};
