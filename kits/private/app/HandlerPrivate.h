// Handler tokens: every BHandler (and so every BLooper) has one, unique in the process.
#pragma once

#include <SupportDefs.h>

class BHandler;

namespace BPrivate {

class HandlerPrivate {
public:
	static int32 Token(const BHandler* handler);
	// The live handler with this token, or NULL. The pointer is safe to use only while
	// its looper is locked and the handler still belongs to it.
	static BHandler* ForToken(int32 token);
};

}
