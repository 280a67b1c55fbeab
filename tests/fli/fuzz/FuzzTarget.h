// What the fuzz tests run on each input: the acceptance test, the walk over several passes
// with every frame decoded, and each chunk decoder on the raw bytes.
#pragma once

#include <cstddef>

namespace fli::fuzz {

// `data` must be a heap block of exactly `size` bytes, so that AddressSanitizer sees any
// read past its end. Returns nullptr, or what the walk did wrong with this input.
const char* FuzzOneAnimation(const unsigned char* data, size_t size);

} // namespace fli::fuzz
