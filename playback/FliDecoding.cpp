// FliView's frame decoding: fli/'s decoders over the bitmap's pixels and the view's palette.
#include "FliView.h"

#include "fli/Decoder.h"

#include <cassert>

// The decoder writes 64000 pixels in rows of 320 with no gap, so the bitmap must be
// exactly that; any other bitmap (a wrong frame, a failed allocation) is not written.
uint32* FliView::FrameBuffer() const
{
	constexpr int32 kRowBytes = fli::kWidth * 4;
	if (bitmap == nullptr || !bitmap->IsValid() || bitmap->BytesPerRow() != kRowBytes
		|| bitmap->BitsLength() != kRowBytes * fli::kHeight) {
		assert(!"FliView needs a frame of 320 x 200 pixels");
		return nullptr;
	}
	return static_cast<uint32*>(bitmap->Bits());
}

namespace {

// Decodes with `decode` when there is a frame buffer and a buffer end to bound the reads.
template <typename Decode>
void WithContext(uint32* pixels, uint32* palette, const uint8* data, uint32 size, Decode decode)
{
	if (pixels == nullptr || data == nullptr)
		return;
	decode(fli::DecodeContext{pixels, palette, data + size});
}

} // namespace

void FliView::DecodeFrame(const unsigned char* frame)
{
	WithContext(FrameBuffer(), palette, fliData, fliSize,
		[frame](const fli::DecodeContext& context) { fli::DecodeFrame(context, frame); });
}

void FliView::DecodeChunk(const unsigned char* chunk)
{
	WithContext(FrameBuffer(), palette, fliData, fliSize,
		[chunk](const fli::DecodeContext& context) { fli::DecodeChunk(context, chunk); });
}

void FliView::DecodeFLI_COLOR(const unsigned char* data)
{
	WithContext(FrameBuffer(), palette, fliData, fliSize,
		[data](const fli::DecodeContext& context) { fli::DecodeFLI_COLOR(context, data); });
}

void FliView::DecodeFLI_LC(const unsigned char* data)
{
	WithContext(FrameBuffer(), palette, fliData, fliSize,
		[data](const fli::DecodeContext& context) { fli::DecodeFLI_LC(context, data); });
}

void FliView::DecodeFLI_BLACK(const unsigned char* data)
{
	WithContext(FrameBuffer(), palette, fliData, fliSize,
		[data](const fli::DecodeContext& context) { fli::DecodeFLI_BLACK(context, data); });
}

void FliView::DecodeFLI_BRUN(const unsigned char* data)
{
	WithContext(FrameBuffer(), palette, fliData, fliSize,
		[data](const fli::DecodeContext& context) { fli::DecodeFLI_BRUN(context, data); });
}

void FliView::DecodeFLI_COPY(const unsigned char* data)
{
	WithContext(FrameBuffer(), palette, fliData, fliSize,
		[data](const fli::DecodeContext& context) { fli::DecodeFLI_COPY(context, data); });
}

void FliView::Clear(unsigned long value)
{
	if (uint32* pixels = FrameBuffer())
		fli::Clear(pixels, static_cast<uint32>(value));
}
