// Writes a 320x200 frame buffer as an 8-bit RGB PNG file without any library: the image
// data goes into stored (uncompressed) deflate blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace flitool {

// The PNG file's bytes for a frame buffer of fli::kPixelCount pixel values.
std::vector<unsigned char> EncodePng(const uint32_t* pixels);

// Writes the PNG to `path`; false when the file cannot be written.
bool WritePng(const std::string& path, const uint32_t* pixels);

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const unsigned char* data, size_t size);

} // namespace flitool
