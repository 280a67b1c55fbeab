// The process's live loopers by token, so that a looper can be reached, locked or posted
// to without a pointer that may dangle.
#pragma once

#include <OS.h>

#include <memory>

class BLooper;

namespace BPrivate {

class LooperLock;
class MessagePort;

void AddLooper(int32 token, BLooper* looper, std::shared_ptr<LooperLock> lock,
	std::shared_ptr<MessagePort> port);
void RemoveLooper(int32 token);
void SetLooperThread(int32 token, thread_id thread);

std::shared_ptr<LooperLock> LockOfLooper(int32 token);
std::shared_ptr<MessagePort> PortOfLooper(int32 token);
// The pointer is only safe to use while the looper's lock is held.
BLooper* LooperOfToken(int32 token);
BLooper* LooperOfThread(thread_id thread);

}
