// A window's backing store: 32-bit pixels that the thread holding the window's lock draws into.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "FontEngine.h"
#include "PixelRegion.h"
#include "PixelScaler.h"

class QImage;

namespace zoetra::display {

class FrontBuffer;

// Pixels are 0xAARRGGBB words (bytes blue, green, red, alpha in memory), always opaque.
class Canvas {
public:
	Canvas();
	~Canvas();
	Canvas(const Canvas&) = delete;
	Canvas& operator=(const Canvas&) = delete;

	// Keeps the pixels that both sizes share; new area is white.
	void Resize(int32_t width, int32_t height);
	int32_t Width() const;
	int32_t Height() const;
	PixelRect Bounds() const { return {0, 0, Width() - 1, Height() - 1}; }
	PixelPlane Plane() const;
	uint32_t PixelAt(int32_t x, int32_t y) const;

	void FillRect(const PixelRect& rect, uint32_t pixel, const PixelRect& clip);
	void StrokeRect(const PixelRect& rect, uint32_t pixel, const PixelRect& clip);
	// A one-pixel line between two pixel centres, both ends included.
	void StrokeLine(
		int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel, const PixelRect& clip);
	// Drawing the same source rectangle into the same place again writes, and marks, only
	// what changed in the source since; a fill that repeats one already there writes nothing.
	void DrawBitmap(const PixelPlane& source, const PixelRect& sourceRect,
		const PixelRect& destRect, const PixelRect& clip);
	// Draws UTF-8 text with its baseline starting at (x, y); returns the pen's advance.
	float DrawString(const FontChoice& font, const char* text, int length, float x, float y,
		uint32_t pixel, const PixelRect& clip);

	// Brings `front`, the copy of these pixels that the display shows, up to date with
	// everything drawn since the last call and adds what changed to `changed`; a front of
	// another size becomes a whole copy. False when nothing was drawn.
	bool CopyChangesTo(FrontBuffer& front, PixelRegion& changed);
	void MarkDirty(const PixelRect& rect);
	// The next drawing inside `rect` is done whole, not only where it changed: for updates,
	// which must put back everything that is asked of them.
	void Forget(const PixelRect& rect);

private:
	struct Impl;
	std::unique_ptr<Impl> fImpl;
};

} // namespace zoetra::display
