// The tokens inside a BMessenger.
#pragma once

#include <SupportDefs.h>

class BMessenger;

namespace BPrivate {

class MessengerPrivate {
public:
	static int32 LooperToken(const BMessenger& messenger);
	static int32 HandlerToken(const BMessenger& messenger);
	static void SetTo(BMessenger& messenger, int32 looperToken, int32 handlerToken);
};

}
