// An independent reader of the pictures flitool writes: PNG through libpng.
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

} // namespace fli::test
