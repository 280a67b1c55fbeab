// Applies a kernel-kit priority to the calling thread.
#pragma once

#include <SupportDefs.h>

namespace BPrivate {

// Silent when the system refuses: the thread then keeps the scheduling it has.
void ApplyThreadPriority(int32 priority);

}
