// FLI_BLACK, FLI_COPY and Clear: chunks and operations that set every pixel.
#include "DecodeCanvas.h"

#include <gtest/gtest.h>

namespace fli::test {
namespace {

TEST(BlackChunk, SetsEveryPixelToZeroWhateverThePaletteHoldsAndKeepsThePalette)
{
	DecodeCanvas canvas;
	canvas.Palette()[0] = kWhite;
	canvas.Decode(BlackChunk());
	EXPECT_EQ(canvas.CountOtherThan(0), 0);
	EXPECT_EQ(canvas.Palette()[0], kWhite);
	EXPECT_EQ(canvas.Palette()[1], DecodeCanvas::EntryColour(1));
}

TEST(CopyChunk, MapsByteIToPixelIThroughThePalette)
{
	Bytes picture(kPixelCount);
	for (int i = 0; i < kPixelCount; ++i)
		picture[i] = static_cast<unsigned char>(i * 7);
	DecodeCanvas canvas;
	canvas.Decode(CopyChunk(picture));
	for (int i = 0; i < kPixelCount; ++i)
		ASSERT_EQ(canvas.Pixels()[i], DecodeCanvas::EntryColour(picture[i])) << i;
	EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(CopyChunk, ShortBufferWritesOnlyThePixelsItHolds)
{
	DecodeCanvas canvas;
	canvas.Decode(CopyChunk(Bytes(1000, 3)));
	EXPECT_EQ(canvas.Pixels()[999], DecodeCanvas::EntryColour(3));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 1000);
}

TEST(Clear, SetsEveryPixelAndNothingBeyond)
{
	DecodeCanvas canvas(0);
	Clear(canvas.Pixels(), kWhite);
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
	Clear(canvas.Pixels(), 0);
	EXPECT_EQ(canvas.CountOtherThan(0), 0);
	EXPECT_TRUE(canvas.GuardsIntact());
}

} // namespace
} // namespace fli::test
