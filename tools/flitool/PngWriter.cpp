// PNG output for flitool export: signature, IHDR, stored-deflate IDAT, IEND.
#include "PngWriter.h"

#include "fli/Format.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace flitool {

namespace {

using Bytes = std::vector<unsigned char>;

constexpr std::array<uint32_t, 256> MakeCrcTable()
{
	std::array<uint32_t, 256> table{};
	for (uint32_t n = 0; n < 256; ++n) {
		uint32_t c = n;
		for (int k = 0; k < 8; ++k)
			c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
		table[n] = c;
	}
	return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

void PutBigEndian32(Bytes& out, uint32_t value)
{
	for (int shift = 24; shift >= 0; shift -= 8)
		out.push_back(static_cast<unsigned char>(value >> shift));
}

void AppendChunk(Bytes& png, const char type[4], const Bytes& data)
{
	PutBigEndian32(png, static_cast<uint32_t>(data.size()));
	const size_t typeStart = png.size();
	png.insert(png.end(), type, type + 4);
	png.insert(png.end(), data.begin(), data.end());
	PutBigEndian32(png, Crc32(png.data() + typeStart, png.size() - typeStart));
}

// The scanlines, each a filter byte (0, none) and red, green, blue per pixel.
Bytes Scanlines(const uint32_t* pixels)
{
	Bytes raw;
	raw.reserve(static_cast<size_t>(fli::kHeight) * (1 + 3 * fli::kWidth));
	for (int y = 0; y < fli::kHeight; ++y) {
		raw.push_back(0);
		for (int x = 0; x < fli::kWidth; ++x) {
			const uint32_t pixel = pixels[y * fli::kWidth + x];
			raw.push_back(static_cast<unsigned char>(pixel >> 16));
			raw.push_back(static_cast<unsigned char>(pixel >> 8));
			raw.push_back(static_cast<unsigned char>(pixel));
		}
	}
	return raw;
}

// A zlib stream of stored deflate blocks: no compression, so no library is needed.
Bytes StoredZlib(const Bytes& raw)
{
	constexpr size_t kLargestStoredBlock = 65535;
	Bytes out{0x78, 0x01};
	size_t done = 0;
	do {
		const size_t length = std::min(kLargestStoredBlock, raw.size() - done);
		const bool last = done + length == raw.size();
		out.push_back(last ? 1 : 0);
		out.push_back(static_cast<unsigned char>(length));
		out.push_back(static_cast<unsigned char>(length >> 8));
		out.push_back(static_cast<unsigned char>(~length));
		out.push_back(static_cast<unsigned char>(~length >> 8));
		out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(done),
			raw.begin() + static_cast<std::ptrdiff_t>(done + length));
		done += length;
	} while (done < raw.size());
	PutBigEndian32(out, Adler32(raw.data(), raw.size()));
	return out;
}

} // namespace

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc)
{
	crc = ~crc;
	for (size_t i = 0; i < size; ++i)
		crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
	return ~crc;
}

uint32_t Adler32(const unsigned char* data, size_t size)
{
	constexpr uint32_t kModulus = 65521;
	uint32_t a = 1, b = 0;
	for (size_t i = 0; i < size; ++i) {
		a = (a + data[i]) % kModulus;
		b = (b + a) % kModulus;
	}
	return (b << 16) | a;
}

std::vector<unsigned char> EncodePng(const uint32_t* pixels)
{
	Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
	Bytes header;
	PutBigEndian32(header, fli::kWidth);
	PutBigEndian32(header, fli::kHeight);
	header.insert(
		header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter choice, no interlace
	AppendChunk(png, "IHDR", header);
	AppendChunk(png, "IDAT", StoredZlib(Scanlines(pixels)));
	AppendChunk(png, "IEND", {});
	return png;
}

bool WritePng(const std::string& path, const uint32_t* pixels)
{
	const Bytes png = EncodePng(pixels);
	std::FILE* file = std::fopen(path.c_str(), "wb");
	if (!file)
		return false;
	const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
	return std::fclose(file) == 0 && written;
}

} // namespace flitool
