// Reading an FLI file from disk and applying the acceptance test, as the player does.
#pragma once

#include <string>
#include <vector>

namespace flitool {

enum class LoadStatus { Loaded, NotFound, Unsupported };

struct LoadedAnimation {
	LoadStatus status = LoadStatus::Unsupported;
	std::vector<unsigned char> bytes;
};

// The size test runs before the file is read, the header test on the bytes read. A path
// that is not a readable regular file, or a file that shrinks while it is read, counts as
// unsupported.
LoadedAnimation LoadAnimation(const std::string& path);

} // namespace flitool
