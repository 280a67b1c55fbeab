// Makes a path absolute against the working directory, without resolving links.
#pragma once

#include <SupportDefs.h>

#include <string>

namespace BPrivate {

// Removes empty and "." components and a trailing slash; ".." stays, since taking it
// away by text would be wrong where the component before it is a link. B_BAD_VALUE for
// a null or empty path.
status_t MakeAbsolutePath(const char* path, std::string* absolute);

// The text after the last slash ("/" for the root).
std::string LeafOf(const std::string& absolutePath);

}
