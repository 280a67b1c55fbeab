// WindowRoster: the player windows that exist, and the numbers of untitled windows.
#pragma once

#include <SupportDefs.h>

#include <functional>
#include <mutex>
#include <vector>

class PlayerWindow;

// Guarded by a lock of its own rather than the application's looper lock: a window
// thread that registers a new window (File > New) or unregisters itself must never wait
// for the application thread, which may be waiting for a play thread that needs that
// window's lock. Nothing waits for anything while holding this lock.
class WindowRoster {
public:
	// Counts the window in; returns its untitled number (1, 2, ... never reused) when
	// `untitled`, else 0.
	int32 Register(PlayerWindow* window, bool untitled);
	// Counts the window off; true when it was the last one.
	bool Unregister(PlayerWindow* window);
	int32 CountWindows() const;

	// Runs `use` on `window` under the lock when it is still registered, so a window
	// that is being destroyed (it unregisters first) is never reached. False otherwise.
	bool WithWindow(const void* window, const std::function<void(PlayerWindow*)>& use);
	// Runs `use` on every registered window, last registered first, under the lock.
	void ForEachNewestFirst(const std::function<void(PlayerWindow*)>& use);

private:
	mutable std::mutex lock;
	std::vector<PlayerWindow*> windows;
	int32 windowCount = 0;
	int32 untitledCount = 1;
};
