// How long a step back takes on a 1000-frame file of short packets (each frame changes runs
// all over the picture, a heavy case for the decoder), played as the play thread does:
// the first step back, which decodes from the start of the pass (or of play), and the
// steps after it, which decode from a kept picture. The
// frame time of the file's speed is printed beside them: a step should answer within it.
#include <OS.h>

#include <PlayCursor.h>

#include "fli/Decoder.h"
#include "fli/FrameWalk.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ShortRunsAnimation.h"

namespace {

constexpr int kFrames = 1000;
constexpr int kSteps = 200;

// Plays up to the frame `index` of the first later pass, then steps back `kSteps` times.
void Measure(const fli::encode::Bytes& file, int index)
{
	std::array<uint32, 256> palette{};
	std::vector<uint32> pixels(fli::kPixelCount);
	const fli::DecodeContext context{pixels.data(), palette.data(), file.data() + file.size()};
	PlayCursor cursor(file.data(), uint32(file.size()), pixels.data(), palette.data());
	// The first pass shows the frames and the ring, the second from frame index 1.
	for (int shown = 0; shown < kFrames + 1 + index;)
		if (const unsigned char* frame = cursor.NextFrame()) {
			fli::DecodeFrame(context, frame);
			shown++;
		} else {
			cursor.StartNextPass();
		}
	std::vector<double> took;
	for (int step = 0; step < kSteps; step++) {
		const bigtime_t start = system_time();
		cursor.StepBack();
		took.push_back(double(system_time() - start) / 1000.0);
	}
	const double first = took.front();
	std::sort(took.begin() + 1, took.end());
	double sum = 0;
	for (auto it = took.begin() + 1; it != took.end(); ++it)
		sum += *it;
	std::printf("  from frame %4d of the second pass: first %6.1f ms, then mean %5.2f ms, "
				"max %5.2f ms (%d steps)\n",
		index + 1, first, sum / double(kSteps - 1), took.back(), kSteps - 1);
}

} // namespace

int main()
{
	const fli::encode::Bytes file = bench::MakeShortRunsAnimation(kFrames);
	const fli::FrameWalk walk(file.data(), uint32(file.size()));
	std::printf("Step back on %d frames of short runs (%zu bytes); one frame at speed %d "
				"lasts %.1f ms\n",
		kFrames, file.size(), int(walk.Speed()), walk.DelayMicroseconds() / 1000.0);
	Measure(file, 500);
	Measure(file, 1);
	// The same file, to try in the player.
	const std::string path = std::string(ZOETRA_BUILD_DIR) + "/bench/step-back-1000.fli";
	std::ofstream(path, std::ios::binary)
		.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
	std::printf("  written to %s\n", path.c_str());
	return 0;
}
