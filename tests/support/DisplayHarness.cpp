// The display-beside-test runner, a watchdog that ends a hung test, and a polling wait.
#include "DisplayHarness.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "DisplayServer.h"

namespace zoetra::testing {

struct Watchdog::State {
	std::mutex mutex;
	std::condition_variable disarmed;
	bool done = false;
	std::thread thread;
};

Watchdog::Watchdog(std::chrono::milliseconds bound, const char* what)
	: fState(new State)
{
	fState->thread = std::thread([state = fState, bound, what] {
		std::unique_lock lock(state->mutex);
		if (!state->disarmed.wait_for(lock, bound, [&] { return state->done; })) {
			std::fprintf(stderr, "watchdog: %s did not finish within %lld ms\n", what,
				static_cast<long long>(bound.count()));
			std::fflush(stderr);
			std::_Exit(3);
		}
	});
}

Watchdog::~Watchdog()
{
	{
		std::lock_guard lock(fState->mutex);
		fState->done = true;
	}
	fState->disarmed.notify_all();
	fState->thread.join();
	delete fState;
}

void UseOffscreenPlatform()
{
	if (!std::getenv("QT_QPA_PLATFORM"))
		setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

void RunWithDisplay(const std::function<void()>& body, std::chrono::seconds bound)
{
	display::Start();
	Watchdog watchdog(bound, "test body beside the display loop");
	std::thread worker([&body] {
		body();
		display::Quit();
	});
	display::Run();
	worker.join();
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds bound)
{
	const auto end = std::chrono::steady_clock::now() + bound;
	while (!condition()) {
		if (std::chrono::steady_clock::now() > end)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	}
	return true;
}

} // namespace zoetra::testing
