// Reading chunk data and writing pixels with the bounds checked once per packet.
// Internal to the decoders.
#pragma once

#include "fli/Decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace fli::detail {

// A read position in chunk data that knows where the animation buffer ends. Callers ask
// Has(n) once before reading n bytes.
class ChunkReader {
public:
	ChunkReader(const unsigned char* data, const unsigned char* bufferEnd)
		: position_(data),
		  end_(bufferEnd)
	{
	}

	size_t Remaining() const
	{
		return position_ < end_ ? static_cast<size_t>(end_ - position_) : 0;
	}
	bool Has(size_t count) const { return Remaining() >= count; }
	const unsigned char* Position() const { return position_; }

	unsigned char Byte() { return *position_++; }
	uint16_t Int16()
	{
		uint16_t value = GetInt16(position_);
		position_ += 2;
		return value;
	}
	void Skip(size_t count) { position_ += count; }

private:
	const unsigned char* position_;
	const unsigned char* end_;
};

// How many of `count` pixels starting at `position` lie inside the frame buffer; writes
// past its last pixel are dropped.
inline size_t PixelsInside(size_t position, size_t count)
{
	if (position >= static_cast<size_t>(kPixelCount))
		return 0;
	return std::min(count, static_cast<size_t>(kPixelCount) - position);
}

// Writes palette[source[i]] for each of `count` bytes from `position` on.
inline void WriteLiteral(
	const DecodeContext& context, size_t position, const unsigned char* source, size_t count)
{
	size_t inside = PixelsInside(position, count);
	uint32_t* out = context.pixels + position;
	const uint32_t* palette = context.palette;
	// Most packets of real files are short, and one to three pixels in a loop cost more in
	// the loop's mispredicted end than in the pixels: three writes cover them (pixels 0,
	// n/2 and n-1, some written twice with the same value). Twice as fast on files of such
	// packets, the same on others (bench_fli_decode).
	if (inside - 1 < 3) {
		out[0] = palette[source[0]];
		out[inside / 2] = palette[source[inside / 2]];
		out[inside - 1] = palette[source[inside - 1]];
		return;
	}
	for (size_t i = 0; i < inside; ++i)
		out[i] = palette[source[i]];
}

// Writes one pixel value `count` times from `position` on.
inline void WriteRun(const DecodeContext& context, size_t position, uint32_t value, size_t count)
{
	size_t inside = PixelsInside(position, count);
	std::fill_n(context.pixels + position, inside, value);
}

// A packet of `count` literal bytes read from `in`, written through the palette from
// `position` on, which then moves past them. False when the buffer ends first; the bytes
// that were there are written.
inline bool CopyLiteralPacket(
	ChunkReader& in, const DecodeContext& context, size_t& position, size_t count)
{
	const size_t available = std::min(count, in.Remaining());
	WriteLiteral(context, position, in.Position(), available);
	if (available < count)
		return false;
	in.Skip(count);
	position += count;
	return true;
}

// A packet of one byte read from `in` whose colour is written `count` times from
// `position` on, which then moves past them. False when the buffer has no byte left.
inline bool RepeatBytePacket(
	ChunkReader& in, const DecodeContext& context, size_t& position, size_t count)
{
	if (!in.Has(1))
		return false;
	WriteRun(context, position, context.palette[in.Byte()], count);
	position += count;
	return true;
}

} // namespace fli::detail
