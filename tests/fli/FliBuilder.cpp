// Assembles FLI chunks, frames and files from their parts for tests.
#include "FliBuilder.h"

#include "fli/Format.h"
#include "FliEncoder.h"

namespace fli::test {

using encode::Put16;
using encode::Put32;

LinePacket LcLiteral(unsigned char skip, Bytes bytes)
{
	const auto size = static_cast<signed char>(bytes.size());
	return {skip, size, std::move(bytes)};
}

LinePacket LcRepeat(unsigned char skip, int count, unsigned char byte)
{
	return {skip, static_cast<signed char>(-count), {byte}};
}

LinePacket LcSkipOnly(unsigned char skip)
{
	return {skip, 0, {}};
}

LinePacket BrunRepeat(int count, unsigned char byte)
{
	return {0, static_cast<signed char>(count), {byte}};
}

LinePacket BrunLiteral(Bytes bytes)
{
	const auto size = static_cast<signed char>(-static_cast<int>(bytes.size()));
	return {0, size, std::move(bytes)};
}

Chunk ColorChunk(const std::vector<ColorPacket>& packets)
{
	Bytes data;
	Put16(data, static_cast<uint16_t>(packets.size()));
	for (const ColorPacket& packet : packets) {
		data.push_back(packet.skip);
		data.push_back(
			packet.countByte.value_or(static_cast<unsigned char>(packet.colours.size())));
		for (const Rgb& colour : packet.colours) {
			data.push_back(colour.red);
			data.push_back(colour.green);
			data.push_back(colour.blue);
		}
	}
	return {FLI_COLOR, data};
}

namespace {

void AppendLine(Bytes& data, const Line& line, bool withSkip)
{
	data.push_back(static_cast<unsigned char>(line.size()));
	for (const LinePacket& packet : line) {
		if (withSkip)
			data.push_back(packet.skip);
		data.push_back(static_cast<unsigned char>(packet.size));
		data.insert(data.end(), packet.data.begin(), packet.data.end());
	}
}

} // namespace

Chunk LcChunk(uint16_t firstLine, const std::vector<Line>& lines)
{
	Bytes data;
	Put16(data, firstLine);
	Put16(data, static_cast<uint16_t>(lines.size()));
	for (const Line& line : lines)
		AppendLine(data, line, true);
	return {FLI_LC, data};
}

Chunk BrunChunk(const std::vector<Line>& lines)
{
	Bytes data;
	for (const Line& line : lines)
		AppendLine(data, line, false);
	return {FLI_BRUN, data};
}

Chunk BlackChunk()
{
	return {FLI_BLACK, {}};
}

Chunk CopyChunk(const Bytes& pixels)
{
	return {FLI_COPY, pixels};
}

Chunk RawChunk(uint16_t type, Bytes data)
{
	return {type, std::move(data)};
}

Bytes ChunkBytes(const Chunk& chunk)
{
	Bytes out;
	Put32(
		out, chunk.sizeField.value_or(static_cast<uint32_t>(kChunkHeaderSize + chunk.data.size())));
	Put16(out, chunk.type);
	out.insert(out.end(), chunk.data.begin(), chunk.data.end());
	return out;
}

namespace {

// The bytes of `parts` one after another.
template <typename Part>
Bytes Joined(const std::vector<Part>& parts, Bytes (*bytesOf)(const Part&))
{
	Bytes joined;
	for (const Part& part : parts) {
		const Bytes bytes = bytesOf(part);
		joined.insert(joined.end(), bytes.begin(), bytes.end());
	}
	return joined;
}

} // namespace

Bytes FrameBytes(const Frame& frame)
{
	const Bytes body = Joined(frame.chunks, ChunkBytes);
	Bytes out;
	Put32(out, frame.sizeField.value_or(static_cast<uint32_t>(kFrameHeaderSize + body.size())));
	Put16(out, frame.magic);
	Put16(out, frame.chunkCount.value_or(static_cast<uint16_t>(frame.chunks.size())));
	out.resize(kFrameHeaderSize, 0);
	out.insert(out.end(), body.begin(), body.end());
	return out;
}

Bytes FileBytes(const File& file)
{
	const Bytes body = Joined(file.frames, FrameBytes);
	Bytes out;
	Put32(out, static_cast<uint32_t>(kFileHeaderSize + body.size()));
	Put16(out, 0xAF11);
	Put16(out, static_cast<uint16_t>(file.frameCount));
	Put16(out, kWidth);
	Put16(out, kHeight);
	Put16(out, 8);
	Put16(out, 0);
	Put16(out, static_cast<uint16_t>(file.speed));
	out.resize(kFileHeaderSize, 0);
	out.insert(out.end(), body.begin(), body.end());
	return out;
}

} // namespace fli::test
