// DecodeFrame and DecodeChunk: chunk order, stepping by size fields, skipped types, bounds.
#include "DecodeCanvas.h"

#include <gtest/gtest.h>

namespace fli::test {
namespace {

uint32_t Entry(int index)
{
	return DecodeCanvas::EntryColour(index);
}

Chunk OnePixel(int x, int y, unsigned char byte)
{
	return LcChunk(static_cast<uint16_t>(y), {{LcLiteral(static_cast<unsigned char>(x), {byte})}});
}

TEST(FrameDecode, FrameWithoutChunksChangesNothing)
{
	DecodeCanvas canvas;
	canvas.Decode(Frame{{OnePixel(0, 0, 1)}, std::nullopt, 0});
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
	EXPECT_EQ(canvas.Palette()[0], Entry(0));
}

TEST(FrameDecode, UnknownChunkTypesAreSkippedByTheirSize)
{
	for (uint16_t type : {14, 18, 0, 17, 65535}) {
		DecodeCanvas canvas;
		// Data that would black the picture or write pixels if it were decoded.
		canvas.Decode(Frame{{RawChunk(type, {0, 0, 1, 0, 1, 0, 5, 9}), OnePixel(4, 4, 2)}});
		EXPECT_EQ(canvas.CountOtherThan(kWhite), 1) << type;
		EXPECT_EQ(canvas.Pixel(4, 4), Entry(2)) << type;
	}
}

TEST(FrameDecode, FrameMagicIsNotChecked)
{
	DecodeCanvas canvas;
	Frame frame{{OnePixel(1, 1, 3)}};
	frame.magic = 0x1234;
	canvas.Decode(frame);
	EXPECT_EQ(canvas.Pixel(1, 1), Entry(3));
}

TEST(FrameDecode, PaletteChangesApplyOnlyToLaterChunks)
{
	DecodeCanvas canvas;
	canvas.Decode(Frame{{OnePixel(0, 0, 1), ColorChunk({{1, {{1, 1, 1}}}}), OnePixel(1, 0, 1)}});
	EXPECT_EQ(canvas.Pixel(0, 0), Entry(1));
	EXPECT_EQ(canvas.Pixel(1, 0), 0x040404u);
}

TEST(FrameDecode, NextChunkIsFoundByTheSizeFieldNotByWhatTheDecoderRead)
{
	DecodeCanvas canvas;
	// Three bytes that the decoder never reads: the next chunk starts after them.
	Chunk first = OnePixel(0, 0, 1);
	first.data.insert(first.data.end(), {0, 0, 0});
	first.sizeField = static_cast<uint32_t>(kChunkHeaderSize + first.data.size());
	// A size field that covers only the header: the next chunk is read inside this one's
	// data, which is laid out to be a valid LC chunk header there.
	Chunk shortSized = RawChunk(99, ChunkBytes(OnePixel(2, 0, 2)));
	shortSized.sizeField = kChunkHeaderSize;
	canvas.Decode(Frame{{first, shortSized}, std::nullopt, 3});
	EXPECT_EQ(canvas.Pixel(0, 0), Entry(1));
	EXPECT_EQ(canvas.Pixel(2, 0), Entry(2));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 2);
}

TEST(FrameDecode, ChunkOfSizeZeroIsItsOwnSuccessorSoNoLaterChunkIsReached)
{
	DecodeCanvas canvas;
	Chunk looping = OnePixel(5, 5, 1);
	looping.sizeField = 0;
	canvas.Decode(Frame{{looping, BlackChunk()}, std::nullopt, 65535});
	EXPECT_EQ(canvas.Pixel(5, 5), Entry(1));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 1);
}

TEST(FrameDecode, HugeChunkSizeLandsPastTheEndInsteadOfWrappingAround)
{
	// 16 + 0xFFFFFFF0 wraps to 0 in 32 bits: the frame header would be read as a chunk,
	// and its magic field is set to the black chunk's type.
	Chunk skipped = RawChunk(14, {});
	skipped.sizeField = 0xFFFFFFF0;
	Frame frame{{skipped}, std::nullopt, 2};
	frame.magic = FLI_BLACK;
	DecodeCanvas canvas;
	canvas.Decode(frame);
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
}

TEST(FrameDecode, ChunkCountBeyondTheBufferEndsTheFrameAtTheLastWholeChunkHeader)
{
	Bytes bytes = FrameBytes(Frame{{OnePixel(0, 0, 1), OnePixel(1, 0, 2)}, std::nullopt, 60000});
	// Five bytes of a third chunk header: it does not fit and ends the frame.
	bytes.insert(bytes.end(), {20, 0, 0, 0, FLI_BLACK});
	const ExactBuffer buffer(bytes);
	DecodeCanvas canvas;
	DecodeFrame(canvas.ContextFor(buffer), buffer.Data());
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 2);
}

TEST(FrameDecode, FrameHeaderThatDoesNotFitDecodesNothing)
{
	Bytes bytes = FrameBytes(Frame{{BlackChunk()}});
	const ExactBuffer whole(bytes);
	const ExactBuffer cut(Bytes(bytes.begin(), bytes.begin() + kFrameHeaderSize - 1));
	DecodeCanvas canvas;
	DecodeFrame(canvas.ContextFor(cut), cut.Data());
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
	DecodeFrame(canvas.ContextFor(whole), whole.Data());
	EXPECT_EQ(canvas.CountOtherThan(0), 0);
}

} // namespace
} // namespace fli::test
