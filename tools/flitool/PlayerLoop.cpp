// The first pass decoded twice in step with the second to see whether the passes repeat.
#include "PlayerLoop.h"

#include "fli/FrameSequence.h"

#include <algorithm>
#include <vector>

namespace flitool {

namespace {

bool SamePixels(const uint32_t* a, const uint32_t* b)
{
	return std::equal(a, a + fli::kPixelCount, b);
}

bool SamePalette(const fli::FrameSequence& a, const fli::FrameSequence& b)
{
	return std::equal(a.Palette(), a.Palette() + fli::kPaletteSize, b.Palette());
}

} // namespace

PlayerLoop FindPlayerLoop(const unsigned char* data, uint32_t size)
{
	PlayerLoop loop;
	fli::FrameSequence later(data, size, fli::FrameSequence::kFirstAndOneLaterPass);
	const int32_t firstPass = later.Walk().FirstPassFrameCount();
	loop.repeats = later.Walk().LaterPassesShowFrames();
	loop.frames = firstPass;
	if (firstPass == 0 || !loop.repeats)
		return loop;

	later.Next();
	const std::vector<uint32_t> firstPicture(later.Pixels(), later.Pixels() + fli::kPixelCount);
	for (int32_t i = 1; i < firstPass; ++i)
		later.Next();
	// `later` now shows the end of the first pass. The passes repeat when that is the first
	// picture again and the second pass then shows the first pass's pictures, ending with the
	// same palette: from the same picture and palette every further pass is the same again.
	bool same = SamePixels(later.Pixels(), firstPicture.data());
	fli::FrameSequence first(data, size, firstPass);
	first.Next();
	int64_t laterFrames = 0;
	while (later.Next()) {
		++laterFrames;
		same = same && first.Next() && SamePixels(later.Pixels(), first.Pixels());
	}
	same = same && laterFrames == firstPass - 1 && SamePalette(later, first);
	loop.passesRepeat = same;
	loop.frames = same ? firstPass - 1 : firstPass + laterFrames;
	return loop;
}

} // namespace flitool
