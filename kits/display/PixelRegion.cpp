// Adding to a bounded rectangle list, joining neighbours as they come.
#include "PixelRegion.h"

#include <algorithm>
#include <utility>

namespace zoetra::display {

PixelRegion::PixelRegion(size_t capacity)
	: fCapacity(std::max<size_t>(capacity, 1))
{
	fRects.reserve(fCapacity);
}

void PixelRegion::Add(const PixelRect& rect)
{
	if (rect.IsEmpty())
		return;
	fBounds = fBounds.Union(rect);
	if (!fRects.empty()) {
		PixelRect& last = fRects.back();
		// Changes arrive in rows of spans: a span that continues the last one, or lies
		// inside it, needs no rectangle of its own.
		if (last.top == rect.top && last.bottom == rect.bottom && rect.left <= last.right + 1
			&& rect.right >= last.left - 1) {
			last = last.Union(rect);
			return;
		}
		if (last.Contains(rect))
			return;
	}
	if (fRects.size() == fCapacity) {
		fRects.clear();
		fRects.push_back(fBounds);
		return;
	}
	fRects.push_back(rect);
}

void PixelRegion::Add(const PixelRegion& other)
{
	for (const PixelRect& rect : other.fRects)
		Add(rect);
}

void PixelRegion::Clear()
{
	fRects.clear();
	fBounds = PixelRect{};
}

void PixelRegion::Swap(PixelRegion& other)
{
	std::swap(fRects, other.fRects);
	std::swap(fBounds, other.fBounds);
	std::swap(fCapacity, other.fCapacity);
}

} // namespace zoetra::display
