// Zoetra's demo animation: three shaded balls bouncing round a loop over a checkered
// floor at dusk, 64 frames and a ring frame that closes the loop.
#pragma once

#include "FliEncoder.h"

namespace fli::demo {

inline constexpr int kDemoFrameCount = 64;
inline constexpr int16_t kDemoSpeed = 2;

// The picture of frame `index` (0 to kDemoFrameCount - 1) as palette indices.
encode::Picture RenderDemoPicture(int index);
encode::Palette6 DemoPalette();
// The whole file: frame 0 as a palette and a byte-run picture, frames 1 to 63 and the
// ring frame as line-compressed changes.
encode::Bytes MakeDemoAnimation();

} // namespace fli::demo
