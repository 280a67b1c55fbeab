// Independent readers of the pictures flitool writes: PNG through libpng, animated GIF
// through giflib with each image composited onto the canvas as a browser does it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fli::test {

// Pixel values as the decoder makes them: red << 16 | green << 8 | blue.
using Pixels = std::vector<uint32_t>;

struct PngPicture {
	bool read = false; // false when libpng refused the file (a checksum, a chunk, ...)
	int width = 0;
	int height = 0;
	bool indexed = false;
	Pixels palette; // the PLTE entries of an indexed picture
	Pixels pixels;
};

PngPicture ReadPng(const std::string& path);

struct GifPicture {
	Pixels canvas; // the whole canvas after this image, as shown
	int delay; // hundredths of a second
	bool localTable;
	bool transparent;
};

struct GifAnimation {
	bool read = false; // false when giflib refused the file or an index lies outside its table
	int width = 0;
	int height = 0;
	bool loopsForEver = false; // the NETSCAPE2.0 extension with a repeat count of 0
	std::vector<GifPicture> pictures;

	int TotalDelay() const;
	// The picture shown `hundredths` after the animation starts (the last one from its end).
	const GifPicture& ShownAt(int hundredths) const;
};

// Canvas pixels that nothing has painted yet: browsers show them transparent.
inline constexpr uint32_t kUnpainted = 0xFF000000;

GifAnimation ReadGif(const std::string& path);

} // namespace fli::test
