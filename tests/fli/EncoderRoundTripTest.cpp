// Pictures encoded by the FLI writer decode back to themselves: each side checks the other.
#include "DecodeCanvas.h"

#include "FliEncoder.h"

#include <gtest/gtest.h>

#include <random>

namespace fli::test {
namespace {

using encode::Picture;

// Random pictures with long runs, short runs and noise, so every packet kind appears.
Picture RandomPicture(std::mt19937& random)
{
	Picture picture(kPixelCount);
	size_t i = 0;
	while (i < picture.size()) {
		const int kind = static_cast<int>(random() % 3);
		const size_t length = kind == 0 ? 1 + random() % 400
			: kind == 1                 ? 1 + random() % 4
										: 1 + random() % 40;
		const auto value = static_cast<unsigned char>(random());
		for (size_t k = 0; k < length && i < picture.size(); ++k, ++i)
			picture[i] = kind == 2 ? static_cast<unsigned char>(random()) : value;
	}
	return picture;
}

void ExpectCanvasShows(DecodeCanvas& canvas, const Picture& picture)
{
	for (int i = 0; i < kPixelCount; ++i)
		ASSERT_EQ(canvas.Pixels()[i], DecodeCanvas::EntryColour(picture[i])) << "pixel " << i;
	ASSERT_TRUE(canvas.GuardsIntact());
}

void DecodeWholeChunk(DecodeCanvas& canvas, const encode::Bytes& chunk)
{
	const ExactBuffer buffer(chunk);
	DecodeChunk(canvas.ContextFor(buffer), buffer.Data());
}

TEST(EncoderRoundTrip, ByteRunPicturesDecodeToThemselves)
{
	std::mt19937 random(1234);
	std::vector<Picture> pictures{
		Picture(kPixelCount, 9), RandomPicture(random), RandomPicture(random)};
	Picture alternating(kPixelCount);
	for (int i = 0; i < kPixelCount; ++i)
		alternating[i] = static_cast<unsigned char>((i % 3 == 0) ? 1 : 2);
	pictures.push_back(alternating);
	for (const Picture& picture : pictures) {
		DecodeCanvas canvas;
		DecodeWholeChunk(canvas, encode::EncodeByteRunChunk(picture));
		ExpectCanvasShows(canvas, picture);
	}
}

TEST(EncoderRoundTrip, LineCompressedChangesTurnOnePictureIntoTheNext)
{
	std::mt19937 random(99);
	Picture before = RandomPicture(random);
	for (int step = 0; step < 6; ++step) {
		Picture after = before;
		// Scattered changes, changes only far to the right (skips above 255), whole lines.
		for (int k = 0; k < 300; ++k)
			after[random() % kPixelCount] = static_cast<unsigned char>(random());
		const int y = static_cast<int>(random() % kHeight);
		for (int x = 300; x < 310; ++x)
			after[y * kWidth + x] ^= 0x55;
		const int wholeLine = static_cast<int>(random() % kHeight);
		for (int x = 0; x < kWidth; ++x)
			after[wholeLine * kWidth + x] = static_cast<unsigned char>(step);

		DecodeCanvas canvas;
		DecodeWholeChunk(canvas, encode::EncodeByteRunChunk(before));
		DecodeWholeChunk(canvas, encode::EncodeLineCompressedChunk(before, after));
		ExpectCanvasShows(canvas, after);
		before = after;
	}
}

TEST(EncoderRoundTrip, ChangesOnlyPastColumn255UseAnEmptySkipPacket)
{
	Picture before(kPixelCount, 0);
	Picture after = before;
	after[5 * kWidth + 290] = 7;
	const encode::Bytes chunk = encode::EncodeLineCompressedChunk(before, after);
	// Header, first line 5, one line, 2 packets: (255, size 0) and (35, size 1, byte 7).
	const encode::Bytes expectedData{5, 0, 1, 0, 2, 255, 0, 35, 1, 7};
	ASSERT_EQ(chunk.size(), kChunkHeaderSize + expectedData.size());
	EXPECT_EQ(encode::Bytes(chunk.begin() + kChunkHeaderSize, chunk.end()), expectedData);
	DecodeCanvas canvas;
	DecodeWholeChunk(canvas, chunk);
	EXPECT_EQ(canvas.Pixel(290, 5), DecodeCanvas::EntryColour(7));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 1);
}

TEST(EncoderRoundTrip, IdenticalPicturesNeedNoLineCompressedChunk)
{
	std::mt19937 random(5);
	const Picture picture = RandomPicture(random);
	EXPECT_TRUE(encode::EncodeLineCompressedChunk(picture, picture).empty());
}

TEST(EncoderRoundTrip, PaletteDecodesToTheComponentsTimesFour)
{
	encode::Palette6 palette{};
	for (int i = 0; i < 256; ++i)
		palette[i] = {static_cast<unsigned char>(i % 64), static_cast<unsigned char>(63 - i % 64),
			static_cast<unsigned char>(i / 4)};
	DecodeCanvas canvas;
	DecodeWholeChunk(canvas, encode::EncodeColorChunk(palette));
	for (int i = 0; i < 256; ++i) {
		const uint32_t expected = (uint32_t(palette[i].red) * 4 << 16)
			| (uint32_t(palette[i].green) * 4 << 8) | (palette[i].blue * 4u);
		ASSERT_EQ(canvas.Palette()[i], expected) << i;
	}
}

} // namespace
} // namespace fli::test
