// The flitool commands over a loaded animation.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace flitool {

using Animation = std::vector<unsigned char>;

// frames: N, speed: S, delay_us: D, size: BYTES, first_pass: K, one per line.
int RunInfo(const Animation& animation, std::FILE* out);
// The frame buffer after each frame in play order, 256000 bytes a frame (blue, green, red,
// 0 per pixel). A negative limit means the first pass and one later pass.
int RunFrames(const Animation& animation, int64_t frameLimit, std::FILE* out);
// The same frames as DIR/frame-0000.png and on; DIR is made when it does not exist.
int RunExport(const Animation& animation, const std::string& directory, int64_t frameLimit);

} // namespace flitool
