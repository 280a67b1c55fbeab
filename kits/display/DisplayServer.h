// The display thread: Qt's event loop on the main thread, reached only through queued requests.
#pragma once

#include <functional>
#include <memory>

#include "PixelRect.h"

namespace zoetra::display {

// Creates the Qt application object on the calling thread, which becomes the display
// thread, with Qt's messages routed first (QtDiagnostics.h). Safe to call more than once;
// later calls do nothing. When no display can be opened Qt allows no way back: the
// process ends with status 1 after one line on standard error that says so. A display that
// goes away while the loop runs ends it the same way. Returns false when the display
// thread's wake-up could not be made.
bool Start();

// Runs the event loop on the display thread until Quit(). Requests posted before Run()
// wait in the queue and are carried out as soon as the loop runs. May be called again
// after it returned (tests run several applications in one process).
void Run();

// Ends Run(); callable from any thread, never blocks. From then until the next Run()
// requests are refused and every waiter (Sync, alerts) is released.
void Quit();

// True on the thread that called Start().
bool IsDisplayThread();

// True while Run() is running its loop (or about to) and Quit() has not been called.
bool IsRunning();

// Hands a request to the display thread. Never blocks and never runs the request on the
// calling thread. Returns false when the display is shutting down; the request is then
// destroyed at once, which releases whatever it held.
bool Post(std::function<void()> request);

struct WindowState;

// Asks the display thread to present what a window flushed. Kept apart from Post() so that
// a frame's flush allocates nothing once the queue has grown: a weak reference is all it
// stores, and a window that is gone by then is skipped.
bool PostPresent(const std::weak_ptr<WindowState>& window);

// Called when Quit() ends a run (or comes before one), so that waiters are released.
// Returns an id for RemoveShutdownHook. Hooks run on the thread that calls Quit().
int AddShutdownHook(std::function<void()> hook);
void RemoveShutdownHook(int id);

// The main screen's frame in screen pixels; a zero-sized rectangle before Start().
PixelRect MainScreenFrame();

} // namespace zoetra::display
