// Builds FLI files, frames and chunks for tests, so that cases read as chunks, not hex.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace fli::test {

using Bytes = std::vector<unsigned char>;

struct Rgb {
	unsigned char red, green, blue;
};

// One FLI_COLOR packet: skip entries, then set the given colours. The count byte is the
// number of colours (0 for 256) unless given.
struct ColorPacket {
	unsigned char skip;
	std::vector<Rgb> colours;
	std::optional<unsigned char> countByte = std::nullopt;
};

// One packet of a compressed line: a column skip (FLI_LC only), the size byte and the data.
struct LinePacket {
	unsigned char skip;
	signed char size;
	Bytes data;
};

// FLI_LC packets: literal bytes, one byte repeated, and the empty packet that only skips.
LinePacket LcLiteral(unsigned char skip, Bytes bytes);
LinePacket LcRepeat(unsigned char skip, int count, unsigned char byte);
LinePacket LcSkipOnly(unsigned char skip);
// FLI_BRUN packets: one byte repeated, and literal bytes.
LinePacket BrunRepeat(int count, unsigned char byte);
LinePacket BrunLiteral(Bytes bytes);

using Line = std::vector<LinePacket>;

struct Chunk {
	uint16_t type;
	Bytes data;
	// The size field, when it is to disagree with the real size.
	std::optional<uint32_t> sizeField = std::nullopt;
};

Chunk ColorChunk(const std::vector<ColorPacket>& packets);
Chunk LcChunk(uint16_t firstLine, const std::vector<Line>& lines);
// 200 lines unless the test gives more or fewer.
Chunk BrunChunk(const std::vector<Line>& lines);
Chunk BlackChunk();
Chunk CopyChunk(const Bytes& pixels);
Chunk RawChunk(uint16_t type, Bytes data);

// A chunk as bytes: its 6-byte header and data.
Bytes ChunkBytes(const Chunk& chunk);

struct Frame {
	std::vector<Chunk> chunks;
	std::optional<uint32_t> sizeField = std::nullopt;
	std::optional<uint16_t> chunkCount = std::nullopt;
	uint16_t magic = 0xF1FA;
};

Bytes FrameBytes(const Frame& frame);

// A whole file: a valid 320x200 header, then the frames back to back.
struct File {
	int16_t frameCount = 0;
	int16_t speed = 2;
	std::vector<Frame> frames;
};

Bytes FileBytes(const File& file);

} // namespace fli::test
