// BBitmap: 32-bit pixel memory with the kit's row layout.
#include <Bitmap.h>

#include <Errors.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Larger bitmaps are refused: their byte count would not fit the kit's 32-bit lengths.
constexpr int64 kMaxBytes = int64(1) << 30;

bool IsSupported(color_space space)
{
	return space == B_RGB32 || space == B_RGBA32;
}

} // namespace

BBitmap::BBitmap(BRect bounds, color_space space, bool acceptsViews, bool)
	: fBits(nullptr),
	  fBytesPerRow(0),
	  fBitsLength(0),
	  fBounds(bounds),
	  fInitStatus(B_NO_INIT)
{
	if (acceptsViews) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	Allocate(bounds, space);
}

BBitmap::~BBitmap()
{
	std::free(fBits);
}

void BBitmap::Allocate(BRect bounds, color_space space)
{
	if (!IsSupported(space) || !bounds.IsValid()) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	const int64 width = int64(std::floor(bounds.right) - std::floor(bounds.left)) + 1;
	const int64 height = int64(std::floor(bounds.bottom) - std::floor(bounds.top)) + 1;
	const int64 row = width * 4;
	if (width <= 0 || height <= 0 || row * height > kMaxBytes) {
		fInitStatus = B_BAD_VALUE;
		return;
	}
	// Rows start on 16-byte boundaries when the row length allows, which the scaler's
	// loads like; the memory is zeroed so a fresh bitmap is black and transparent.
	fBits = static_cast<uint8*>(std::aligned_alloc(16, size_t((row * height + 15) / 16 * 16)));
	if (!fBits) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	std::memset(fBits, 0, size_t(row * height));
	fBytesPerRow = int32(row);
	fBitsLength = int32(row * height);
	fInitStatus = B_OK;
}

status_t BBitmap::InitCheck() const
{
	return fInitStatus;
}

bool BBitmap::IsValid() const
{
	return fInitStatus == B_OK;
}

void* BBitmap::Bits() const
{
	return fBits;
}

int32 BBitmap::BitsLength() const
{
	return fBitsLength;
}

int32 BBitmap::BytesPerRow() const
{
	return fBytesPerRow;
}

BRect BBitmap::Bounds() const
{
	return fBounds;
}
