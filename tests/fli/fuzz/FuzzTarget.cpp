// Runs the decoder and the walk over arbitrary bytes, as a fuzz target.
#include "FuzzTarget.h"

#include "fli/Acceptance.h"
#include "fli/Decoder.h"
#include "fli/FrameSequence.h"

#include <cstdint>
#include <limits>
#include <memory>

namespace fli::fuzz {

namespace {

// Enough frames for several passes over the small inputs, few enough that an input made of
// thousands of overlapping whole-picture chunks stays well inside the time limit.
constexpr int64_t kFramesPerInput = 12;
constexpr int kPassesPerInput = 3;

// Walks a few passes without decoding and checks what every walk must keep to.
const char* CheckWalk(const unsigned char* data, uint32_t size)
{
	FrameWalk walk(data, size);
	const bool laterPassesShowFrames = walk.LaterPassesShowFrames();
	for (int pass = 0; pass < kPassesPerInput; ++pass) {
		int32_t expectedIndex = pass == 0 ? 0 : 1;
		while (const unsigned char* frame = walk.NextFrame()) {
			if (frame < data + kFileHeaderSize
				|| static_cast<size_t>(data + size - frame) < kFrameHeaderSize)
				return "a frame header outside the buffer";
			if (walk.FrameIndex() != expectedIndex++ || walk.FrameIndex() > walk.FrameCount())
				return "a frame index out of order or past the frame count";
		}
		if (walk.FramesShownInPass() != expectedIndex - (pass == 0 ? 0 : 1))
			return "a pass miscounted its frames";
		if (pass > 0 && (walk.FramesShownInPass() > 0) != laterPassesShowFrames)
			return "a later pass disagrees with LaterPassesShowFrames";
		walk.StartNextPass();
	}
	return nullptr;
}

} // namespace

const char* FuzzOneAnimation(const unsigned char* data, size_t size)
{
	if (size > std::numeric_limits<uint32_t>::max())
		return nullptr;
	const auto size32 = static_cast<uint32_t>(size);
	PassesSizeTest(static_cast<int64_t>(size));
	PassesHeaderTest(data, size32);

	// The frames in play order, as flitool and the player walk them.
	FrameSequence frames(data, size32, kFramesPerInput);
	while (frames.Next()) {
	}
	if (const char* fault = CheckWalk(data, size32))
		return fault;

	// Every decoder straight on the bytes, as if they were its chunk data.
	const auto pixels = std::make_unique<uint32_t[]>(kPixelCount);
	const auto palette = std::make_unique<uint32_t[]>(kPaletteSize);
	const DecodeContext context{pixels.get(), palette.get(), data + size};
	DecodeFLI_COLOR(context, data);
	DecodeFLI_LC(context, data);
	DecodeFLI_BRUN(context, data);
	DecodeFLI_COPY(context, data);
	DecodeFLI_BLACK(context, data);
	DecodeChunk(context, data);
	DecodeFrame(context, data);
	return nullptr;
}

} // namespace fli::fuzz
