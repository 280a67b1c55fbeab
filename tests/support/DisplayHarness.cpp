// The display-beside-test runner.
#include "DisplayHarness.h"

#include <cstdlib>
#include <thread>

#include "DisplayServer.h"
#include "Watchdog.h"

namespace zoetra::testing {

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

} // namespace zoetra::testing
