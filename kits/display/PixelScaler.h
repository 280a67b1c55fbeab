// Nearest-neighbour scaling of 32-bit pixels into a clipped destination rectangle.
#pragma once

#include <cstdint>
#include <vector>

#include "PixelRect.h"

namespace zoetra::display {

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
// once it has grown to the widest destination. Whole-multiple widths (2x, 3x...) repeat
// pixels instead of looking them up; every scale repeats rows it has already scaled.
void ScaleNearest(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
	const PixelRect& destRect, const PixelRect& clip, std::vector<int32_t>& columnTable);

} // namespace zoetra::display
