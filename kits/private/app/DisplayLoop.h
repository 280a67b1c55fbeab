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
	// The application is quitting: every alert that waits, and each one asked for later,
	// is answered at once as if its last button had been pressed. From any thread, without
	// any looper's lock; never blocks. A loop without a display has no alerts.
	virtual void AnswerAlertsForGood() {}
};

// The program's own display loop, chosen when it is linked: the interface kit defines it
// (kits/interface/QtDisplayLoop.cpp, linked whole into every program that uses the kit) and
// so replaces the application kit's default, a headless wait for Quit() (kits/app).
std::unique_ptr<DisplayLoop> CreateProgramDisplayLoop();

typedef std::unique_ptr<DisplayLoop> (*DisplayLoopFactory)();

// Stands another loop in for the program's (tests do); NULL restores the program's.
// Install it before the application runs.
void SetDisplayLoopFactory(DisplayLoopFactory factory);
// What BApplication::Run() runs: the factory's loop when one is set, else the program's.
std::unique_ptr<DisplayLoop> CreateDisplayLoop();

}
