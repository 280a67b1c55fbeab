// SHA-256 digests, as the reference hash files hold them, from OpenSSL's libcrypto.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fli::test {

// The SHA-256 of `size` bytes as 64 lowercase hex digits.
std::string Sha256Hex(const void* data, size_t size);

// The hash of a frame buffer as the reference files hold it: 256000 bytes of blue, green,
// red, 0 per pixel.
std::string HashFrame(const uint32_t* pixels);

} // namespace fli::test
