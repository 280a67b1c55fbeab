// The kit's threads, as the other kits see them: their end when the process is about to exit.
#pragma once

#include <SupportDefs.h>

namespace BPrivate {

// Waits, up to `timeout`, for every resumed thread to return from its function, and until
// each one that has returned is wholly gone; those still running then are let go, to end
// on their own. Threads nobody waits for (those of loopers that quit) are still running
// their thread-local destructors a moment after their loop ends; exiting under them tears
// down the libraries those destructors use. The kit calls it with a timeout of 0 when the
// process exits.
void JoinEndingThreads(bigtime_t timeout);

} // namespace BPrivate
