// Walks the chunks of one frame and hands each to the decoder of its type.
#include "fli/Decoder.h"

#include <cstddef>

namespace fli {

namespace {

// Bytes from `position` to the buffer's end; 0 when `position` is at or past it.
uint64_t BytesLeft(const unsigned char* position, const unsigned char* bufferEnd)
{
	return position < bufferEnd ? static_cast<uint64_t>(bufferEnd - position) : 0;
}

} // namespace

void DecodeFrame(const DecodeContext& context, const unsigned char* frame)
{
	const uint64_t frameBytes = BytesLeft(frame, context.bufferEnd);
	if (frameBytes < kFrameHeaderSize)
		return;
	const uint16_t chunkCount = GetInt16(frame + kFrameChunkCountOffset);

	// 64-bit offsets: a huge size field lands past the end instead of wrapping around.
	uint64_t offset = kFrameHeaderSize;
	for (uint32_t i = 0; i < chunkCount; ++i) {
		if (offset + kChunkHeaderSize > frameBytes)
			return;
		const unsigned char* chunk = frame + offset;
		DecodeChunk(context, chunk);
		const uint32_t chunkSize = GetInt32(chunk);
		// A chunk of size 0 is its own successor, so the rest of the count would decode it
		// again and again. Each decoder's effect depends only on the chunk's bytes and on
		// palette entries that pixel chunks never change, so decoding it once more changes
		// nothing: stop here instead of repeating it up to 65535 times.
		if (chunkSize == 0)
			return;
		offset += chunkSize;
	}
}

void DecodeChunk(const DecodeContext& context, const unsigned char* chunk)
{
	if (BytesLeft(chunk, context.bufferEnd) < kChunkHeaderSize)
		return;
	const unsigned char* data = chunk + kChunkHeaderSize;
	switch (GetInt16(chunk + kChunkTypeOffset)) {
		case FLI_COLOR:
			DecodeFLI_COLOR(context, data);
			break;
		case FLI_LC:
			DecodeFLI_LC(context, data);
			break;
		case FLI_BLACK:
			DecodeFLI_BLACK(context, data);
			break;
		case FLI_BRUN:
			DecodeFLI_BRUN(context, data);
			break;
		case FLI_COPY:
			DecodeFLI_COPY(context, data);
			break;
		default:
			// Other types (14, the 256-level colour chunk of later formats, included) are
			// skipped by their size.
			break;
	}
}

} // namespace fli
