// The animation buffers that views currently play, so a dragged buffer is copied only while alive.
#ifndef ZOETRA_LIVE_ANIMATIONS_H
#define ZOETRA_LIVE_ANIMATIONS_H

#include <SupportDefs.h>

// A drag carries a bare pointer into another window's buffer, and that window may replace
// or free the buffer at any time. Every buffer handed to a view is added here before the
// hand-over and removed before the view can free it; a copy is made under the same lock,
// so it either reads a buffer that stays alive until the copy is done, or none at all.
namespace LiveAnimations {

void Add(const unsigned char* data, uint32 size);
void Remove(const unsigned char* data);

// A new malloc'd copy of the first `size` bytes of the live buffer at `data`, or nullptr
// when no live buffer starts there, it is shorter than `size`, `size` is 0, or memory is short.
unsigned char* Copy(const void* data, uint32 size);

} // namespace LiveAnimations

#endif
