// libpng with its output gathered into a byte vector.
#include "PngWriter.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <utility>

namespace flitool {

namespace {

using Bytes = std::vector<unsigned char>;

// Chosen by measurement on real files (bench_flitool prints the sizes beside ffmpeg's). The
// best deflate level gains 1 to 5 % over the default. On palette indices no filter at all
// is best for flat cartoon frames (4 to 9 % smaller than libpng's choice per row), while
// libpng's choice wins on shaded ones (10 % smaller on the demo): both are tried and the
// smaller file kept. Scaled true-colour pictures (thumbnails) are smooth: libpng's choice.
constexpr int kCompressionLevel = 9;
constexpr int kIndexedRowFilters[] = {PNG_FILTER_NONE, PNG_ALL_FILTERS};
constexpr int kTrueColourRowFilters = PNG_ALL_FILTERS;

void AppendToBytes(png_structp png, png_bytep data, png_size_t size)
{
	auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
	out->insert(out->end(), data, data + size);
}

void NoFlush(png_structp)
{
}

struct PngPicture {
	int width;
	int height;
	int colourType;
	int rowFilters;
	const std::vector<png_color>* palette; // for PNG_COLOR_TYPE_PALETTE
	// Writes row `y` into `row` (png_get_rowbytes long).
	void (*fillRow)(const void* source, int width, int y, png_bytep row);
	const void* source;
};

// libpng reports errors by longjmp, so nothing with a destructor lives in this frame
// between setjmp and the end: the row buffer is the caller's.
bool WritePicture(const PngPicture& picture, png_bytep row, Bytes& out)
{
	png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	if (png == nullptr)
		return false;
	png_infop info = png_create_info_struct(png);
	if (info == nullptr) {
		png_destroy_write_struct(&png, nullptr);
		return false;
	}
	if (setjmp(png_jmpbuf(png))) {
		png_destroy_write_struct(&png, &info);
		return false;
	}
	png_set_write_fn(png, &out, AppendToBytes, NoFlush);
	png_set_compression_level(png, kCompressionLevel);
	png_set_filter(png, PNG_FILTER_TYPE_BASE, picture.rowFilters);
	png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
		static_cast<png_uint_32>(picture.height), 8, picture.colourType, PNG_INTERLACE_NONE,
		PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
	if (picture.palette != nullptr)
		png_set_PLTE(png, info, picture.palette->data(), static_cast<int>(picture.palette->size()));
	png_write_info(png, info);
	for (int y = 0; y < picture.height; ++y) {
		picture.fillRow(picture.source, picture.width, y, row);
		png_write_row(png, row);
	}
	png_write_end(png, info);
	png_destroy_write_struct(&png, &info);
	return true;
}

Bytes Encode(const PngPicture& picture, int bytesPerPixel)
{
	Bytes out;
	Bytes row(static_cast<size_t>(picture.width) * static_cast<size_t>(bytesPerPixel));
	if (!WritePicture(picture, row.data(), out))
		out.clear();
	return out;
}

void CopyIndexRow(const void* source, int width, int y, png_bytep row)
{
	const auto* indices = static_cast<const unsigned char*>(source);
	const size_t start = static_cast<size_t>(y) * static_cast<size_t>(width);
	std::copy(indices + start, indices + start + static_cast<size_t>(width), row);
}

void SplitRgbRow(const void* source, int width, int y, png_bytep row)
{
	const uint32_t* pixels =
		static_cast<const uint32_t*>(source) + static_cast<size_t>(y) * static_cast<size_t>(width);
	for (int x = 0; x < width; ++x) {
		row[3 * x] = static_cast<png_byte>(pixels[x] >> 16);
		row[3 * x + 1] = static_cast<png_byte>(pixels[x] >> 8);
		row[3 * x + 2] = static_cast<png_byte>(pixels[x]);
	}
}

} // namespace

Bytes EncodeIndexedPng(
	int width, int height, const unsigned char* indices, const std::vector<uint32_t>& palette)
{
	std::vector<png_color> entries;
	for (const uint32_t colour : palette)
		entries.push_back({static_cast<png_byte>(colour >> 16), static_cast<png_byte>(colour >> 8),
			static_cast<png_byte>(colour)});
	Bytes smallest;
	for (const int filters : kIndexedRowFilters) {
		Bytes png = Encode(
			{width, height, PNG_COLOR_TYPE_PALETTE, filters, &entries, CopyIndexRow, indices}, 1);
		if (smallest.empty() || (!png.empty() && png.size() < smallest.size()))
			smallest = std::move(png);
	}
	return smallest;
}

Bytes EncodeRgbPng(int width, int height, const uint32_t* pixels)
{
	return Encode(
		{width, height, PNG_COLOR_TYPE_RGB, kTrueColourRowFilters, nullptr, SplitRgbRow, pixels},
		3);
}

} // namespace flitool
