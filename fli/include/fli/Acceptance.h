// The two-step acceptance test that every FLI file read from disk must pass before it plays.
#pragma once

#include <cstdint>

namespace fli {

// Step one, before the file is read: its size as the platform reports it.
// A file must hold at least the 128-byte header. The animation buffer's length is a
// 32-bit count, so a file of 4 GiB or more cannot be held and fails here too, before
// anything is allocated for it.
bool PassesSizeTest(int64_t fileSize);

// Step two, on the bytes read: magic 0xAF11, width 320 and height 200, compared byte by
// byte in file order. Nothing else in the header, and no frame, is looked at.
bool PassesHeaderTest(const unsigned char* data, uint32_t size);

} // namespace fli
