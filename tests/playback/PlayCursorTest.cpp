// The play order and the way back of PlayCursor on bounce.fli, against the reference hashes
// of its frames in play order (the first pass, the second and part of the third; the file
// has no ring frame), used as the play thread uses it: decoding into a frame buffer, and
// taking each rebuilt picture as the new one.
#include <PlayCursor.h>

#include <gtest/gtest.h>

#include <cstring>

#include "FrameHash.h"
#include "TestFiles.h"
#include "fli/Decoder.h"

namespace {

using fli::test::ReadLines;
using fli::test::ReadTestFile;
using fli::test::TestDataPath;

// Frames in the first pass of bounce.fli; later passes show frames 2 to 35.
constexpr int kFirstPass = 35;

std::string Hash(const std::vector<uint32>& pixels)
{
	return fli::test::HashFrame(pixels.data());
}

// The title's frame number of the picture at `index` in play order.
int32 FrameNumberAt(size_t index)
{
	return index < kFirstPass ? int32(index) + 1 : int32((index - kFirstPass) % 34) + 2;
}

TEST(PlayCursor, StepsBackExactlyThroughEveryPassAndForwardAgainInPlayOrder)
{
	const std::vector<unsigned char> file = ReadTestFile(TestDataPath("bounce.fli"));
	const std::vector<std::string> hashes = ReadLines(TestDataPath("bounce.frames.sha256"));
	ASSERT_EQ(hashes.size(), 80u);
	std::vector<uint32> pixels(fli::kPixelCount, 0);
	std::array<uint32, 256> palette{};
	const fli::DecodeContext context{pixels.data(), palette.data(), file.data() + file.size()};
	PlayCursor cursor(file.data(), uint32(file.size()), pixels.data(), palette.data());
	const auto takeRebuilt = [&] {
		pixels = cursor.Rebuilt().pixels;
		palette = cursor.Rebuilt().palette;
	};
	EXPECT_FALSE(cursor.StepBack()) << "nothing shown yet";

	for (size_t index = 0; index < hashes.size();) {
		const unsigned char* frame = cursor.NextFrame();
		if (frame == nullptr) {
			cursor.StartNextPass();
			continue;
		}
		fli::DecodeFrame(context, frame);
		ASSERT_EQ(Hash(pixels), hashes[index]) << "played " << index;
		ASSERT_EQ(cursor.FrameNumber(), FrameNumberAt(index));
		index++;
	}

	// Back through the third pass, the second and the first, each picture as it was shown.
	for (size_t index = hashes.size() - 1; index-- > 0;) {
		ASSERT_TRUE(cursor.StepBack());
		EXPECT_EQ(Hash(cursor.Rebuilt().pixels), hashes[index]) << "back to " << index;
		EXPECT_EQ(cursor.FrameNumber(), FrameNumberAt(index));
		takeRebuilt();
	}
	// Before the first picture: the last frame before the ring, here the last of the file.
	ASSERT_TRUE(cursor.StepBack());
	EXPECT_EQ(Hash(cursor.Rebuilt().pixels), hashes[kFirstPass - 1]);
	EXPECT_EQ(cursor.FrameNumber(), kFirstPass);
	takeRebuilt();

	// Forward from there goes on in play order, into the later passes.
	for (size_t index = kFirstPass; index < hashes.size(); index++) {
		const unsigned char* frame = cursor.StepForward();
		ASSERT_NE(frame, nullptr);
		fli::DecodeFrame(context, frame);
		EXPECT_EQ(Hash(pixels), hashes[index]) << "stepped to " << index;
	}

	ASSERT_TRUE(cursor.GoHome());
	EXPECT_EQ(Hash(cursor.Rebuilt().pixels), hashes[0]);
	EXPECT_EQ(cursor.FrameNumber(), 1);
	takeRebuilt();
	const unsigned char* second = cursor.StepForward();
	ASSERT_NE(second, nullptr);
	fli::DecodeFrame(context, second);
	EXPECT_EQ(Hash(pixels), hashes[1]) << "Home goes on from the first picture";
}

} // namespace
