// FLI_COLOR: which palette entries a chunk sets, to what, and what it leaves alone.
#include "DecodeCanvas.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fli::test {
namespace {

TEST(ColorChunk, SkipsAreCountedFromWherePreviousPacketEnded)
{
	DecodeCanvas canvas;
	canvas.Decode(ColorChunk({{0, {{1, 1, 1}, {2, 2, 2}}}, {3, {{5, 5, 5}}}}));
	EXPECT_EQ(canvas.Palette()[0], 0x040404u);
	EXPECT_EQ(canvas.Palette()[1], 0x080808u);
	for (int entry = 2; entry <= 4; ++entry)
		EXPECT_EQ(canvas.Palette()[entry], DecodeCanvas::EntryColour(entry)) << entry;
	EXPECT_EQ(canvas.Palette()[5], 0x141414u);
	EXPECT_EQ(canvas.Palette()[6], DecodeCanvas::EntryColour(6));
}

TEST(ColorChunk, SixBitComponentsAreScaledByFourIntoBlueGreenRedAlpha)
{
	DecodeCanvas canvas;
	canvas.Decode(ColorChunk({{0, {{63, 0, 32}, {65, 64, 255}}}}));
	const uint32_t entry = canvas.Palette()[0];
	EXPECT_EQ(entry, 0x00FC0080u);
	unsigned char bytes[4];
	std::memcpy(bytes, &entry, 4);
	EXPECT_EQ(bytes[0], 0x80); // blue
	EXPECT_EQ(bytes[1], 0x00); // green
	EXPECT_EQ(bytes[2], 0xFC); // red
	EXPECT_EQ(bytes[3], 0x00); // alpha
	// Bytes above 63 lose their top bits: 65 gives 4, 64 gives 0, 255 gives 252.
	EXPECT_EQ(canvas.Palette()[1], 0x000400FCu);
}

TEST(ColorChunk, CountByteZeroSetsAll256EntriesAndTheNextPacketFollows768Bytes)
{
	std::vector<Rgb> colours;
	for (int i = 0; i < 256; ++i)
		colours.push_back({static_cast<unsigned char>(i % 64), 1, 2});
	DecodeCanvas canvas;
	canvas.Decode(ColorChunk({{0, colours, 0}, {0, {{9, 9, 9}}}}));
	EXPECT_EQ(canvas.Palette()[1], 0x00040408u);
	EXPECT_EQ(canvas.Palette()[255], 0x00FC0408u);
	// The index ran to 256, so the second packet's entry lands past the palette.
	EXPECT_TRUE(canvas.GuardsIntact());
	EXPECT_EQ(canvas.Palette()[0], 0x00000408u);
}

TEST(ColorChunk, EntriesPastTheLastAreDroppedAndTheIndexDoesNotWrapAt256)
{
	DecodeCanvas canvas;
	std::vector<Rgb> ten(10, Rgb{7, 7, 7});
	canvas.Decode(ColorChunk({{250, ten}, {0, {{3, 3, 3}}}}));
	for (int entry = 250; entry < 256; ++entry)
		EXPECT_EQ(canvas.Palette()[entry], 0x001C1C1Cu) << entry;
	// Entries 256 to 260 are dropped; none of them comes round to the start.
	for (int entry = 0; entry < 10; ++entry)
		EXPECT_EQ(canvas.Palette()[entry], DecodeCanvas::EntryColour(entry)) << entry;
	EXPECT_TRUE(canvas.GuardsIntact());
}

TEST(ColorChunk, ChangesNoPixel)
{
	DecodeCanvas canvas;
	canvas.Decode(ColorChunk({{0, std::vector<Rgb>(256, Rgb{1, 2, 3}), 0}}));
	EXPECT_EQ(canvas.CountOtherThan(kWhite), 0);
}

TEST(ColorChunk, BufferEndingInsideAColourKeepsTheWholeColoursBeforeIt)
{
	Bytes bytes = ChunkBytes(ColorChunk({{0, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}}}));
	bytes.resize(bytes.size() - 1); // the last blue byte is missing
	const ExactBuffer buffer(bytes);
	DecodeCanvas canvas;
	DecodeChunk(canvas.ContextFor(buffer), buffer.Data());
	EXPECT_EQ(canvas.Palette()[0], 0x040404u);
	EXPECT_EQ(canvas.Palette()[1], 0x080808u);
	EXPECT_EQ(canvas.Palette()[2], DecodeCanvas::EntryColour(2));
}

} // namespace
} // namespace fli::test
