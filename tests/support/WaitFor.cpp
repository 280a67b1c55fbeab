// Polling a condition until it holds or its bound passes.
#include "WaitFor.h"

#include <thread>

namespace zoetra::testing {

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds bound)
{
	const auto deadline = std::chrono::steady_clock::now() + bound;
	while (!condition()) {
		if (std::chrono::steady_clock::now() > deadline)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	return true;
}

} // namespace zoetra::testing
