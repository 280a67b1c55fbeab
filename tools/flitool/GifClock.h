// The delays of an animated GIF, in the whole hundredths of a second GIF allows, for frames
// that each show for the player's delay.
#pragma once

#include <cstdint>

namespace flitool {

class GifClock {
public:
	// Browsers (Chromium, Firefox, Safari) show a delay of 0 or 1 hundredth as 10 hundredths,
	// so 2 is the shortest delay that plays as written: frames the player shows for less
	// (a speed of 1, 1.67 hundredths) get 2.
	static constexpr int kShortestDelay = 2;
	// The delay field of a GIF image is 16 bits.
	static constexpr int kLongestDelay = 65535;

	explicit GifClock(int32_t frameDelayMicroseconds)
		: frameDelay_(frameDelayMicroseconds)
	{
	}

	// The time of a picture that shows for the next `frames` frames. Each picture's end is
	// rounded to the nearest hundredth of its true time from the start, so rounding errors
	// do not add up: the loop's total stays within half a hundredth of the player's. It can
	// be longer than one image's delay (see kLongestDelay).
	int64_t NextDelay(int64_t frames);
	// The delay of a picture shown on the way to a frame's final one (a frame a GIF image
	// cannot hold whole); it counts towards that frame's time.
	int InterimDelay();

private:
	int64_t frameDelay_;
	int64_t framesEnded_ = 0;
	int64_t shown_ = 0; // hundredths of a second
};

} // namespace flitool
