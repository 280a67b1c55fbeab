// The looper internals that other kits need: its lock, its port and its thread.
#pragma once

#include <OS.h>

#include <memory>

class BLooper;

namespace BPrivate {

class LooperLock;
class MessagePort;

class LooperPrivate {
public:
	// The looper whose token this is, locked by the caller; NULL once it is gone or
	// when the timeout passes. Unlock with looper->Unlock().
	static BLooper* LockByToken(int32 looperToken, bigtime_t timeout = B_INFINITE_TIMEOUT);
	// The port of the live looper with this token, or NULL.
	static std::shared_ptr<MessagePort> PortForToken(int32 looperToken);
	static bool IsAlive(int32 looperToken);

	// For BApplication, which runs its loop on a thread of its own making and must not
	// delete itself when the loop ends.
	static void SetThread(BLooper* looper, thread_id thread);
	static void SetDeleteOnQuit(BLooper* looper, bool deleteOnQuit);
	static void RunLoop(BLooper* looper);
	static MessagePort& Port(BLooper* looper);
};

}
