// The registry of live windows that the interface kit fills and the application reads.
#include "private/app/WindowRegistry.h"

#include <Looper.h>

#include "private/app/HandlerPrivate.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace BPrivate {

namespace {

struct Registry {
	std::mutex mutex;
	std::condition_variable emptied;
	std::vector<WindowEntry> windows;
};

Registry& TheRegistry()
{
	static Registry* registry = new Registry;
	return *registry;
}

}

void RegisterWindow(BWindow* window, BLooper* looper)
{
	if (window == nullptr || looper == nullptr)
		return;
	int32 token = HandlerPrivate::Token(looper);
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.mutex);
	registry.windows.push_back(WindowEntry{window, looper, token});
}

void UnregisterWindow(BWindow* window)
{
	Registry& registry = TheRegistry();
	bool empty;
	{
		std::lock_guard<std::mutex> lock(registry.mutex);
		auto& windows = registry.windows;
		windows.erase(std::remove_if(windows.begin(), windows.end(),
						  [&](const WindowEntry& entry) { return entry.window == window; }),
			windows.end());
		empty = windows.empty();
	}
	if (empty)
		registry.emptied.notify_all();
}

int32 CountRegisteredWindows()
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.mutex);
	return static_cast<int32>(registry.windows.size());
}

BWindow* RegisteredWindowAt(int32 index)
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.mutex);
	if (index < 0 || index >= static_cast<int32>(registry.windows.size()))
		return nullptr;
	return registry.windows[index].window;
}

std::vector<WindowEntry> RegisteredWindows()
{
	Registry& registry = TheRegistry();
	std::lock_guard<std::mutex> lock(registry.mutex);
	return registry.windows;
}

bool WaitUntilNoWindows(bigtime_t timeout)
{
	Registry& registry = TheRegistry();
	std::unique_lock<std::mutex> lock(registry.mutex);
	return registry.emptied.wait_for(
		lock, std::chrono::microseconds(timeout), [&] { return registry.windows.empty(); });
}

}
