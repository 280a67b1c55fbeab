// The small file-system steps flitool's outputs share: a path's folder and name, access as
// the effective user, the process's umask, and writing a whole buffer to a descriptor.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace flitool {

// The folder part of `path` ("." for a bare name, "/" at the root) and its last part.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);

// Whether the effective user may access `path` in `mode` (W_OK, X_OK...); errno says why not.
bool MayAccess(const std::string& path, int mode);

// The umask, which can only be read by setting it.
mode_t CurrentUmask();

// Writes all of `data`, through interrupted and short writes. False with errno set when the
// descriptor refuses (a write of nothing counts as a full device).
bool WriteAll(int fd, const unsigned char* data, size_t size);

} // namespace flitool
