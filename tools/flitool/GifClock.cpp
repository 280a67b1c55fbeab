// Picture delays rounded on the running total.
#include "GifClock.h"

#include <algorithm>

namespace flitool {

namespace {

constexpr int64_t kMicrosecondsPerHundredth = 10000;

} // namespace

int64_t GifClock::NextDelay(int64_t frames)
{
	framesEnded_ += frames;
	const int64_t end =
		(framesEnded_ * frameDelay_ + kMicrosecondsPerHundredth / 2) / kMicrosecondsPerHundredth;
	const int64_t delay = std::max<int64_t>(end - shown_, kShortestDelay);
	shown_ += delay;
	return delay;
}

int GifClock::InterimDelay()
{
	shown_ += kShortestDelay;
	return kShortestDelay;
}

} // namespace flitool
