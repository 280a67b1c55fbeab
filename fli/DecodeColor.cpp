// FLI_COLOR: palette packets of 6-bit red, green and blue.
#include "ChunkReader.h"

namespace fli {

namespace {

// Components are 6-bit; times 4 maps 63 to 252, and a byte above 63 loses its top bits.
uint32_t PixelFromComponents(unsigned char red, unsigned char green, unsigned char blue)
{
	const uint32_t r = (red * 4u) & 0xFFu;
	const uint32_t g = (green * 4u) & 0xFFu;
	const uint32_t b = (blue * 4u) & 0xFFu;
	return (r << 16) | (g << 8) | b;
}

} // namespace

void DecodeFLI_COLOR(const DecodeContext& context, const unsigned char* data)
{
	detail::ChunkReader in(data, context.bufferEnd);
	if (!in.Has(2))
		return;
	const uint16_t packetCount = in.Int16();
	// A 16-bit index carried from packet to packet: skips and counts can take it past the
	// palette's last entry, and writes there are dropped while the index moves on.
	uint16_t index = 0;
	for (uint32_t packet = 0; packet < packetCount; ++packet) {
		if (!in.Has(2))
			return;
		index = static_cast<uint16_t>(index + in.Byte());
		const unsigned countByte = in.Byte();
		const size_t count = countByte == 0 ? 256 : countByte;
		const size_t whole = std::min(count, in.Remaining() / 3);
		for (size_t i = 0; i < whole; ++i) {
			const unsigned char red = in.Byte();
			const unsigned char green = in.Byte();
			const unsigned char blue = in.Byte();
			if (index < kPaletteSize)
				context.palette[index] = PixelFromComponents(red, green, blue);
			index = static_cast<uint16_t>(index + 1);
		}
		if (whole < count)
			return;
	}
}

} // namespace fli
