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

template <int Factor>
void Replicate(uint32_t* out, const uint32_t* in, size_t count)
{
	for (size_t i = 0; i < count; i++) {
		const uint32_t pixel = in[i] | kOpaque;
		for (int j = 0; j < Factor; j++)
			out[j] = pixel;
		out += Factor;
	}
}

// One destination row when the destination is a whole multiple `factor` of the source wide:
// each source pixel repeats `factor` times, with no table and no division per pixel. `offset`
// is the first column's distance from the destination rectangle's left edge, so a clipped
// row may start and end inside a repeat.
void ScaleRowByFactor(
	uint32_t* out, const uint32_t* in, int32_t factor, int32_t offset, size_t columns)
{
	in += offset / factor;
	const size_t head =
		std::min(columns, size_t(offset % factor == 0 ? 0 : factor - offset % factor));
	if (head > 0) {
		std::fill_n(out, head, *in++ | kOpaque);
		out += head;
		columns -= head;
	}
	const size_t whole = columns / size_t(factor);
	switch (factor) {
		case 2:
			Replicate<2>(out, in, whole);
			break;
		case 3:
			Replicate<3>(out, in, whole);
			break;
		case 4:
			Replicate<4>(out, in, whole);
			break;
		case 5:
			Replicate<5>(out, in, whole);
			break;
		case 6:
			Replicate<6>(out, in, whole);
			break;
		default:
			for (size_t i = 0; i < whole; i++)
				std::fill_n(out + i * size_t(factor), factor, in[i] | kOpaque);
			break;
	}
	out += whole * size_t(factor);
	in += whole;
	const size_t tail = columns - whole * size_t(factor);
	if (tail > 0)
		std::fill_n(out, tail, *in | kOpaque);
}

} // namespace

void ScaleNearest(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
	const PixelRect& destRect, const PixelRect& clip, std::vector<int32_t>& columnTable)
{
	const PixelRect sourceBounds{0, 0, source.width - 1, source.height - 1};
	const PixelRect destBounds{0, 0, dest.width - 1, dest.height - 1};
	// A source rectangle reaching past the plane would read outside it: refuse it whole
	// rather than guess which part the caller meant.
	if (sourceRect.IsEmpty() || destRect.IsEmpty() || !sourceBounds.Contains(sourceRect))
		return;
	const PixelRect area = destRect.Intersect(clip).Intersect(destBounds);
	if (area.IsEmpty())
		return;

	const int64_t srcW = sourceRect.Width(), srcH = sourceRect.Height();
	const int64_t dstW = destRect.Width(), dstH = destRect.Height();
	const size_t columns = size_t(area.Width());
	// Whole multiples (the usual zooms) repeat pixels; other scales look columns up in a table.
	const int32_t factor = dstW % srcW == 0 ? int32_t(dstW / srcW) : 0;
	if (factor == 0) {
		if (columnTable.size() < columns)
			columnTable.resize(columns);
		for (int32_t x = area.left; x <= area.right; x++)
			columnTable[size_t(x - area.left)] =
				sourceRect.left + SourceIndex(x - destRect.left, srcW, dstW);
	}

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
		if (factor == 1) {
			// Same width: a straight copy, which the compiler turns into vector code.
			const uint32_t* from = in + sourceRect.left + (area.left - destRect.left);
			for (size_t i = 0; i < columns; i++)
				out[i] = from[i] | kOpaque;
		} else if (factor > 1) {
			ScaleRowByFactor(out, in + sourceRect.left, factor, area.left - destRect.left, columns);
		} else {
			for (size_t i = 0; i < columns; i++)
				out[i] = in[table[i]] | kOpaque;
		}
		previousSourceRow = sourceRow;
		previousDestRow = out;
	}
}

} // namespace zoetra::display
