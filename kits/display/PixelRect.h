// A rectangle of whole pixels, the display layer's unit of drawing, clipping and damage.
#pragma once

#include <cstdint>

namespace zoetra::display {

// Both edges are inclusive: a right of left - 1 is empty.
struct PixelRect {
	int32_t left = 0;
	int32_t top = 0;
	int32_t right = -1;
	int32_t bottom = -1;

	int32_t Width() const { return right - left + 1; }
	int32_t Height() const { return bottom - top + 1; }
	bool IsEmpty() const { return right < left || bottom < top; }
	PixelRect Intersect(const PixelRect& other) const;
	PixelRect Union(const PixelRect& other) const;
	// Whether every pixel of `inner` lies inside this rectangle (an empty one always does).
	bool Contains(const PixelRect& inner) const;
	bool operator==(const PixelRect& other) const = default;
};

} // namespace zoetra::display
