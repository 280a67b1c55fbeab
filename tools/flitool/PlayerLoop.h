// What the player shows of an animation, pass after pass, told as a loop that an animated
// picture can repeat.
#pragma once

#include <cstdint>

namespace flitool {

struct PlayerLoop {
	// The frames, in play order from the first, that make up the loop.
	int64_t frames = 0;
	// True when passes after the first show exactly the first pass's pictures again (the
	// ring frame brings back the first picture and the first palette, or at least every
	// later picture is the same): the loop is the first pass without its ring frame.
	bool passesRepeat = false;
	// False when passes after the first show no frame: the player stops on the last picture.
	bool repeats = false;
};

// Decodes the first two passes to find the loop. When later passes differ from the first,
// the loop is the first pass and one later pass, as `flitool frames` shows by default.
PlayerLoop FindPlayerLoop(const unsigned char* data, uint32_t size);

} // namespace flitool
