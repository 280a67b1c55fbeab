// Where the player's endless cycle starts.
//
// Every chunk sets pixels and palette entries to values of its own, never to values read
// from the picture, so what a pass draws depends only on the palette it starts from. Each
// later pass sets the same entries to the same last values, so every pass ends with the
// palette the first pass ended with: from the second pass on, every pass draws the same
// colours, and each ends with the ring picture the second pass ended with. The first two
// passes may differ from the rest (a pixel drawn before its entry changes later in the pass
// keeps the first pass's colour until the second pass draws it again), so the loop starts at
// the second pass's ring picture and goes on with the third pass before its ring.
#include "PlayerLoop.h"

#include "fli/FrameWalk.h"

namespace flitool {

PlayerLoop FindPlayerLoop(const unsigned char* data, uint32_t size)
{
	fli::FrameWalk walk(data, size);
	PlayerLoop loop;
	loop.repeats = walk.LaterPassesShowFrames();
	while (walk.NextFrame() != nullptr)
		++loop.frames;
	if (!loop.repeats)
		return loop;
	walk.StartNextPass();
	int64_t laterPass = 0;
	while (walk.NextFrame() != nullptr)
		++laterPass;
	loop.skipped = loop.frames + laterPass - 1;
	loop.frames = laterPass;
	return loop;
}

} // namespace flitool
