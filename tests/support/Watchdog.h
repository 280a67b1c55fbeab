// Ends the whole test program when something that cannot be given a bound of its own hangs.
//
// How to use:
//   {
//   	Watchdog watchdog(std::chrono::seconds(30), "the application");
//   	app.Run(); // aborts the program, naming "the application", if Run() outlasts 30 s
//   }
// Prefer a wait with a bound (WaitFor, EventLog::WaitFor, ChildProcess::WaitForExit) where
// there is one: a watchdog fails the whole program, not one test.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace zoetra::testing {

class Watchdog {
public:
	// Aborts the program with a message naming `what` unless destroyed within `bound`.
	Watchdog(std::chrono::milliseconds bound, const char* what);
	~Watchdog();
	Watchdog(const Watchdog&) = delete;
	Watchdog& operator=(const Watchdog&) = delete;

private:
	std::mutex fMutex;
	std::condition_variable fDisarmed;
	bool fDone = false;
	std::thread fThread;
};

} // namespace zoetra::testing
