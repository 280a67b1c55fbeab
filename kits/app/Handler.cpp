// BHandler and the process-wide space of handler tokens.
#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include "private/app/HandlerPrivate.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace {

struct TokenSpace {
	std::mutex mutex;
	std::unordered_map<int32, BHandler*> handlers;
};

TokenSpace& Tokens()
{
	static TokenSpace* tokens = new TokenSpace;
	return *tokens;
}

std::atomic<int32> sNextToken{1};

int32 NewToken(BHandler* handler)
{
	int32 token = sNextToken.fetch_add(1);
	TokenSpace& tokens = Tokens();
	std::lock_guard<std::mutex> lock(tokens.mutex);
	tokens.handlers[token] = handler;
	return token;
}

void RemoveToken(int32 token)
{
	TokenSpace& tokens = Tokens();
	std::lock_guard<std::mutex> lock(tokens.mutex);
	tokens.handlers.erase(token);
}

}

namespace BPrivate {

int32 HandlerPrivate::Token(const BHandler* handler)
{
	return handler != nullptr ? handler->fToken : -1;
}

BHandler* HandlerPrivate::ForToken(int32 token)
{
	TokenSpace& tokens = Tokens();
	std::lock_guard<std::mutex> lock(tokens.mutex);
	auto found = tokens.handlers.find(token);
	return found == tokens.handlers.end() ? nullptr : found->second;
}

}

BHandler::BHandler(const char* name)
	: fToken(NewToken(this)),
	  fName(name != nullptr ? name : ""),
	  fLooper(nullptr),
	  fNextHandler(nullptr)
{
}

// A handler deleted while still in a looper leaves it first, so the looper never keeps
// a dangling pointer; as with every handler change, the looper must be locked.
BHandler::~BHandler()
{
	RemoveToken(fToken);
	BLooper* looper = fLooper.load();
	if (looper != nullptr && looper != static_cast<void*>(this))
		looper->RemoveHandler(this);
}

void BHandler::MessageReceived(BMessage* message)
{
	if (fNextHandler != nullptr && message != nullptr)
		fNextHandler->MessageReceived(message);
}

BLooper* BHandler::Looper() const
{
	return fLooper.load();
}

void BHandler::SetName(const char* name)
{
	fName = name != nullptr ? name : "";
}

const char* BHandler::Name() const
{
	return fName.c_str();
}

void BHandler::SetNextHandler(BHandler* handler)
{
	if (handler != this)
		fNextHandler = handler;
}

BHandler* BHandler::NextHandler() const
{
	return fNextHandler;
}

bool BHandler::LockLooper()
{
	return LockLooperWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

// The handler may change loopers while we wait; the lock only counts if it is still in
// the looper we locked.
status_t BHandler::LockLooperWithTimeout(bigtime_t timeout)
{
	BLooper* looper = fLooper.load();
	if (looper == nullptr)
		return B_BAD_VALUE;
	status_t status = looper->LockWithTimeout(timeout);
	if (status != B_OK)
		return status;
	if (fLooper.load() != looper) {
		looper->Unlock();
		return B_MISMATCHED_VALUES;
	}
	return B_OK;
}

void BHandler::UnlockLooper()
{
	BLooper* looper = fLooper.load();
	if (looper != nullptr)
		looper->Unlock();
}

void BHandler::SetLooper(BLooper* looper)
{
	fLooper.store(looper);
}
