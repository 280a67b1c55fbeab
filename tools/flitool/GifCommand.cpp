// gif: one cycle of what the player shows for ever, as an animated GIF.
#include "ColourTable.h"
#include "ColourUsage.h"
#include "Commands.h"
#include "GifEncoder.h"
#include "OutputFile.h"
#include "PlayerLoop.h"

#include "fli/FrameSequence.h"
#include "fli/FrameWalk.h"

#include <cinttypes>

namespace flitool {

namespace {

// Decodes the loop's pictures in play order and hands each to `use`, false to stop.
template <typename Use>
bool ForEachLoopPicture(const Animation& animation, const PlayerLoop& loop, Use use)
{
	fli::FrameSequence frames(animation.data(), SizeOf(animation), loop.skipped + loop.frames);
	for (int64_t i = 0; i < loop.skipped; ++i)
		frames.Next();
	while (frames.Next()) {
		if (!use(frames.Pixels()))
			return false;
	}
	return true;
}

void NoteWhatDiffers(const PlayerLoop& loop, const GifEncoder& encoder)
{
	if (!loop.repeats)
		std::fputs("flitool: nothing plays after the first pass; the GIF plays once\n", stderr);
	if (encoder.SplitFrames() > 0)
		std::fprintf(stderr,
			"flitool: %" PRId64 " frames hold more colours than a GIF image; each shows as "
			"several images in turn\n",
			encoder.SplitFrames());
}

} // namespace

int RunGif(const Animation& animation, const std::string& path, int scale)
{
	const PlayerLoop loop = FindPlayerLoop(animation.data(), SizeOf(animation));
	if (loop.frames == 0) {
		std::fputs(kNoFrameMessage, stderr);
		return 1;
	}
	// The global colour table needs every picture's colours before the first image.
	ColourUsage usage;
	ForEachLoopPicture(animation, loop, [&usage](const uint32_t* pixels) {
		usage.AddPicture(pixels);
		return true;
	});
	GifEncoder encoder(scale, loop.repeats, usage.MostUsed(ColourTable::kCapacity),
		usage.LaterPictureUsesEvery(),
		fli::FrameWalk(animation.data(), SizeOf(animation)).DelayMicroseconds());
	const bool encoded = ForEachLoopPicture(
		animation, loop, [&encoder](const uint32_t* pixels) { return encoder.AddFrame(pixels); });
	if (!WriteEncodedFile(path, encoded ? encoder.Finish() : std::vector<unsigned char>{}))
		return 1;
	NoteWhatDiffers(loop, encoder);
	return 0;
}

} // namespace flitool
