// Runs test code beside a live display loop: the display on the main thread, the test on another.
#pragma once

#include <chrono>
#include <functional>

namespace zoetra::testing {

// Picks Qt's offscreen platform unless a display was chosen already (call before anything
// starts the display; a process keeps the platform it started with).
void UseOffscreenPlatform();

// Starts the display if needed, runs `body` on a new thread while the display loop runs
// on the calling (main) thread, and returns when `body` has returned. If `body` takes
// longer than `bound`, the process fails with a message instead of hanging.
void RunWithDisplay(
	const std::function<void()>& body, std::chrono::seconds bound = std::chrono::seconds(30));

// Fails the process with `what` unless disarmed within `bound`.
class Watchdog {
public:
	Watchdog(std::chrono::milliseconds bound, const char* what);
	~Watchdog();
	Watchdog(const Watchdog&) = delete;
	Watchdog& operator=(const Watchdog&) = delete;

private:
	struct State;
	State* fState;
};

// Polls `condition` every few milliseconds until it holds or `bound` passes.
bool WaitFor(const std::function<bool()>& condition,
	std::chrono::milliseconds bound = std::chrono::milliseconds(5000));

} // namespace zoetra::testing
