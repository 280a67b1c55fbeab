// FLI_BRUN: a whole picture, 200 lines of byte runs.
#include "ChunkReader.h"

namespace fli {

void DecodeFLI_BRUN(const DecodeContext& context, const unsigned char* data)
{
	detail::ChunkReader in(data, context.bufferEnd);
	size_t lineStart = 0;
	for (int line = 0; line < kHeight; ++line, lineStart += kWidth) {
		if (!in.Has(1))
			return;
		const unsigned packetCount = in.Byte();
		size_t position = lineStart;
		for (unsigned packet = 0; packet < packetCount; ++packet) {
			if (!in.Has(1))
				return;
			// The opposite sense of FLI_LC: negative copies literal bytes, 0 or positive
			// repeats one byte (0 times for 0, which still consumes the byte).
			const int size = static_cast<signed char>(in.Byte());
			const bool whole = size < 0
				? detail::CopyLiteralPacket(in, context, position, static_cast<size_t>(-size))
				: detail::RepeatBytePacket(in, context, position, static_cast<size_t>(size));
			if (!whole)
				return;
		}
	}
}

} // namespace fli
