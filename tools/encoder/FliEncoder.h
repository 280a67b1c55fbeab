// Writes FLI animations: palette, byte-run and line-compressed chunks, and whole files.
// Used to make the demo animation and by tests that round-trip pictures through the
// decoder. Pictures are 64000 palette indices in rows of 320.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace fli::encode {

using Bytes = std::vector<unsigned char>;
using Picture = std::vector<unsigned char>;

// A palette colour as the file stores it: 6-bit components, 0 to 63.
struct Colour6 {
	unsigned char red, green, blue;
};
using Palette6 = std::array<Colour6, 256>;

// Appends little-endian fields.
void Put16(Bytes& out, uint16_t value);
void Put32(Bytes& out, uint32_t value);

// Each function returns a whole chunk, 6-byte header included.

// All 256 entries in one packet.
Bytes EncodeColorChunk(const Palette6& palette);
// The whole picture as 200 lines of byte runs.
Bytes EncodeByteRunChunk(const Picture& picture);
// The lines from the first to the last one that differ between the two pictures; empty
// when they are the same. Skips longer than 255 pixels are written as empty packets
// (size 0, no data byte) that only add their skip.
Bytes EncodeLineCompressedChunk(const Picture& before, const Picture& after);

// Collects frames and lays out the file: the 128-byte header, then each frame with its
// 16-byte header and chunks.
class AnimationWriter {
public:
	explicit AnimationWriter(int16_t speed)
		: speed_(speed)
	{
	}
	void AddFrame(const std::vector<Bytes>& chunks);
	// The file, with the given frame count in its header.
	Bytes Finish(int16_t frameCount) const;

private:
	int16_t speed_;
	std::vector<Bytes> frames_;
};

} // namespace fli::encode
