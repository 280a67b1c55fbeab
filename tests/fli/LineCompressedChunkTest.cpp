// FLI_LC: skips, literal and repeated packets, the empty packet, and where lines start.
#include "DecodeCanvas.h"

#include <gtest/gtest.h>

namespace fli::test {
namespace {

uint32_t Entry(int index)
{
	return DecodeCanvas::EntryColour(index);
}

TEST(LineCompressedChunk, LiteralPacketWritesItsBytesAfterTheSkipAndNothingElse)
{
	DecodeCanvas canvas;
	canvas.Decode(LcChunk(10, {{LcLiteral(5, {7, 8, 9})}}));
	EXPECT_EQ(canvas.Pixel(5, 10), Entry(7));
	EXPECT_EQ(canvas.Pixel(6, 10), Entry(8));
	EXPECT_EQ(canvas.Pixel(7, 10), Entry(9));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 3);
}

TEST(LineCompressedChunk, SkipCountsFromWhereThePreviousPacketEnded)
{
	DecodeCanvas canvas;
	canvas.Decode(LcChunk(0, {{LcLiteral(2, {1}), LcLiteral(2, {2})}}));
	EXPECT_EQ(canvas.Pixel(2, 0), Entry(1));
	EXPECT_EQ(canvas.Pixel(5, 0), Entry(2));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 2);
}

TEST(LineCompressedChunk, NegativeSizeRepeatsOneByte)
{
	DecodeCanvas canvas;
	canvas.Decode(LcChunk(3, {{LcRepeat(1, 4, 42), LcLiteral(0, {43})}}));
	for (int x = 1; x <= 4; ++x)
		EXPECT_EQ(canvas.Pixel(x, 3), Entry(42)) << x;
	// The repeat consumed exactly one data byte: the next packet reads its own byte.
	EXPECT_EQ(canvas.Pixel(5, 3), Entry(43));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 5);
}

TEST(LineCompressedChunk, SizeZeroPacketOnlySkipsAndCarriesNoDataByte)
{
	// Real files skip more than 255 pixels this way: (255, size 0), then (45, ...).
	DecodeCanvas canvas;
	canvas.Decode(
		LcChunk(20, {{LcSkipOnly(255), LcLiteral(45, {6, 7}), LcSkipOnly(3), LcRepeat(0, 2, 8)}}));
	EXPECT_EQ(canvas.Pixel(300, 20), Entry(6));
	EXPECT_EQ(canvas.Pixel(301, 20), Entry(7));
	EXPECT_EQ(canvas.Pixel(305, 20), Entry(8));
	EXPECT_EQ(canvas.Pixel(306, 20), Entry(8));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 4);
}

TEST(LineCompressedChunk, RunPastTheLastColumnGoesOnAtTheNextLineButTheNextLineStartsFresh)
{
	DecodeCanvas canvas;
	canvas.Decode(LcChunk(10, {{LcRepeat(250, 100, 1)}, {LcLiteral(0, {2})}}));
	EXPECT_EQ(canvas.Pixel(250, 10), Entry(1));
	EXPECT_EQ(canvas.Pixel(319, 10), Entry(1));
	EXPECT_EQ(canvas.Pixel(29, 11), Entry(1));
	EXPECT_EQ(canvas.Pixel(30, 11), kWhite);
	// The chunk's second line is line 11 however far the first one went; it overwrites.
	EXPECT_EQ(canvas.Pixel(0, 11), Entry(2));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 100);
}

TEST(LineCompressedChunk, LinesWithoutPacketsKeepTheirPixels)
{
	DecodeCanvas canvas;
	canvas.Decode(LcChunk(50, {{}, {}, {LcLiteral(0, {4})}}));
	EXPECT_EQ(canvas.Pixel(0, 52), Entry(4));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 1);
}

TEST(LineCompressedChunk, ZeroLineCountReadsNothingPastTheFirstFourBytes)
{
	Chunk chunk = LcChunk(0, {});
	// Bytes that would write if they were read as a line.
	chunk.data.insert(chunk.data.end(), {1, 0, 5, 9});
	DecodeCanvas canvas;
	canvas.Decode(chunk);
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
}

TEST(LineCompressedChunk, WritesPastTheLastPixelAreDropped)
{
	DecodeCanvas canvas;
	// Line 199: runs from column 255 that pass the last pixel, then lines 200 and 201.
	canvas.Decode(LcChunk(199,
		{{LcRepeat(255, 128, 3), LcRepeat(45, 100, 3)}, {LcRepeat(0, 128, 4)},
			{LcLiteral(0, {5})}}));
	EXPECT_EQ(canvas.Pixel(254, 199), kWhite);
	EXPECT_EQ(canvas.Pixel(255, 199), Entry(3));
	EXPECT_EQ(canvas.Pixel(319, 199), Entry(3));
	EXPECT_TRUE(canvas.GuardsIntact());
	// Columns 255 to 319 of the last line; the rest of the runs is dropped.
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 65);
}

TEST(LineCompressedChunk, FirstLineBelowThePictureWritesNothing)
{
	DecodeCanvas canvas;
	canvas.Decode(LcChunk(65535, {{LcRepeat(0, 128, 3)}, {LcRepeat(0, 128, 3)}}));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
	EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(LineCompressedChunk, BufferEndingInsideALiteralKeepsTheBytesThatArePresent)
{
	Bytes bytes = ChunkBytes(LcChunk(0, {{LcLiteral(0, {1, 2, 3, 4})}}));
	bytes.resize(bytes.size() - 2);
	const ExactBuffer buffer(bytes);
	DecodeCanvas canvas;
	DecodeChunk(canvas.ContextFor(buffer), buffer.Data());
	EXPECT_EQ(canvas.Pixel(0, 0), Entry(1));
	EXPECT_EQ(canvas.Pixel(1, 0), Entry(2));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 2);
}

TEST(LineCompressedChunk, BufferEndingBeforeARepeatedByteWritesNothingForIt)
{
	Bytes bytes = ChunkBytes(LcChunk(0, {{LcLiteral(0, {1}), LcRepeat(0, 5, 2)}}));
	bytes.pop_back();
	const ExactBuffer buffer(bytes);
	DecodeCanvas canvas;
	DecodeChunk(canvas.ContextFor(buffer), buffer.Data());
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 1);
}

TEST(LineCompressedChunk, OneLineLeavesTheOther199WhiteAfterClear)
{
	DecodeCanvas canvas(0);
	Clear(canvas.Pixels(), kWhite);
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
	canvas.Decode(LcChunk(7, {{LcRepeat(0, 128, 1), LcRepeat(0, 128, 1), LcRepeat(0, 64, 1)}}));
	for (int x = 0; x < kWidth; ++x)
		ASSERT_EQ(canvas.Pixel(x, 7), Entry(1)) << x;
	EXPECT_EQ(canvas.CountOtherThan(kWhite), kWidth);
}

} // namespace
} // namespace fli::test
