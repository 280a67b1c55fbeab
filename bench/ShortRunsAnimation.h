// An animation made of short packets, as real files from other programs are: a noisy
// picture whose every frame changes runs of one to three pixels all over it.
#pragma once

#include "FliEncoder.h"

#include <string>

namespace bench {

// `frames` frames of it and a ring frame back to the first picture.
fli::encode::Bytes MakeShortRunsAnimation(int frames);

// Writes 64 frames of it and a ring frame back to the first picture to short-runs.fli in the
// build's bench folder; the file's path.
std::string WriteShortRunsAnimation();

} // namespace bench
