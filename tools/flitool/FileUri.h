// File names as file managers hand them over: a path, or for some a file:// URI.
#pragma once

#include <string>

namespace flitool {

// The local path a file:// URI names ("file:///a%20b" is "/a b"; "file://localhost/..." is
// local too). Anything else, and a name that exists as it is, is returned unchanged.
std::string PathFromArgument(const std::string& argument);

} // namespace flitool
