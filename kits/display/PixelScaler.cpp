// Exact nearest-neighbour scaling with a column table and row reuse.
#include "PixelScaler.h"

#include <algorithm>
#include <cstring>

namespace zoetra::display {

namespace {

constexpr uint32_t kOpaque = 0xff000000u;

int32_t SourceIndex(int64_t offset, int64_t sourceSize, int64_t destSize)
{
	return int32_t(offset * sourceSize / destSize);
}

} // namespace

void ScaleNearest(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
	const PixelRect& destRect, const PixelRect& clip, std::vector<int32_t>& columnTable)
{
	const PixelRect sourceBounds{0, 0, source.width - 1, source.height - 1};
	const PixelRect destBounds{0, 0, dest.width - 1, dest.height - 1};
	// A source rectangle reaching past the plane would read outside it: refuse it whole
	// rather than guess which part the caller meant.
	if (sourceRect.IsEmpty() || destRect.IsEmpty()
		|| sourceRect.Intersect(sourceBounds).Width() != sourceRect.Width()
		|| sourceRect.Intersect(sourceBounds).Height() != sourceRect.Height())
		return;
	const PixelRect area = destRect.Intersect(clip).Intersect(destBounds);
	if (area.IsEmpty())
		return;

	const int64_t srcW = sourceRect.Width(), srcH = sourceRect.Height();
	const int64_t dstW = destRect.Width(), dstH = destRect.Height();
	const size_t columns = size_t(area.Width());
	if (columnTable.size() < columns)
		columnTable.resize(columns);
	for (int32_t x = area.left; x <= area.right; x++)
		columnTable[size_t(x - area.left)] =
			sourceRect.left + SourceIndex(x - destRect.left, srcW, dstW);

	const int32_t* table = columnTable.data();
	int32_t previousSourceRow = -1;
	const uint32_t* previousDestRow = nullptr;
	for (int32_t y = area.top; y <= area.bottom; y++) {
		const int32_t sourceRow = sourceRect.top + SourceIndex(y - destRect.top, srcH, dstH);
		uint32_t* out = dest.Row(y) + area.left;
		if (sourceRow == previousSourceRow) {
			// Enlarging repeats rows: copying the row already scaled is cheaper than scaling again.
			std::memcpy(out, previousDestRow, columns * sizeof(uint32_t));
			continue;
		}
		const uint32_t* in = source.Row(sourceRow);
		if (srcW == dstW) {
			// Same width: a straight copy, which the compiler turns into vector code.
			const uint32_t* from = in + sourceRect.left + (area.left - destRect.left);
			for (size_t i = 0; i < columns; i++)
				out[i] = from[i] | kOpaque;
		} else {
			for (size_t i = 0; i < columns; i++)
				out[i] = in[table[i]] | kOpaque;
		}
		previousSourceRow = sourceRow;
		previousDestRow = out;
	}
}

} // namespace zoetra::display
