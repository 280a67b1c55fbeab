// FLI_BRUN: repeats, literals, the fixed 200 lines, and where each line starts.
#include "DecodeCanvas.h"

#include <gtest/gtest.h>

namespace fli::test {
namespace {

uint32_t Entry(int index)
{
	return DecodeCanvas::EntryColour(index);
}

std::vector<Line> LinesWithFirst(Line first)
{
	std::vector<Line> lines(kHeight);
	lines[0] = std::move(first);
	return lines;
}

TEST(ByteRunChunk, PositiveSizeRepeatsAndNegativeSizeCopies)
{
	DecodeCanvas canvas;
	canvas.Decode(BrunChunk(LinesWithFirst({BrunRepeat(3, 7), BrunLiteral({1, 2, 3})})));
	EXPECT_EQ(canvas.Pixel(0, 0), Entry(7));
	EXPECT_EQ(canvas.Pixel(2, 0), Entry(7));
	EXPECT_EQ(canvas.Pixel(3, 0), Entry(1));
	EXPECT_EQ(canvas.Pixel(4, 0), Entry(2));
	EXPECT_EQ(canvas.Pixel(5, 0), Entry(3));
	// Pixels of a line that its packets do not reach keep their values.
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 6);
}

TEST(ByteRunChunk, SizeZeroWritesNothingButConsumesOneByte)
{
	DecodeCanvas canvas;
	canvas.Decode(BrunChunk(LinesWithFirst({BrunRepeat(0, 9), BrunRepeat(2, 5)})));
	EXPECT_EQ(canvas.Pixel(0, 0), Entry(5));
	EXPECT_EQ(canvas.Pixel(1, 0), Entry(5));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 2);
}

TEST(ByteRunChunk, EveryLineStartsAtItsOwnFirstColumn)
{
	std::vector<Line> lines(kHeight);
	for (int y = 0; y < kHeight; ++y)
		lines[y] = {BrunRepeat(1, static_cast<unsigned char>(y))};
	DecodeCanvas canvas;
	canvas.Decode(BrunChunk(lines));
	for (int y = 0; y < kHeight; ++y)
		ASSERT_EQ(canvas.Pixel(0, y), Entry(y)) << y;
	EXPECT_EQ(canvas.CountOtherThan(kWhite), kHeight);
}

TEST(ByteRunChunk, ReadsExactly200LinesWhateverFollows)
{
	std::vector<Line> lines(kHeight + 1);
	lines[kHeight] = {BrunRepeat(100, 1)};
	DecodeCanvas canvas;
	canvas.Decode(BrunChunk(lines));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
	EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(ByteRunChunk, LastLineRunsPastThePictureAreDropped)
{
	std::vector<Line> lines(kHeight);
	lines[kHeight - 1] = {
		BrunRepeat(127, 1), BrunRepeat(127, 1), BrunRepeat(127, 1), BrunLiteral(Bytes(128, 2))};
	DecodeCanvas canvas;
	canvas.Decode(BrunChunk(lines));
	EXPECT_EQ(canvas.Pixel(kWidth - 1, kHeight - 1), Entry(1));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), kWidth);
	EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(ByteRunChunk, BufferEndingEarlyKeepsTheLinesAlreadyDecoded)
{
	std::vector<Line> lines(kHeight, Line{BrunRepeat(2, 3)});
	Bytes bytes = ChunkBytes(BrunChunk(lines));
	bytes.resize(kChunkHeaderSize + 3 * 10 + 2); // ten lines, then a count and a size byte
	const ExactBuffer buffer(bytes);
	DecodeCanvas canvas;
	DecodeChunk(canvas.ContextFor(buffer), buffer.Data());
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 20);
	EXPECT_EQ(canvas.Pixel(1, 9), Entry(3));
}

TEST(ByteRunChunk, BufferEndingInsideALiteralKeepsTheBytesThatArePresent)
{
	Bytes bytes = ChunkBytes(BrunChunk(LinesWithFirst({BrunLiteral({4, 5, 6})})));
	bytes.resize(kChunkHeaderSize + 2 + 2);
	const ExactBuffer buffer(bytes);
	DecodeCanvas canvas;
	DecodeChunk(canvas.ContextFor(buffer), buffer.Data());
	EXPECT_EQ(canvas.Pixel(0, 0), Entry(4));
	EXPECT_EQ(canvas.Pixel(1, 0), Entry(5));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 2);
}

} // namespace
} // namespace fli::test
