// Chunks and operations that set the whole picture at once: FLI_BLACK, FLI_COPY and Clear.
#include "ChunkReader.h"

namespace fli {

void DecodeFLI_BLACK(const DecodeContext& context, const unsigned char*)
{
	Clear(context.pixels, 0);
}

void DecodeFLI_COPY(const DecodeContext& context, const unsigned char* data)
{
	detail::ChunkReader in(data, context.bufferEnd);
	const size_t available = std::min(static_cast<size_t>(kPixelCount), in.Remaining());
	detail::WriteLiteral(context, 0, data, available);
}

void Clear(uint32_t* pixels, uint32_t value)
{
	std::fill_n(pixels, kPixelCount, value);
}

} // namespace fli
