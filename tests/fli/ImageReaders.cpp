// A libpng reader.
#include "ImageReaders.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace fli::test {

namespace {

uint32_t PixelValue(unsigned red, unsigned green, unsigned blue)
{
	return red << 16 | green << 8 | blue;
}

struct FileCloser {
	void operator()(std::FILE* file) const { std::fclose(file); }
};

// libpng reports errors by longjmp: nothing with a destructor is made after setjmp.
bool ReadPngRows(std::FILE* file, PngPicture& picture, std::vector<png_byte>& rows)
{
	png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
	png_infop info = png ? png_create_info_struct(png) : nullptr;
	if (info == nullptr) {
		png_destroy_read_struct(&png, nullptr, nullptr);
		return false;
	}
	if (setjmp(png_jmpbuf(png))) {
		png_destroy_read_struct(&png, &info, nullptr);
		return false;
	}
	png_init_io(png, file);
	png_read_info(png, info);
	picture.width = static_cast<int>(png_get_image_width(png, info));
	picture.height = static_cast<int>(png_get_image_height(png, info));
	const int type = png_get_color_type(png, info);
	picture.indexed = type == PNG_COLOR_TYPE_PALETTE;
	if (picture.indexed) {
		png_colorp entries = nullptr;
		int count = 0;
		png_get_PLTE(png, info, &entries, &count);
		for (int i = 0; i < count; ++i)
			picture.palette.push_back(
				PixelValue(entries[i].red, entries[i].green, entries[i].blue));
		png_set_palette_to_rgb(png);
	}
	if (png_get_bit_depth(png, info) != 8 || (type & PNG_COLOR_MASK_ALPHA) != 0
		|| (type & PNG_COLOR_MASK_COLOR) == 0) {
		png_destroy_read_struct(&png, &info, nullptr);
		return false;
	}
	png_read_update_info(png, info);
	const size_t rowBytes = size_t{3} * static_cast<size_t>(picture.width);
	rows.resize(rowBytes * static_cast<size_t>(picture.height));
	for (int y = 0; y < picture.height; ++y)
		png_read_row(png, rows.data() + rowBytes * static_cast<size_t>(y), nullptr);
	png_read_end(png, nullptr);
	png_destroy_read_struct(&png, &info, nullptr);
	return true;
}

} // namespace

PngPicture ReadPng(const std::string& path)
{
	PngPicture picture;
	const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
	std::vector<png_byte> rows;
	if (!file || !ReadPngRows(file.get(), picture, rows))
		return picture;
	for (size_t i = 0; i + 2 < rows.size(); i += 3)
		picture.pixels.push_back(PixelValue(rows[i], rows[i + 1], rows[i + 2]));
	picture.read = true;
	return picture;
}

} // namespace fli::test
