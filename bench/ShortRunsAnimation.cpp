// Short runs of changes between gaps of three or more pixels, so that the encoder writes a
// packet for each run.
#include "ShortRunsAnimation.h"

#include "fli/Format.h"

#include <fstream>
#include <random>

namespace bench {

namespace {

using fli::encode::Picture;

Picture Noise(std::mt19937& random)
{
	Picture picture(fli::kPixelCount);
	for (unsigned char& pixel : picture)
		pixel = static_cast<unsigned char>(random() % 64);
	return picture;
}

// Changes runs of 1 to 3 pixels separated by unchanged gaps of 3 to 40.
Picture ChangedInShortRuns(const Picture& before, std::mt19937& random)
{
	Picture after = before;
	for (int y = 0; y < fli::kHeight; ++y) {
		int x = static_cast<int>(random() % 8);
		while (x < fli::kWidth) {
			const int run = 1 + static_cast<int>(random() % 3);
			for (int i = 0; i < run && x < fli::kWidth; ++i, ++x) {
				unsigned char& pixel = after[static_cast<size_t>(y * fli::kWidth + x)];
				pixel = static_cast<unsigned char>((pixel + 1 + random() % 60) % 64);
			}
			x += 3 + static_cast<int>(random() % 38);
		}
	}
	return after;
}

fli::encode::Palette6 Greys()
{
	fli::encode::Palette6 palette{};
	for (size_t i = 0; i < palette.size(); ++i) {
		const auto level = static_cast<unsigned char>(i % 64);
		palette[i] = {level, level, static_cast<unsigned char>(63 - level)};
	}
	return palette;
}

} // namespace

fli::encode::Bytes MakeShortRunsAnimation(int frames)
{
	std::mt19937 random(2024);
	fli::encode::AnimationWriter writer(2);
	const Picture first = Noise(random);
	writer.AddFrame(
		{fli::encode::EncodeColorChunk(Greys()), fli::encode::EncodeByteRunChunk(first)});
	Picture before = first;
	for (int i = 1; i < frames; ++i) {
		const Picture after = ChangedInShortRuns(before, random);
		writer.AddFrame({fli::encode::EncodeLineCompressedChunk(before, after)});
		before = after;
	}
	writer.AddFrame({fli::encode::EncodeLineCompressedChunk(before, first)});
	return writer.Finish(static_cast<int16_t>(frames));
}

std::string WriteShortRunsAnimation()
{
	const fli::encode::Bytes bytes = MakeShortRunsAnimation(64);
	const std::string path = std::string(ZOETRA_BUILD_DIR) + "/bench/short-runs.fli";
	std::ofstream(path, std::ios::binary)
		.write(reinterpret_cast<const char*>(bytes.data()),
			static_cast<std::streamsize>(bytes.size()));
	return path;
}

} // namespace bench
