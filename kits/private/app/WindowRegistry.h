// The list of live windows behind BApplication::CountWindows() and WindowAt().
#pragma once

#include <OS.h>

#include <vector>

class BLooper;
class BWindow;

namespace BPrivate {

struct WindowEntry {
	BWindow* window;
	BLooper* looper;
	// Finds the looper safely after the window may have gone (LooperPrivate::LockByToken).
	int32 looperToken;
};

// A window registers in its constructor and unregisters in the window base class's
// destructor, so a window that is being destroyed is gone from the list before its
// memory is freed. The application's quit waits for the list to empty: a subclass's
// destructor that uses the application (be_app->Lock()) runs before that point, so it
// never meets an application that has already returned from Run().
void RegisterWindow(BWindow* window, BLooper* looper);
void UnregisterWindow(BWindow* window);

int32 CountRegisteredWindows();
// NULL past the end.
BWindow* RegisteredWindowAt(int32 index);
std::vector<WindowEntry> RegisteredWindows();

// Waits until no window is registered; false if `timeout` microseconds pass first.
bool WaitUntilNoWindows(bigtime_t timeout);

}
