// The watchdog's thread: it waits for the guarded call to end, or aborts the program.
#include "Watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace zoetra::testing {

Watchdog::Watchdog(std::chrono::milliseconds bound, const char* what)
	: fThread([this, bound, what] {
		  std::unique_lock lock(fMutex);
		  if (!fDisarmed.wait_for(lock, bound, [this] { return fDone; })) {
			  std::fprintf(stderr, "watchdog: %s did not finish within %lld ms\n", what,
				  static_cast<long long>(bound.count()));
			  // abort rather than exit: a core file shows where each thread hung.
			  std::abort();
		  }
	  })
{
}

Watchdog::~Watchdog()
{
	{
		std::lock_guard lock(fMutex);
		fDone = true;
	}
	fDisarmed.notify_all();
	fThread.join();
}

} // namespace zoetra::testing
