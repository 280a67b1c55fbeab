// The pictures of an animation in play order, decoded from a black frame buffer and an
// all-zero palette: what `flitool frames` writes and what the reference hashes describe.
//
// How to use it
//   fli::FrameSequence frames(buffer, size, fli::FrameSequence::kFirstAndOneLaterPass);
//   while (frames.Next())
//       use(frames.Pixels());                // kPixelCount pixel values
//
// It walks the frames with FrameWalk, exactly as the player does, and stops after the
// frame limit, or as soon as a pass after the first shows no frame (the player would loop
// there for ever without showing anything new).
#pragma once

#include "fli/Decoder.h"
#include "fli/FrameWalk.h"

#include <cstdint>
#include <memory>

namespace fli {

class FrameSequence {
public:
	// A frame limit that means: the whole first pass and then one later pass.
	static constexpr int64_t kFirstAndOneLaterPass = -1;

	FrameSequence(const unsigned char* data, uint32_t size, int64_t frameLimit);
	FrameSequence(const FrameSequence&) = delete;
	FrameSequence& operator=(const FrameSequence&) = delete;

	// Decodes the next frame in play order; false once the sequence has ended.
	bool Next();

	const uint32_t* Pixels() const { return pixels_.get(); }
	const uint32_t* Palette() const { return palette_.get(); }
	const FrameWalk& Walk() const { return walk_; }
	int64_t FramesDecoded() const { return decoded_; }

private:
	bool MayStartAnotherPass() const;

	FrameWalk walk_;
	std::unique_ptr<uint32_t[]> pixels_;
	std::unique_ptr<uint32_t[]> palette_;
	DecodeContext context_;
	int64_t frameLimit_;
	int64_t decoded_ = 0;
};

} // namespace fli
