// The FLI file layout as Zoetra reads it: field readers, sizes and chunk types.
//
// fli/ at a glance (standard library only; nothing here knows the platform):
//   Format.h         field readers GetInt16/GetInt32, chunk types, header layout
//   Acceptance.h     the size test and the header test a file must pass to be played
//   Decoder.h        DecodeFrame, DecodeChunk, one decoder per chunk type, Clear
//   FrameWalk.h      the frames in play order, one at a time (the player's loop)
//   FrameSequence.h  FrameWalk and the decoder together, as `flitool frames` shows frames
#pragma once

#include <cstdint>

namespace fli {

// Every multi-byte field is little-endian and read one byte at a time, so no field needs
// to be aligned in memory.
inline constexpr uint16_t GetInt16(const unsigned char* p)
{
	return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline constexpr uint32_t GetInt32(const unsigned char* p)
{
	return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8)
		| (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Chunk types that have a decoder; every other type is skipped by its size.
inline constexpr uint16_t FLI_COLOR = 11;
inline constexpr uint16_t FLI_LC = 12;
inline constexpr uint16_t FLI_BLACK = 13;
inline constexpr uint16_t FLI_BRUN = 15;
inline constexpr uint16_t FLI_COPY = 16;

inline constexpr int kWidth = 320;
inline constexpr int kHeight = 200;
inline constexpr int kPixelCount = kWidth * kHeight;
inline constexpr int kPaletteSize = 256;

inline constexpr uint32_t kFileHeaderSize = 128;
inline constexpr uint32_t kFrameHeaderSize = 16;
inline constexpr uint32_t kChunkHeaderSize = 6;

// Offsets of the fields that the player reads.
inline constexpr uint32_t kMagicOffset = 4;
inline constexpr uint32_t kFrameCountOffset = 6;
inline constexpr uint32_t kWidthOffset = 8;
inline constexpr uint32_t kHeightOffset = 10;
inline constexpr uint32_t kSpeedOffset = 16;
inline constexpr uint32_t kFrameChunkCountOffset = 6;
inline constexpr uint32_t kChunkTypeOffset = 4;

// One unit of the header's speed field, in microseconds (a sixtieth of a second).
inline constexpr int32_t kMicrosecondsPerSpeedUnit = 16666;

} // namespace fli
