// The walk through an animation's frames in play order, one frame at a time.
//
// How to use it (the play thread's loop, and `flitool frames`, which must agree):
//   fli::FrameWalk walk(buffer, size);       // the buffer of an accepted file, not copied
//   while (playing) {
//       while (const unsigned char* frame = walk.NextFrame()) {
//           fli::DecodeFrame(context, frame); // then draw, check the state, sleep
//           ...                               // (leaving this loop early is fine)
//       }
//       walk.StartNextPass();
//   }
//
// The first pass visits frames 0 to the frame count inclusive, from offset 128; every
// later pass visits frames 1 to the frame count, from offset 128 plus frame 0's size. The
// last frame is the ring frame, which turns the last picture back into the first. The
// next frame is always found through the size field of the one before it, in 64-bit
// offsets, so a huge size lands past the end instead of wrapping around.
//
// Bounds: a frame whose 16-byte header does not fit whole before the buffer's end ends the
// pass. Later passes exist only when frame 0's header fits; otherwise they show no frame.
//
// What the walk leaves to its user: a frame count below 1 and passes that show no frame.
// FramesShownInPass() and LaterPassesShowFrames() tell it cheaply.
// The walk holds a pointer into the buffer and a few integers; it allocates nothing.
#pragma once

#include <cstdint>

namespace fli {

// The pause after each frame for a header speed field, in microseconds: the speed times
// 16666, 0 counting as 2. A negative speed (a field of 0x8000 or more) counts as 2 as well:
// its product would be a negative pause, that is none, and the animation would spin.
int32_t FrameDelayMicroseconds(int16_t speed);

class FrameWalk {
public:
	FrameWalk(const unsigned char* data, uint32_t size);

	// Header fields as signed 16-bit numbers, as stored.
	int16_t FrameCount() const { return frameCount_; }
	int16_t Speed() const { return speed_; }
	// The pause after each frame, FrameDelayMicroseconds(Speed()).
	int32_t DelayMicroseconds() const { return FrameDelayMicroseconds(speed_); }

	// The next frame of the current pass (its header lies whole inside the buffer), or
	// nullptr once the pass has ended.
	const unsigned char* NextFrame();
	// Ends the current pass, whether it ran to its end or not, and begins a later pass.
	void StartNextPass();

	bool InFirstPass() const { return firstPass_; }
	// The index of the frame NextFrame returned last (-1 before the first one of a pass).
	int32_t FrameIndex() const { return lastIndex_; }
	int32_t FramesShownInPass() const { return shownInPass_; }

	// Whether passes after the first show at least one frame. Known from the start, so a
	// player can tell an animation that would loop without ever showing a frame.
	bool LaterPassesShowFrames() const;
	// How many frames the first pass shows, counted on a copy of a fresh walk.
	int32_t FirstPassFrameCount() const;

private:
	bool FrameHeaderFitsAt(uint64_t offset) const;

	const unsigned char* data_;
	uint64_t size_;
	int16_t frameCount_ = 0;
	int16_t speed_ = 0;

	bool firstPass_ = true;
	// Kept in 32 bits: with a frame count of 32767 a 16-bit index would wrap to -32768
	// after the last frame, and the pass would never end.
	int32_t nextIndex_ = 0;
	int32_t lastIndex_ = -1;
	int32_t shownInPass_ = 0;
	uint64_t offset_;
	bool passEnded_ = false;
};

} // namespace fli
