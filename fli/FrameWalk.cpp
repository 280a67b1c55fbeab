// Finds the frames of an animation in play order, within the animation buffer's bounds.
#include "fli/FrameWalk.h"

#include "fli/Format.h"

namespace fli {

FrameWalk::FrameWalk(const unsigned char* data, uint32_t size)
	: data_(data),
	  size_(data ? size : 0),
	  offset_(kFileHeaderSize)
{
	// An accepted file holds the whole header; a shorter buffer reads as no frames.
	if (size_ >= kFileHeaderSize) {
		frameCount_ = static_cast<int16_t>(GetInt16(data_ + kFrameCountOffset));
		speed_ = static_cast<int16_t>(GetInt16(data_ + kSpeedOffset));
	} else {
		passEnded_ = true;
	}
}

int32_t FrameDelayMicroseconds(int16_t speed)
{
	const int32_t units = speed <= 0 ? 2 : speed;
	return units * kMicrosecondsPerSpeedUnit;
}

bool FrameWalk::FrameHeaderFitsAt(uint64_t offset) const
{
	return offset <= size_ && size_ - offset >= kFrameHeaderSize;
}

const unsigned char* FrameWalk::NextFrame()
{
	if (passEnded_ || nextIndex_ > frameCount_ || !FrameHeaderFitsAt(offset_)) {
		passEnded_ = true;
		return nullptr;
	}
	const unsigned char* frame = data_ + offset_;
	offset_ += GetInt32(frame);
	lastIndex_ = nextIndex_++;
	++shownInPass_;
	return frame;
}

void FrameWalk::StartNextPass()
{
	firstPass_ = false;
	nextIndex_ = 1;
	lastIndex_ = -1;
	shownInPass_ = 0;
	// Without a whole frame 0 there is no size to find frame 1 by.
	passEnded_ = !FrameHeaderFitsAt(kFileHeaderSize);
	offset_ = passEnded_ ? 0 : uint64_t{kFileHeaderSize} + GetInt32(data_ + kFileHeaderSize);
}

bool FrameWalk::LaterPassesShowFrames() const
{
	FrameWalk later(*this);
	later.StartNextPass();
	return later.NextFrame() != nullptr;
}

int32_t FrameWalk::FirstPassFrameCount() const
{
	FrameWalk fresh(data_, static_cast<uint32_t>(size_));
	while (fresh.NextFrame() != nullptr) {
	}
	return fresh.FramesShownInPass();
}

} // namespace fli
