// BBitmap: an off-screen picture in memory that views draw from.
#pragma once

#include <GraphicsDefs.h>
#include <Rect.h>
#include <SupportDefs.h>

class BBitmap {
public:
	// Only 32-bit colour spaces (B_RGB32, B_RGBA32) are supported; any other, or bounds
	// that are invalid or too large, leave the bitmap without pixels and InitCheck() says
	// why. Accepting views is not supported (InitCheck() is B_BAD_VALUE for it).
	BBitmap(
		BRect bounds, color_space space, bool acceptsViews = false, bool needsContiguous = false);
	virtual ~BBitmap();
	BBitmap(const BBitmap&) = delete;
	BBitmap& operator=(const BBitmap&) = delete;

	status_t InitCheck() const;
	bool IsValid() const;

	void* Bits() const;
	int32 BitsLength() const;
	int32 BytesPerRow() const;
	BRect Bounds() const;

private:
	void Allocate(BRect bounds, color_space space);

	uint8* fBits;
	int32 fBytesPerRow;
	int32 fBitsLength;
	BRect fBounds;
	status_t fInitStatus;
};
