// WindowRoster: counting, numbering and looking up player windows under one lock.
#include "WindowRoster.h"

#include <algorithm>

int32 WindowRoster::Register(PlayerWindow* window, bool untitled)
{
	std::lock_guard guard(lock);
	windows.push_back(window);
	windowCount++;
	return untitled ? untitledCount++ : 0;
}

bool WindowRoster::Unregister(PlayerWindow* window)
{
	std::lock_guard guard(lock);
	auto found = std::find(windows.begin(), windows.end(), window);
	if (found == windows.end())
		return false;
	windows.erase(found);
	return --windowCount == 0;
}

int32 WindowRoster::CountWindows() const
{
	std::lock_guard guard(lock);
	return windowCount;
}

bool WindowRoster::WithWindow(const void* window, const std::function<void(PlayerWindow*)>& use)
{
	std::lock_guard guard(lock);
	auto found = std::find(windows.begin(), windows.end(), window);
	if (found == windows.end())
		return false;
	use(*found);
	return true;
}

void WindowRoster::ForEachNewestFirst(const std::function<void(PlayerWindow*)>& use)
{
	std::lock_guard guard(lock);
	for (auto window = windows.rbegin(); window != windows.rend(); ++window)
		use(*window);
}
