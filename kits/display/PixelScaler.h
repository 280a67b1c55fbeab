// Nearest-neighbour scaling of 32-bit pixels into a clipped destination rectangle.
#pragma once

#include <cstdint>
#include <vector>

namespace zoetra::display {

// A rectangle of whole pixels, both edges inclusive (a right of left - 1 is empty).
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
};

// 32-bit pixels in rows; `stride` counts bytes between the starts of rows.
struct PixelPlane {
	uint32_t* pixels = nullptr;
	int32_t width = 0;
	int32_t height = 0;
	int32_t stride = 0;

	uint32_t* Row(int32_t y) const
	{
		return reinterpret_cast<uint32_t*>(
			reinterpret_cast<uint8_t*>(pixels) + int64_t(y) * stride);
	}
};

// Scales `source` (the part inside `sourceRect`) into `dest` so that it fills `destRect`,
// writing only pixels inside `clip`. Destination pixel (x, y) takes source pixel
// (floor((x - destRect.left) * srcW / dstW), floor((y - destRect.top) * srcH / dstH)),
// exactly, in integer arithmetic. The source alpha byte is replaced by 0xff, so what is
// stored is always an opaque pixel whatever the source's fourth byte held.
// `columnTable` is scratch space kept by the caller so that drawing does not allocate
// once it has grown to the widest destination.
void ScaleNearest(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
	const PixelRect& destRect, const PixelRect& clip, std::vector<int32_t>& columnTable);

} // namespace zoetra::display
