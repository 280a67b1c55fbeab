// The loop that runs on the main thread while the application runs: the display's event
// loop when the interface kit is linked in, a plain wait otherwise.
#pragma once

#include <memory>

namespace BPrivate {

class DisplayLoop {
public:
	virtual ~DisplayLoop() = default;
	// Runs on the main thread until Quit(). A Quit() that came before Run() makes Run()
	// return at once.
	virtual void Run() = 0;
	// Callable from any thread, any number of times; never blocks.
	virtual void Quit() = 0;
};

typedef std::unique_ptr<DisplayLoop> (*DisplayLoopFactory)();

// Installs the factory that BApplication::Run() uses; NULL restores the headless loop.
// Install it before the application runs (a static initialiser of the interface kit).
void SetDisplayLoopFactory(DisplayLoopFactory factory);
std::unique_ptr<DisplayLoop> CreateDisplayLoop();

}
