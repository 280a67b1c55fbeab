// Decodes the frames of an animation in play order, under the limits flitool offers.
#include "fli/FrameSequence.h"

namespace fli {

FrameSequence::FrameSequence(const unsigned char* data, uint32_t size, int64_t frameLimit)
	: walk_(data, size),
	  pixels_(std::make_unique<uint32_t[]>(kPixelCount)),
	  palette_(std::make_unique<uint32_t[]>(kPaletteSize)),
	  context_{pixels_.get(), palette_.get(), data ? data + size : nullptr},
	  frameLimit_(frameLimit)
{
	// make_unique value-initialises: the palette starts all 0 and the frame buffer black,
	// as each play thread leaves it when it starts.
}

bool FrameSequence::Next()
{
	if (frameLimit_ >= 0 && decoded_ >= frameLimit_)
		return false;
	for (;;) {
		if (const unsigned char* frame = walk_.NextFrame()) {
			DecodeFrame(context_, frame);
			++decoded_;
			return true;
		}
		if (!MayStartAnotherPass())
			return false;
		walk_.StartNextPass();
	}
}

bool FrameSequence::MayStartAnotherPass() const
{
	if (walk_.InFirstPass())
		return true;
	if (walk_.FramesShownInPass() == 0)
		return false;
	return frameLimit_ != kFirstAndOneLaterPass;
}

} // namespace fli
