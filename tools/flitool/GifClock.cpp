// Frame delays rounded on the running total.
#include "GifClock.h"

#include <algorithm>

namespace flitool {

namespace {

constexpr int64_t kMicrosecondsPerHundredth = 10000;
// The delay field of a GIF frame is 16 bits; a frame of the slowest speed (32767 sixtieths,
// 54612 hundredths) fits.
constexpr int64_t kLongestDelay = 65535;

} // namespace

int GifClock::NextFrameDelay()
{
	++framesEnded_;
	const int64_t end =
		(framesEnded_ * frameDelay_ + kMicrosecondsPerHundredth / 2) / kMicrosecondsPerHundredth;
	return Show(static_cast<int>(std::clamp<int64_t>(end - shown_, kShortestDelay, kLongestDelay)));
}

int GifClock::InterimDelay()
{
	return Show(kShortestDelay);
}

int GifClock::Show(int delay)
{
	shown_ += delay;
	return delay;
}

} // namespace flitool
