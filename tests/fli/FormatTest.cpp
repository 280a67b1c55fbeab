// The little-endian field readers and the two steps of the acceptance test.
#include "FliBuilder.h"

#include "fli/Acceptance.h"
#include "fli/Format.h"

#include <gtest/gtest.h>

#include <limits>

namespace fli::test {
namespace {

TEST(FieldReaders, ReadLittleEndianUnsignedValues)
{
	const unsigned char ffff[] = {0xFF, 0xFF};
	EXPECT_EQ(GetInt16(ffff), 65535);
	EXPECT_EQ(static_cast<int16_t>(GetInt16(ffff)), -1);
	const unsigned char le[] = {0x34, 0x12, 0x78, 0x56};
	EXPECT_EQ(GetInt16(le), 0x1234);
	EXPECT_EQ(GetInt32(le), 0x56781234u);
	const unsigned char oneTwentyEight[] = {0x80, 0x00, 0x00, 0x00};
	EXPECT_EQ(GetInt32(oneTwentyEight), 128u);
	const unsigned char high[] = {0xF0, 0xFF, 0xFF, 0xFF};
	EXPECT_EQ(GetInt32(high), 0xFFFFFFF0u);
}

TEST(SizeTest, NeedsTheWholeHeaderAndAFileThatFitsA32BitLength)
{
	EXPECT_FALSE(PassesSizeTest(127));
	EXPECT_TRUE(PassesSizeTest(128));
	EXPECT_FALSE(PassesSizeTest(0));
	EXPECT_FALSE(PassesSizeTest(-1));
	EXPECT_FALSE(PassesSizeTest(std::numeric_limits<int64_t>::min()));
	EXPECT_TRUE(PassesSizeTest(0xFFFFFFFFll));
	EXPECT_FALSE(PassesSizeTest(0x100000000ll));
	EXPECT_FALSE(PassesSizeTest(std::numeric_limits<int64_t>::max()));
}

Bytes ValidHeader()
{
	return FileBytes(File{});
}

bool Passes(const Bytes& bytes)
{
	return PassesHeaderTest(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

TEST(HeaderTest, AcceptsMagicWidthAndHeightWhateverTheRestHolds)
{
	Bytes header = ValidHeader();
	ASSERT_EQ(header.size(), kFileHeaderSize);
	EXPECT_TRUE(Passes(header));
	for (size_t i = 0; i < header.size(); ++i) {
		if (i >= 4 && i < 6)
			continue;
		if (i >= 8 && i < 12)
			continue;
		header[i] = static_cast<unsigned char>(0xA5 ^ i);
	}
	EXPECT_TRUE(Passes(header))
		<< "length field, frame count, depth, speed and the rest are not tested";
}

TEST(HeaderTest, RejectsEachWrongByte)
{
	struct Case {
		size_t offset;
		unsigned char first, second;
		const char* what;
	};
	const Case cases[] = {
		{4, 0x12, 0xAF, "magic 0xAF12"},
		{4, 0xAF, 0x11, "magic stored big-endian"},
		{8, 0x80, 0x02, "width 640"},
		{8, 0x01, 0x40, "width stored big-endian"},
		{10, 0x90, 0x01, "height 400"},
		{10, 0xC8, 0x01, "height with a stray high byte"},
	};
	for (const Case& c : cases) {
		Bytes header = ValidHeader();
		header[c.offset] = c.first;
		header[c.offset + 1] = c.second;
		EXPECT_FALSE(Passes(header)) << c.what;
	}
}

TEST(HeaderTest, RejectsABufferShorterThanTheHeader)
{
	Bytes header = ValidHeader();
	EXPECT_FALSE(PassesHeaderTest(header.data(), kFileHeaderSize - 1));
	EXPECT_FALSE(PassesHeaderTest(nullptr, 0));
}

} // namespace
} // namespace fli::test
