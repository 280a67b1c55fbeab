// libpng and giflib readers, with GIF disposal methods applied as browsers apply them.
#include "ImageReaders.h"

#include <gif_lib.h>
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

struct GifCloser {
	void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

bool IsLoopForEver(const SavedImage& first)
{
	for (int i = 0; i + 1 < first.ExtensionBlockCount; ++i) {
		const ExtensionBlock& block = first.ExtensionBlocks[i];
		const ExtensionBlock& data = first.ExtensionBlocks[i + 1];
		if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11
			&& std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3
			&& data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0)
			return true;
	}
	return false;
}

// Paints one image onto the canvas; false when an index lies outside its colour table.
bool Paint(const GifFileType& gif, const SavedImage& image, int transparent, Pixels& canvas)
{
	const GifImageDesc& desc = image.ImageDesc;
	const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif.SColorMap;
	if (map == nullptr)
		return false;
	for (int y = 0; y < desc.Height; ++y) {
		for (int x = 0; x < desc.Width; ++x) {
			const int index = image.RasterBits[y * desc.Width + x];
			const int canvasX = desc.Left + x, canvasY = desc.Top + y;
			if (index == transparent || canvasX >= gif.SWidth || canvasY >= gif.SHeight)
				continue;
			if (index >= map->ColorCount)
				return false;
			const GifColorType& colour = map->Colors[index];
			canvas[static_cast<size_t>(canvasY * gif.SWidth + canvasX)] =
				PixelValue(colour.Red, colour.Green, colour.Blue);
		}
	}
	return true;
}

void Dispose(const GifFileType& gif, const SavedImage& image, int disposal, const Pixels& before,
	Pixels& canvas)
{
	if (disposal == DISPOSE_PREVIOUS) {
		canvas = before;
		return;
	}
	if (disposal != DISPOSE_BACKGROUND)
		return;
	const GifImageDesc& desc = image.ImageDesc;
	for (int y = desc.Top; y < std::min(desc.Top + desc.Height, gif.SHeight); ++y) {
		for (int x = desc.Left; x < std::min(desc.Left + desc.Width, gif.SWidth); ++x)
			canvas[static_cast<size_t>(y * gif.SWidth + x)] = kUnpainted;
	}
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

int GifAnimation::TotalDelay() const
{
	int total = 0;
	for (const GifPicture& picture : pictures)
		total += picture.delay;
	return total;
}

const GifPicture& GifAnimation::ShownAt(int hundredths) const
{
	int start = 0;
	for (const GifPicture& picture : pictures) {
		if (hundredths < start + picture.delay)
			return picture;
		start += picture.delay;
	}
	return pictures.back();
}

GifAnimation ReadGif(const std::string& path)
{
	GifAnimation animation;
	const std::unique_ptr<GifFileType, GifCloser> gif(DGifOpenFileName(path.c_str(), nullptr));
	if (!gif || DGifSlurp(gif.get()) != GIF_OK || gif->ImageCount == 0)
		return animation;
	animation.width = gif->SWidth;
	animation.height = gif->SHeight;
	animation.loopsForEver = IsLoopForEver(gif->SavedImages[0]);
	Pixels canvas(static_cast<size_t>(gif->SWidth * gif->SHeight), kUnpainted);
	for (int i = 0; i < gif->ImageCount; ++i) {
		const SavedImage& image = gif->SavedImages[i];
		GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
		DGifSavedExtensionToGCB(gif.get(), i, &control);
		const Pixels before = canvas;
		if (!Paint(*gif, image, control.TransparentColor, canvas))
			return animation;
		animation.pictures.push_back({canvas, control.DelayTime,
			image.ImageDesc.ColorMap != nullptr, control.TransparentColor != NO_TRANSPARENT_COLOR});
		Dispose(*gif, image, control.DisposalMode, before, canvas);
	}
	animation.read = true;
	return animation;
}

} // namespace fli::test
