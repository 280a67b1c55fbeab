// What the player shows of an animation for ever, told as a loop that an animated picture
// can repeat.
#pragma once

#include <cstdint>

namespace flitool {

// The player shows frame 1, frames 2..n, the ring picture, then frames 2..n and the ring
// picture again for ever. The loop is one cycle of that: the ring picture, then frames
// 2..n, decoded as the player reaches them once it has settled (see PlayerLoop.cpp).
struct PlayerLoop {
	// Frames decoded in play order before the loop's first picture.
	int64_t skipped = 0;
	// The pictures of the loop, in play order after the skipped ones.
	int64_t frames = 0;
	// False when passes after the first show no frame: the player stops on the last
	// picture, and the loop is the first pass, shown once.
	bool repeats = false;
};

PlayerLoop FindPlayerLoop(const unsigned char* data, uint32_t size);

} // namespace flitool
