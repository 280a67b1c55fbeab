// A small SHA-256, enough to check decoded frames against reference hashes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace fli::test {

class Sha256 {
public:
	Sha256();
	void Update(const void* data, size_t size);
	// The digest as 64 lowercase hex digits; the object is spent afterwards.
	std::string HexDigest();

private:
	void Compress(const unsigned char* block);

	std::array<uint32_t, 8> state_;
	std::array<unsigned char, 64> block_{};
	size_t blockUsed_ = 0;
	uint64_t totalBytes_ = 0;
};

// The hash of a frame buffer as the reference files hold it: 256000 bytes of blue, green,
// red, 0 per pixel.
std::string HashFrame(const uint32_t* pixels);

} // namespace fli::test
