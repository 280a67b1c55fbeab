// gif: the player's loop as an animated GIF.
#include "Commands.h"
#include "GifEncoder.h"
#include "OutputFile.h"
#include "PlayerLoop.h"

#include "fli/FrameSequence.h"

#include <cinttypes>

namespace flitool {

namespace {

void NoteWhatDiffers(const PlayerLoop& loop, const GifEncoder& encoder)
{
	if (!loop.repeats)
		std::fputs("flitool: nothing plays after the first pass; the GIF plays once\n", stderr);
	else if (!loop.passesRepeat)
		std::fputs("flitool: later passes differ from the first; the GIF holds the first pass "
				   "and one later pass, then starts again\n",
			stderr);
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
	fli::FrameSequence frames(animation.data(), SizeOf(animation), loop.frames);
	GifClock clock(frames.Walk().DelayMicroseconds());
	GifEncoder encoder(scale, loop.repeats);
	bool encoded = true;
	while (encoded && frames.Next())
		encoded = encoder.AddFrame(frames.Pixels(), frames.Palette(), clock);
	if (!WriteEncodedFile(path, encoded ? encoder.Finish() : std::vector<unsigned char>{}))
		return 1;
	NoteWhatDiffers(loop, encoder);
	return 0;
}

} // namespace flitool
