// Waits for a condition with a bound instead of sleeping: a hang fails the test, not the run.
//
// How to use:
//   ASSERT_TRUE(WaitFor([&] { return view->Frames() >= 3; }));          // up to 10 s
//   EXPECT_TRUE(WaitFor([&] { return !panel.IsShowing(); }, std::chrono::seconds(2)));
// To wait for something a thread reports, an EventLog wakes the waiter without polling.
#pragma once

#include <chrono>
#include <functional>

namespace zoetra::testing {

// Calls `condition` every few milliseconds until it holds (true) or `bound` passes (false).
bool WaitFor(const std::function<bool()>& condition,
	std::chrono::milliseconds bound = std::chrono::seconds(10));

} // namespace zoetra::testing
