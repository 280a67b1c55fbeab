// The small file-system steps flitool's outputs share: a path's folder and name, access as
// the effective user, the process's umask, and writing a whole buffer to a descriptor or a
// file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

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

// Opens `path` for writing with `flags` (O_WRONLY and more; a file O_CREAT makes gets 0666
// less the umask), writes all of `bytes` and closes it. False with errno set by the first
// step that failed: a file system may report a full disk only when the file is closed.
bool WriteFile(const std::string& path, int flags, const std::vector<unsigned char>& bytes);

} // namespace flitool
