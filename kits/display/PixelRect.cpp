// Intersection and union of pixel rectangles.
#include "PixelRect.h"

#include <algorithm>

namespace zoetra::display {

PixelRect PixelRect::Intersect(const PixelRect& other) const
{
	return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
		std::min(bottom, other.bottom)};
}

PixelRect PixelRect::Union(const PixelRect& other) const
{
	if (IsEmpty())
		return other;
	if (other.IsEmpty())
		return *this;
	return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
		std::max(bottom, other.bottom)};
}

bool PixelRect::Contains(const PixelRect& inner) const
{
	return inner.IsEmpty()
		|| (inner.left >= left && inner.top >= top && inner.right <= right
			&& inner.bottom <= bottom);
}

} // namespace zoetra::display
