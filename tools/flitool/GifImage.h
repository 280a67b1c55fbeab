// One image of an animated GIF: a rectangle of colour indices over the canvas.
#pragma once

#include <cstdint>
#include <vector>

namespace flitool {

struct Area {
	int left = 0, top = 0, width = 0, height = 0;
	bool Empty() const { return width <= 0 || height <= 0; }
};

struct GifImage {
	Area area; // in frame pixels, before any scaling
	std::vector<unsigned char> indices; // area.width × area.height, rows top to bottom
	// A local colour table; empty to use the global one.
	std::vector<uint32_t> localColours;
	// The index that leaves the canvas as it is, or -1 for an opaque image.
	int transparentIndex = -1;
};

} // namespace flitool
