// A frame of true-colour pixels as 8-bit indices into a table of at most 256 colours.
#pragma once

#include "ColourTable.h"

#include <cstdint>
#include <vector>

namespace flitool {

struct IndexedFrame {
	std::vector<unsigned char> indices; // fli::kPixelCount, rows of fli::kWidth
	ColourTable table;
};

// Names each pixel by an entry of the frame's 256-entry palette. The player keeps the colour
// a pixel was drawn with when its palette entry changes later, and a black chunk is black
// whatever the palette says, so a frame can show colours its palette lacks: those take over
// entries no pixel uses. False when the frame shows more colours than that leaves room for.
bool IndexFrame(const uint32_t* pixels, const uint32_t* palette, IndexedFrame& frame);

} // namespace flitool
