// Decides whether a file is an FLI animation that Zoetra can play.
#include "fli/Acceptance.h"

#include "fli/Format.h"

#include <cstddef>
#include <limits>

namespace fli {

bool PassesSizeTest(int64_t fileSize)
{
	return fileSize >= static_cast<int64_t>(kFileHeaderSize)
		&& fileSize <= static_cast<int64_t>(std::numeric_limits<uint32_t>::max());
}

bool PassesHeaderTest(const unsigned char* data, uint32_t size)
{
	struct ExpectedByte {
		uint32_t offset;
		unsigned char value;
	};
	// Magic 0xAF11, width 320, height 200, little-endian, in the order they are compared.
	static constexpr ExpectedByte expected[] = {
		{kMagicOffset, 0x11},
		{kMagicOffset + 1, 0xAF},
		{kWidthOffset, 0x40},
		{kWidthOffset + 1, 0x01},
		{kHeightOffset, 0xC8},
		{kHeightOffset + 1, 0x00},
	};
	if (data == nullptr || size < kFileHeaderSize)
		return false;
	for (const ExpectedByte& byte : expected) {
		if (data[byte.offset] != byte.value)
			return false;
	}
	return true;
}

} // namespace fli
