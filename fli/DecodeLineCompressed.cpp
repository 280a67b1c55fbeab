// FLI_LC: changes to a band of consecutive lines, as skips, literal runs and repeats.
#include "ChunkReader.h"

namespace fli {

void DecodeFLI_LC(const DecodeContext& context, const unsigned char* data)
{
	detail::ChunkReader in(data, context.bufferEnd);
	if (!in.Has(4))
		return;
	const uint16_t firstLine = in.Int16();
	const uint16_t lineCount = in.Int16();
	size_t lineStart = static_cast<size_t>(firstLine) * kWidth;
	for (uint32_t line = 0; line < lineCount; ++line, lineStart += kWidth) {
		// Every write from here on would land past the last pixel and be dropped.
		if (lineStart >= static_cast<size_t>(kPixelCount))
			return;
		if (!in.Has(1))
			return;
		const unsigned packetCount = in.Byte();
		size_t position = lineStart;
		for (unsigned packet = 0; packet < packetCount; ++packet) {
			if (!in.Has(2))
				return;
			position += in.Byte();
			const int size = static_cast<signed char>(in.Byte());
			if (size > 0
				&& !detail::CopyLiteralPacket(in, context, position, static_cast<size_t>(size)))
				return;
			if (size < 0
				&& !detail::RepeatBytePacket(in, context, position, static_cast<size_t>(-size)))
				return;
			// Size 0 is an empty packet: real files use it to skip more than 255 pixels.
			// It adds its skip and carries no data byte.
		}
	}
}

} // namespace fli
