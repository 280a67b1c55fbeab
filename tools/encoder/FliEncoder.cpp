// Encodes pictures and palettes into FLI chunks and lays frames out into a file.
#include "FliEncoder.h"

#include "fli/Format.h"

#include <algorithm>
#include <stdexcept>

namespace fli::encode {

void Put16(Bytes& out, uint16_t value)
{
	out.push_back(static_cast<unsigned char>(value));
	out.push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(Bytes& out, uint32_t value)
{
	Put16(out, static_cast<uint16_t>(value));
	Put16(out, static_cast<uint16_t>(value >> 16));
}

namespace {

Bytes WithChunkHeader(uint16_t type, const Bytes& data)
{
	Bytes chunk;
	Put32(chunk, static_cast<uint32_t>(kChunkHeaderSize + data.size()));
	Put16(chunk, type);
	chunk.insert(chunk.end(), data.begin(), data.end());
	return chunk;
}

void CheckPicture(const Picture& picture)
{
	if (picture.size() != static_cast<size_t>(kPixelCount))
		throw std::invalid_argument("a picture has 64000 pixels");
}

// Length of the run of equal bytes at `line[from]`, at most `limit`.
int RunLength(const unsigned char* line, int from, int end, int limit)
{
	int length = 1;
	while (from + length < end && length < limit && line[from + length] == line[from])
		++length;
	return length;
}

// Packets of one line for FLI_BRUN: repeats for runs of 2 or more, literals otherwise.
void EncodeByteRunLine(const unsigned char* line, Bytes& out)
{
	Bytes packets;
	int packetCount = 0;
	int x = 0;
	while (x < kWidth) {
		if (RunLength(line, x, kWidth, 127) >= 2) {
			const int length = RunLength(line, x, kWidth, 127);
			packets.push_back(static_cast<unsigned char>(length));
			packets.push_back(line[x]);
			x += length;
		} else {
			int length = 0;
			while (
				x + length < kWidth && length < 128 && RunLength(line, x + length, kWidth, 2) < 2)
				++length;
			packets.push_back(static_cast<unsigned char>(-length));
			packets.insert(packets.end(), line + x, line + x + length);
			x += length;
		}
		++packetCount;
	}
	out.push_back(static_cast<unsigned char>(packetCount));
	out.insert(out.end(), packets.begin(), packets.end());
}

// A stretch of a line to rewrite, [begin, end).
struct Span {
	int begin, end;
};

std::vector<Span> ChangedSpans(const unsigned char* before, const unsigned char* after)
{
	// Unchanged gaps this short cost less as literal bytes than as a new packet.
	constexpr int kLongestGapToBridge = 2;
	std::vector<Span> spans;
	for (int x = 0; x < kWidth; ++x) {
		if (before[x] == after[x])
			continue;
		if (!spans.empty() && x - spans.back().end <= kLongestGapToBridge)
			spans.back().end = x + 1;
		else
			spans.push_back({x, x + 1});
	}
	return spans;
}

// Packets of one changed line for FLI_LC.
void EncodeLineCompressedLine(const unsigned char* before, const unsigned char* after, Bytes& out)
{
	Bytes packets;
	int packetCount = 0;
	int position = 0;
	auto startPacket = [&](int at) {
		int skip = at - position;
		while (skip > 255) {
			packets.push_back(255);
			packets.push_back(0);
			++packetCount;
			skip -= 255;
		}
		packets.push_back(static_cast<unsigned char>(skip));
		++packetCount;
	};
	for (const Span& span : ChangedSpans(before, after)) {
		int x = span.begin;
		while (x < span.end) {
			startPacket(x);
			if (RunLength(after, x, span.end, 128) >= 3) {
				const int length = RunLength(after, x, span.end, 128);
				packets.push_back(static_cast<unsigned char>(-length));
				packets.push_back(after[x]);
				x += length;
			} else {
				int length = 0;
				while (x + length < span.end && length < 127
					&& RunLength(after, x + length, span.end, 3) < 3)
					++length;
				packets.push_back(static_cast<unsigned char>(length));
				packets.insert(packets.end(), after + x, after + x + length);
				x += length;
			}
			position = x;
		}
	}
	if (packetCount > 255)
		throw std::length_error("more than 255 packets on one line");
	out.push_back(static_cast<unsigned char>(packetCount));
	out.insert(out.end(), packets.begin(), packets.end());
}

bool LinesEqual(const Picture& a, const Picture& b, int y)
{
	return std::equal(a.begin() + y * kWidth, a.begin() + (y + 1) * kWidth, b.begin() + y * kWidth);
}

} // namespace

Bytes EncodeColorChunk(const Palette6& palette)
{
	Bytes data;
	Put16(data, 1);
	data.push_back(0); // skip
	data.push_back(0); // 256 entries
	for (const Colour6& colour : palette) {
		data.push_back(colour.red);
		data.push_back(colour.green);
		data.push_back(colour.blue);
	}
	return WithChunkHeader(FLI_COLOR, data);
}

Bytes EncodeByteRunChunk(const Picture& picture)
{
	CheckPicture(picture);
	Bytes data;
	for (int y = 0; y < kHeight; ++y)
		EncodeByteRunLine(picture.data() + y * kWidth, data);
	return WithChunkHeader(FLI_BRUN, data);
}

Bytes EncodeLineCompressedChunk(const Picture& before, const Picture& after)
{
	CheckPicture(before);
	CheckPicture(after);
	int first = 0;
	while (first < kHeight && LinesEqual(before, after, first))
		++first;
	if (first == kHeight)
		return {};
	int last = kHeight - 1;
	while (LinesEqual(before, after, last))
		--last;
	Bytes data;
	Put16(data, static_cast<uint16_t>(first));
	Put16(data, static_cast<uint16_t>(last - first + 1));
	for (int y = first; y <= last; ++y)
		EncodeLineCompressedLine(before.data() + y * kWidth, after.data() + y * kWidth, data);
	return WithChunkHeader(FLI_LC, data);
}

void AnimationWriter::AddFrame(const std::vector<Bytes>& chunks)
{
	Bytes frame;
	size_t size = kFrameHeaderSize;
	for (const Bytes& chunk : chunks)
		size += chunk.size();
	Put32(frame, static_cast<uint32_t>(size));
	Put16(frame, 0xF1FA);
	Put16(frame, static_cast<uint16_t>(chunks.size()));
	frame.resize(kFrameHeaderSize, 0);
	for (const Bytes& chunk : chunks)
		frame.insert(frame.end(), chunk.begin(), chunk.end());
	frames_.push_back(std::move(frame));
}

Bytes AnimationWriter::Finish(int16_t frameCount) const
{
	size_t size = kFileHeaderSize;
	for (const Bytes& frame : frames_)
		size += frame.size();
	Bytes file;
	Put32(file, static_cast<uint32_t>(size));
	Put16(file, 0xAF11);
	Put16(file, static_cast<uint16_t>(frameCount));
	Put16(file, kWidth);
	Put16(file, kHeight);
	Put16(file, 8); // colour depth
	Put16(file, 0); // flags
	Put16(file, static_cast<uint16_t>(speed_));
	file.resize(kFileHeaderSize, 0);
	for (const Bytes& frame : frames_)
		file.insert(file.end(), frame.begin(), frame.end());
	return file;
}

} // namespace fli::encode
