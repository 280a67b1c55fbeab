// Writing a whole output file so that readers see the old file or the new one, never half.
#pragma once

#include <string>
#include <vector>

namespace flitool {

// Writes `bytes` to a temporary file in the folder of `path`, then renames it to `path`.
// On failure nothing is left behind and `path` is untouched. The new file gets the mode a
// plain fopen would give it (0666 less the umask).
bool WriteOutputFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Writes what an encoder made, where empty `bytes` mean the encoder failed. When either
// fails, says on standard error that `path` cannot be written and returns false.
bool WriteEncodedFile(const std::string& path, const std::vector<unsigned char>& bytes);

} // namespace flitool
