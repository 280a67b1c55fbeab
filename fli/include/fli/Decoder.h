// The frame decoder: turns FLI frames and chunks into a 320x200 true-colour picture.
//
// How to use it
//   uint32_t pixels[fli::kPixelCount];      // the frame buffer, rows of 320, no gap
//   uint32_t palette[fli::kPaletteSize] {}; // all 0 for a new decoder
//   fli::DecodeContext context {pixels, palette, buffer + bufferSize};
//   fli::Clear(pixels, 0);                  // as each play thread starts
//   fli::DecodeFrame(context, frame);       // frame = a pointer FrameWalk::NextFrame gave
//
// Pixels are 32-bit values in B_RGB32 layout: read as a little-endian word they are
// red << 16 | green << 8 | blue, with alpha 0. Palette entries are pixel values; a chunk
// copies the entry into the frame buffer when it writes a pixel, so a later palette change
// leaves the pixels already written alone.
//
// Bounds: the decoders never read at or past `bufferEnd`. A decoder that needs such a
// byte stops there and keeps what it has already written; a chunk's own size field never
// limits its decoder. Pixel writes at or past pixel 64000 and palette writes past entry
// 255 are dropped. Bounds are checked once per packet, never per pixel.
//
// The decoders keep no state of their own: the palette and the frame buffer carry
// everything from one frame to the next, and nothing is allocated.
#pragma once

#include "fli/Format.h"

#include <cstdint>

namespace fli {

struct DecodeContext {
	uint32_t* pixels; // kPixelCount pixel values
	uint32_t* palette; // kPaletteSize pixel values
	const unsigned char* bufferEnd; // one past the animation buffer's last byte
};

// Decodes the frame whose 16-byte header starts at `frame`: its chunks in file order, each
// found through the size field of the one before it. A chunk header that does not fit
// whole before the buffer's end ends the frame.
void DecodeFrame(const DecodeContext& context, const unsigned char* frame);

// Hands the data of the chunk whose 6-byte header starts at `chunk` to the decoder of its
// type; types without a decoder are skipped.
void DecodeChunk(const DecodeContext& context, const unsigned char* chunk);

// Chunk decoders; `data` is the chunk's first byte after its 6-byte header.
void DecodeFLI_COLOR(const DecodeContext& context, const unsigned char* data);
void DecodeFLI_LC(const DecodeContext& context, const unsigned char* data);
void DecodeFLI_BLACK(const DecodeContext& context, const unsigned char* data);
void DecodeFLI_BRUN(const DecodeContext& context, const unsigned char* data);
void DecodeFLI_COPY(const DecodeContext& context, const unsigned char* data);

// Sets all kPixelCount pixels to `value`.
void Clear(uint32_t* pixels, uint32_t value);

} // namespace fli
