// Scaling again only the tiles of a source that differ from the copy kept of the last one.
#include "IncrementalScaler.h"

#include <algorithm>
#include <cstring>

namespace zoetra::display {

namespace {

// The first destination offset whose source offset is at least `offset`, for a source of
// `sourceSize` pixels drawn over `destSize`: the inverse of ScaleNearest's formula.
int32_t FirstDestination(int64_t offset, int64_t sourceSize, int64_t destSize)
{
	return int32_t((offset * destSize + sourceSize - 1) / sourceSize);
}

bool SamePlane(const PixelPlane& a, const PixelPlane& b)
{
	return a.pixels == b.pixels && a.width == b.width && a.height == b.height
		&& a.stride == b.stride;
}

} // namespace

void IncrementalScaler::Draw(const PixelPlane& source, const PixelRect& sourceRect,
	const PixelPlane& dest, const PixelRect& destRect, const PixelRect& clip, PixelRegion& written,
	PixelRegion* deferred)
{
	const PixelRect sourceBounds{0, 0, source.width - 1, source.height - 1};
	const PixelRect area =
		destRect.Intersect(clip).Intersect({0, 0, dest.width - 1, dest.height - 1});
	if (sourceRect.IsEmpty() || area.IsEmpty() || !sourceBounds.Contains(sourceRect))
		return;
	if (SameGeometry(sourceRect, dest, destRect, area)) {
		fSourceRect = sourceRect;
		DrawChanges(source, written, deferred);
	} else {
		CatchUp();
		DrawWhole(source, sourceRect, dest, destRect, area, written);
	}
}

bool IncrementalScaler::DrawsChangesOnly(const PixelRect& sourceRect, const PixelPlane& dest,
	const PixelRect& destRect, const PixelRect& clip) const
{
	return SameGeometry(sourceRect, dest, destRect,
		destRect.Intersect(clip).Intersect({0, 0, dest.width - 1, dest.height - 1}));
}

void IncrementalScaler::Render(const PixelPlane& plane, const PixelRect& rect)
{
	const PixelRect area = rect.Intersect(fArea);
	if (fKept.empty() || area.IsEmpty())
		return;
	const PixelPlane kept{fKept.data(), fSourceRect.Width(), fSourceRect.Height(),
		int32_t(fSourceRect.Width() * sizeof(uint32_t))};
	ScaleNearest(
		kept, {0, 0, kept.width - 1, kept.height - 1}, plane, fDestRect, area, fColumnTable);
}

void IncrementalScaler::CatchUp()
{
	for (const PixelRect& rect : fLagging.Rects())
		Render(fDest, rect);
	fLagging.Clear();
}

bool IncrementalScaler::Covers(const PixelRect& rect) const
{
	return fValid && !fArea.Intersect(rect).IsEmpty();
}

void IncrementalScaler::Forget()
{
	CatchUp();
	fValid = false;
}

bool IncrementalScaler::SameGeometry(const PixelRect& sourceRect, const PixelPlane& dest,
	const PixelRect& destRect, const PixelRect& area) const
{
	return fValid && sourceRect.Width() == fSourceRect.Width()
		&& sourceRect.Height() == fSourceRect.Height() && destRect == fDestRect && area == fArea
		&& SamePlane(dest, fDest);
}

void IncrementalScaler::DrawWhole(const PixelPlane& source, const PixelRect& sourceRect,
	const PixelPlane& dest, const PixelRect& destRect, const PixelRect& area, PixelRegion& written)
{
	ScaleNearest(source, sourceRect, dest, destRect, area, fColumnTable);
	written.Add(area);
	const size_t width = size_t(sourceRect.Width()), height = size_t(sourceRect.Height());
	// The copy is kept only while it is no larger than the destination, which its owner
	// already holds: a huge source drawn small is simply drawn whole each time.
	fValid = width * height <= size_t(dest.width) * size_t(dest.height);
	if (!fValid)
		return;
	fSourceRect = sourceRect;
	fDestRect = destRect;
	fArea = area;
	fDest = dest;
	// Sized here, on a change of geometry, so that drawing changes never allocates.
	fKept.resize(width * height);
	fChangedTiles.resize((width + kTileWidth - 1) / kTileWidth);
	for (size_t y = 0; y < height; y++)
		std::memcpy(fKept.data() + y * width,
			source.Row(sourceRect.top + int32_t(y)) + sourceRect.left, width * sizeof(uint32_t));
}

void IncrementalScaler::DrawChanges(
	const PixelPlane& source, PixelRegion& written, PixelRegion* deferred)
{
	const int32_t width = fSourceRect.Width(), height = fSourceRect.Height();
	const int32_t tiles = int32_t(fChangedTiles.size());
	for (int32_t top = 0; top < height; top += kTileHeight) {
		const int32_t rows = std::min(kTileHeight, height - top);
		if (!CompareBand(source, top, rows))
			continue;
		// Neighbouring changed tiles are scaled, and reported, as one span.
		for (int32_t tile = 0; tile < tiles;) {
			if (!fChangedTiles[size_t(tile)]) {
				tile++;
				continue;
			}
			const int32_t first = tile;
			while (tile < tiles && fChangedTiles[size_t(tile)])
				tile++;
			const PixelRect span = DestinationOf(
				first * kTileWidth, std::min(tile * kTileWidth, width) - 1, top, top + rows - 1);
			if (span.IsEmpty())
				continue;
			if (deferred) {
				deferred->Add(span);
				fLagging.Add(span);
			} else {
				ScaleNearest(source, fSourceRect, fDest, fDestRect, span, fColumnTable);
				written.Add(span);
			}
		}
	}
}

bool IncrementalScaler::CompareBand(const PixelPlane& source, int32_t top, int32_t rows)
{
	const size_t width = size_t(fSourceRect.Width());
	std::fill(fChangedTiles.begin(), fChangedTiles.end(), uint8_t(0));
	bool changed = false;
	for (int32_t row = top; row < top + rows; row++) {
		const uint32_t* now = source.Row(fSourceRect.top + row) + fSourceRect.left;
		uint32_t* kept = fKept.data() + size_t(row) * width;
		const size_t bytes = width * sizeof(uint32_t);
		// Most rows of most frames are unchanged: one comparison settles them.
		if (std::memcmp(now, kept, bytes) == 0)
			continue;
		changed = true;
		const size_t whole = width / kTileWidth;
		for (size_t tile = 0; tile < whole; tile++) {
			const size_t x = tile * kTileWidth;
			uint32_t difference = 0;
			for (size_t i = 0; i < size_t(kTileWidth); i++)
				difference |= now[x + i] ^ kept[x + i];
			fChangedTiles[tile] |= difference != 0;
		}
		if (whole < fChangedTiles.size()) {
			const size_t x = whole * kTileWidth;
			fChangedTiles[whole] |= std::memcmp(now + x, kept + x, (width - x) * 4) != 0;
		}
		std::memcpy(kept, now, bytes);
	}
	return changed;
}

PixelRect IncrementalScaler::DestinationOf(
	int32_t first, int32_t last, int32_t top, int32_t bottom) const
{
	const int64_t sourceWidth = fSourceRect.Width(), sourceHeight = fSourceRect.Height();
	const int64_t destWidth = fDestRect.Width(), destHeight = fDestRect.Height();
	const PixelRect span{fDestRect.left + FirstDestination(first, sourceWidth, destWidth),
		fDestRect.top + FirstDestination(top, sourceHeight, destHeight),
		fDestRect.left + FirstDestination(last + 1, sourceWidth, destWidth) - 1,
		fDestRect.top + FirstDestination(bottom + 1, sourceHeight, destHeight) - 1};
	return span.Intersect(fArea);
}

} // namespace zoetra::display
