// A long animation, as real Animator files of a few hundred frames are: the demo's balls
// going round six times while a seventh ball crosses the picture once.
#pragma once

#include <string>

namespace bench {

// Writes 384 frames of it and a ring frame back to the first picture to long.fli in the
// build's bench folder; the file's path.
std::string WriteLongAnimation();

} // namespace bench
