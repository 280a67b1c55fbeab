// The fuzz tests' starting inputs: the real test files, pieces of them, and built files that
// use every chunk type and the bounds cases.
#pragma once

#include <string>
#include <vector>

namespace fli::fuzz {

using Bytes = std::vector<unsigned char>;

// Built files, and real files (with the tails of their frame lists) from `realFiles`.
std::vector<Bytes> StartingInputs(const std::vector<std::string>& realFiles);

} // namespace fli::fuzz
