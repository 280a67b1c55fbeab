// The demo's pictures with one more ball, shaded by distance from its lit side, on a path
// as long as the file.
#include "LongAnimation.h"

#include "DemoAnimation.h"
#include "FliEncoder.h"

#include "fli/Format.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>

namespace bench {

namespace {

constexpr int kFrames = 384;
constexpr int kRadius = 18;

fli::encode::Picture RenderLongPicture(int index)
{
	fli::encode::Picture picture = fli::demo::RenderDemoPicture(index % fli::demo::kDemoFrameCount);
	const double turn = 2 * std::numbers::pi * index / kFrames;
	const int centreX = fli::kWidth / 2 + static_cast<int>(130 * std::sin(turn));
	const int centreY = fli::kHeight / 2 + static_cast<int>(70 * std::sin(2 * turn));
	for (int y = -kRadius; y <= kRadius; ++y) {
		for (int x = -kRadius; x <= kRadius; ++x) {
			const int px = centreX + x, py = centreY + y;
			if (x * x + y * y > kRadius * kRadius || px < 0 || px >= fli::kWidth || py < 0
				|| py >= fli::kHeight)
				continue;
			// Sixteen shades of the demo's sky ramp (entries 0 to 47), darker away from the lit
			// upper left.
			const double lit = std::hypot(x + kRadius / 2, y + kRadius / 2) / (2 * kRadius);
			picture[static_cast<size_t>(py * fli::kWidth + px)] =
				static_cast<unsigned char>(3 * std::min(15, static_cast<int>(lit * 16)));
		}
	}
	return picture;
}

fli::encode::Bytes MakeLongAnimation()
{
	fli::encode::AnimationWriter writer(fli::demo::kDemoSpeed);
	const fli::encode::Picture first = RenderLongPicture(0);
	writer.AddFrame({fli::encode::EncodeColorChunk(fli::demo::DemoPalette()),
		fli::encode::EncodeByteRunChunk(first)});
	fli::encode::Picture previous = first;
	for (int index = 1; index <= kFrames; ++index) {
		fli::encode::Picture next = index < kFrames ? RenderLongPicture(index) : first;
		const fli::encode::Bytes changes = fli::encode::EncodeLineCompressedChunk(previous, next);
		writer.AddFrame(changes.empty() ? std::vector<fli::encode::Bytes>{}
										: std::vector<fli::encode::Bytes>{changes});
		previous = std::move(next);
	}
	return writer.Finish(kFrames);
}

} // namespace

std::string WriteLongAnimation()
{
	const fli::encode::Bytes bytes = MakeLongAnimation();
	const std::string path = std::string(ZOETRA_BUILD_DIR) + "/bench/long.fli";
	std::ofstream(path, std::ios::binary)
		.write(reinterpret_cast<const char*>(bytes.data()),
			static_cast<std::streamsize>(bytes.size()));
	return path;
}

} // namespace bench
