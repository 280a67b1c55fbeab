// Writing an output the way cp does: a regular file whole or not at all, anything else as
// it is.
//
//   "-"                          standard output
//   a new path, a regular file   a temporary file in the same folder, renamed into place
//                                once whole; an existing file keeps its mode (and owner,
//                                where allowed). A file the user may not write is refused.
//   a symbolic link              the same, for the file it names; the link stays
//   a device, FIFO or socket     written directly, with no temporary file
//   a folder, a missing folder,  refused; so is the file the animation was read from
//   a dangling link
//
// Every refusal and failure is said on standard error as "flitool: cannot write PATH: CAUSE".
#pragma once

#include "AnimationFile.h"

#include <string>
#include <vector>

namespace flitool {

// Whether `path` may be written, checked before anything is made: false, after saying why,
// when WriteOutputFile would refuse it or it names the file `input` was read from.
bool CheckOutputPath(const std::string& path, const Animation& input);

// Writes `bytes` to `path` as the table above says. On failure nothing is left behind and
// a regular file at `path` is untouched.
bool WriteOutputFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Writes what an encoder made, where empty `bytes` mean the encoder failed (which is said
// too). Returns false when nothing was written.
bool WriteEncodedFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Says "flitool: cannot write PATH: CAUSE" on standard error; returns false.
bool CannotWrite(const std::string& path, const std::string& cause);

} // namespace flitool
