// Applies a kernel-kit priority to the calling thread.
#ifndef ZOETRA_PRIVATE_THREAD_PRIORITY_H
#define ZOETRA_PRIVATE_THREAD_PRIORITY_H

#include <SupportDefs.h>

namespace BPrivate {

// Silent when the system refuses: the thread then keeps the scheduling it has.
void ApplyThreadPriority(int32 priority);

}

#endif
