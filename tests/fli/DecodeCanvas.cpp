// The guarded frame buffer and exact-size animation bytes that decoder tests work on.
#include "DecodeCanvas.h"

#include <algorithm>
#include <cstring>

namespace fli::test {

ExactBuffer::ExactBuffer(const Bytes& bytes)
	: data_(new unsigned char[std::max<size_t>(bytes.size(), 1)]),
	  size_(static_cast<uint32_t>(bytes.size()))
{
	if (!bytes.empty())
		std::memcpy(data_.get(), bytes.data(), bytes.size());
}

DecodeCanvas::DecodeCanvas(uint32_t fill)
	: pixels_(kPixelCount + kGuardEntries, kGuardValue),
	  palette_(kPaletteSize + kGuardEntries, kGuardValue)
{
	std::fill_n(pixels_.begin(), kPixelCount, fill);
	for (int i = 0; i < kPaletteSize; ++i)
		palette_[i] = EntryColour(i);
}

DecodeContext DecodeCanvas::ContextFor(const ExactBuffer& buffer)
{
	return {pixels_.data(), palette_.data(), buffer.End()};
}

void DecodeCanvas::Decode(const Chunk& chunk)
{
	const ExactBuffer buffer(ChunkBytes(chunk));
	DecodeChunk(ContextFor(buffer), buffer.Data());
}

void DecodeCanvas::Decode(const Frame& frame)
{
	const ExactBuffer buffer(FrameBytes(frame));
	DecodeFrame(ContextFor(buffer), buffer.Data());
}

bool DecodeCanvas::GuardsIntact() const
{
	auto isGuard = [](uint32_t value) { return value == kGuardValue; };
	return std::all_of(pixels_.begin() + kPixelCount, pixels_.end(), isGuard)
		&& std::all_of(palette_.begin() + kPaletteSize, palette_.end(), isGuard);
}

int DecodeCanvas::CountOtherThan(uint32_t value) const
{
	return static_cast<int>(std::count_if(pixels_.begin(), pixels_.begin() + kPixelCount,
		[value](uint32_t pixel) { return pixel != value; }));
}

} // namespace fli::test
