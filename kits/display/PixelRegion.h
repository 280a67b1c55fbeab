// A bounded list of pixel rectangles: what changed in a picture, for the parts that copy it on.
#pragma once

#include <cstddef>
#include <vector>

#include "PixelRect.h"

namespace zoetra::display {

// The rectangles may overlap; together they cover every pixel added. The list holds at most
// `capacity` rectangles and never allocates once made: a rectangle that would pass that
// bound turns the list into the bounding rectangle of everything in it, which still covers
// every pixel, only coarsely.
class PixelRegion {
public:
	static constexpr size_t kDefaultCapacity = 1024;

	explicit PixelRegion(size_t capacity = kDefaultCapacity);

	void Add(const PixelRect& rect);
	void Add(const PixelRegion& other);
	void Clear();
	// Exchanges the contents; neither side allocates.
	void Swap(PixelRegion& other);

	bool IsEmpty() const { return fRects.empty(); }
	const std::vector<PixelRect>& Rects() const { return fRects; }
	PixelRect Bounds() const { return fBounds; }

private:
	std::vector<PixelRect> fRects;
	PixelRect fBounds;
	size_t fCapacity;
};

} // namespace zoetra::display
