// The flitool commands over a loaded animation. Each writes its messages to standard error
// and returns the exit status.
#pragma once

#include "AnimationFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace flitool {

// What the commands return: 0 done, 1 failed (said on standard error), 2 wrong usage, 3 an
// `info` that described a truncated file.
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitTruncated = 3;

// frames: N, speed: S, delay_us: D, size: BYTES, first_pass: K, one per line, and for a
// file cut short "truncated: R of F frames whole".
int RunInfo(const Animation& animation, std::FILE* out);
// The frame buffer after each frame in play order, 256000 bytes a frame (blue, green, red,
// 0 per pixel). A negative limit means the first pass and one later pass.
int RunFrames(const Animation& animation, int64_t frameLimit, std::FILE* out);
// The same frames as DIR/frame-0000.png and on, all moved in at once (see FrameFolder.h);
// DIR is made when it does not exist.
int RunExport(const Animation& animation, const std::string& directory, int64_t frameLimit);
// The frames the player shows as an animated GIF at `scale` times the size, looping as the
// player loops (see PlayerLoop.h and GifEncoder.h); notes on standard error what it could
// not show as the player does.
int RunGif(const Animation& animation, const std::string& path, int scale);
// The first frame as a true-colour PNG whose longer side is `size` pixels.
int RunThumbnail(const Animation& animation, const std::string& path, int size);

// Flushes `out`, which is standard output; says so and returns false when what was written
// did not reach it.
bool FlushStandardOutput(std::FILE* out);

// Frames of the thumbnail and GIF pictures: 1 to kLargestGifScale times the frame's size, a
// longer side of 1 to kLargestThumbnailSize pixels.
inline constexpr int kLargestGifScale = 8;
inline constexpr int kLargestThumbnailSize = 4096;

// The animation's length as the decoder takes it; the size test keeps every loaded file
// within 32 bits.
inline uint32_t SizeOf(const Animation& animation)
{
	return static_cast<uint32_t>(animation.size());
}

// What gif and thumbnail say, before they fail, when there is no picture to write.
inline constexpr char kNoFrameMessage[] =
	"flitool: the animation shows no frame; nothing written\n";

} // namespace flitool
