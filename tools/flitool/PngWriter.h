// PNG files through libpng, built in memory (write them with WriteOutputFile).
#pragma once

#include <cstdint>
#include <vector>

namespace flitool {

// An 8-bit indexed picture: `indices` in rows of `width`, the palette's entries as pixel
// values (red << 16 | green << 8 | blue), at most 256 of them.
std::vector<unsigned char> EncodeIndexedPng(
	int width, int height, const unsigned char* indices, const std::vector<uint32_t>& palette);

// An 8-bit true-colour picture: pixel values in rows of `width`.
std::vector<unsigned char> EncodeRgbPng(int width, int height, const uint32_t* pixels);

} // namespace flitool
