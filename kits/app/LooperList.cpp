// The registry of live loopers, keyed by token.
#include "private/app/LooperList.h"

#include "private/app/LooperLock.h"
#include "private/app/MessagePort.h"

#include <mutex>
#include <unordered_map>

namespace BPrivate {

namespace {

struct LooperEntry {
	BLooper* looper;
	std::shared_ptr<LooperLock> lock;
	std::shared_ptr<MessagePort> port;
	thread_id thread;
};

struct LooperTable {
	std::mutex mutex;
	std::unordered_map<int32, LooperEntry> loopers;
};

LooperTable& Table()
{
	static LooperTable* table = new LooperTable;
	return *table;
}

}

void AddLooper(int32 token, BLooper* looper, std::shared_ptr<LooperLock> lock,
	std::shared_ptr<MessagePort> port)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> guard(table.mutex);
	table.loopers[token] = LooperEntry{looper, std::move(lock), std::move(port), -1};
}

void RemoveLooper(int32 token)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> guard(table.mutex);
	table.loopers.erase(token);
}

void SetLooperThread(int32 token, thread_id thread)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> guard(table.mutex);
	auto found = table.loopers.find(token);
	if (found != table.loopers.end())
		found->second.thread = thread;
}

std::shared_ptr<LooperLock> LockOfLooper(int32 token)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> guard(table.mutex);
	auto found = table.loopers.find(token);
	return found == table.loopers.end() ? nullptr : found->second.lock;
}

std::shared_ptr<MessagePort> PortOfLooper(int32 token)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> guard(table.mutex);
	auto found = table.loopers.find(token);
	return found == table.loopers.end() ? nullptr : found->second.port;
}

BLooper* LooperOfToken(int32 token)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> guard(table.mutex);
	auto found = table.loopers.find(token);
	return found == table.loopers.end() ? nullptr : found->second.looper;
}

BLooper* LooperOfThread(thread_id thread)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> guard(table.mutex);
	for (const auto& [token, entry] : table.loopers) {
		if (entry.thread == thread)
			return entry.looper;
	}
	return nullptr;
}

}
