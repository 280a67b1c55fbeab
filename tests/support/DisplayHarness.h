// Runs test code beside a live display loop: the display on the main thread, the test on another.
//
// How to use:
//   UseOffscreenPlatform();            // in main, or UseXvfbDisplay() for real windows
//   RunWithDisplay([] {
//   	auto* window = new LoggingWindow(...); // kit calls, from a thread that is not the display's
//   	...
//   });
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

} // namespace zoetra::testing
