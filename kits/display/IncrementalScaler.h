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
// it is enlarged. The owner calls Forget whenever anything else writes over the picture.
class IncrementalScaler {
public:
	// Small tiles follow scattered changes closely (on real animations a 4x4 grid covers a
	// quarter less than an 8x8 one) and still give few rectangles a frame.
	static constexpr int32_t kTileWidth = 4;
	static constexpr int32_t kTileHeight = 4;

	// Scales `source`'s `sourceRect` into `destRect` of `dest`, writing only inside `clip`,
	// and adds to `written` the destination rectangles it wrote.
	void Draw(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
		const PixelRect& destRect, const PixelRect& clip, PixelRegion& written);

	// The next Draw scales everything: the destination no longer holds what was drawn.
	void Forget() { fValid = false; }
	// Forgets when `rect` reaches into the part of the destination the last Draw covered.
	void ForgetWhereWritten(const PixelRect& rect);

private:
	bool SameGeometry(const PixelRect& sourceRect, const PixelPlane& dest,
		const PixelRect& destRect, const PixelRect& area) const;
	void DrawWhole(const PixelPlane& source, const PixelRect& sourceRect, const PixelPlane& dest,
		const PixelRect& destRect, const PixelRect& area, PixelRegion& written);
	void DrawChanges(const PixelPlane& source, const PixelPlane& dest, PixelRegion& written);
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
};

} // namespace zoetra::display
