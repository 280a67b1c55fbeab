// Keeps a scaled picture up to date by scaling again only the parts of its source that changed.
#pragma once

#include <cstdint>
#include <vector>

#include "PixelRegion.h"
#include "PixelScaler.h"

namespace zoetra::display {

// Draws a source into a destination as ScaleNearest does, and remembers the source pixels it
// drew. A later Draw with the same geometry into the same destination compares the new source
// with that copy in tiles of kTileWidth x kTileHeight source pixels and scales only the
// tiles that differ, so a frame that changes little of a picture costs little, however far
// it is enlarged.
//
// Such a Draw may also be deferred: it then writes nothing, and hands the changed rectangles
// over for Render to scale straight into another plane of the destination's size (the copy
// on its way to the screen), which saves writing them twice. The destination lags behind
// until CatchUp, which its owner calls before anything else reads or writes it there.
class IncrementalScaler {
public:
	// Small tiles follow scattered changes closely (on real animations a 4x4 grid covers a
	// quarter less than an 8x8 one) and still give few rectangles a frame.
	static constexpr int32_t kTileWidth = 4;
	static constexpr int32_t kTileHeight = 4;

	// Scales `source`'s `sourceRect` into `destRect` of `dest`, writing only inside `clip`,
	// and adds to `written` the destination rectangles it wrote. With `deferred`, changes
	// drawn only where they differ are not written but added to `deferred`.
	void Draw(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
		const PixelRect& destRect, const PixelRect& clip, PixelRegion& written,
		PixelRegion* deferred = nullptr);
	// Whether a Draw of this geometry would draw only the changes.
	bool DrawsChangesOnly(const PixelRect& sourceRect, const PixelPlane& dest,
		const PixelRect& destRect, const PixelRect& clip) const;

	// Scales the picture last drawn into `plane` (of the destination's size), inside `rect`.
	void Render(const PixelPlane& plane, const PixelRect& rect);
	// Writes into the destination what deferred draws left out.
	void CatchUp();
	// Whether `rect` reaches into the part of the destination the last Draw covered.
	bool Covers(const PixelRect& rect) const;
	// Catches up; the next Draw scales everything (something else will write over the picture).
	void Forget();

private:
	bool SameGeometry(const PixelRect& sourceRect, const PixelPlane& dest,
		const PixelRect& destRect, const PixelRect& area) const;
	void DrawWhole(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
		const PixelRect& destRect, const PixelRect& area, PixelRegion& written);
	void DrawChanges(const PixelPlane& source, PixelRegion& written, PixelRegion* deferred);
	// Which tiles of the band of source rows starting at `top` differ from the kept copy;
	// updates the copy. True when any does.
	bool CompareBand(const PixelPlane& source, int32_t top, int32_t rows);
	// The destination rectangle that source columns [first, last] and rows [top, bottom]
	// (counted inside the source rectangle) scale to, inside the area drawn.
	PixelRect DestinationOf(int32_t first, int32_t last, int32_t top, int32_t bottom) const;

	bool fValid = false;
	PixelRect fSourceRect;
	PixelRect fDestRect;
	PixelRect fArea;
	PixelPlane fDest;
	std::vector<uint32_t> fKept; // the source pixels last drawn, rows of the source rectangle
	std::vector<uint8_t> fChangedTiles; // one flag per tile of the band being compared
	std::vector<int32_t> fColumnTable;
	PixelRegion fLagging; // where the destination still lacks deferred changes
};

} // namespace zoetra::display
