// The copy of a window's pixels that the display shows, in memory the X server can map.
#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>

#include "PixelScaler.h"

namespace zoetra::display {

// The pixels live in an anonymous shared-memory file where the system gives one, so that a
// presenter can hand the file to the display server once per size and have changed
// rectangles read straight from it; otherwise in ordinary memory. Image() views the same
// pixels for painting through Qt. Guarded by the window's front mutex.
class FrontBuffer {
public:
	FrontBuffer() = default;
	~FrontBuffer();
	FrontBuffer(const FrontBuffer&) = delete;
	FrontBuffer& operator=(const FrontBuffer&) = delete;

	// Becomes a copy of `picture`, at its size: new memory when the size changes.
	void CopyWhole(const QImage& picture);

	int32_t Width() const { return fImage.width(); }
	int32_t Height() const { return fImage.height(); }
	const QImage& Image() const { return fImage; }
	PixelPlane Plane();
	// The shared-memory file, or -1. Each new size has a new file and a new generation.
	int Descriptor() const { return fDescriptor; }
	uint64_t Generation() const { return fGeneration; }

private:
	void Allocate(int32_t width, int32_t height);
	void Release();

	QImage fImage; // a view of fMemory, which it does not own
	void* fMemory = nullptr;
	size_t fBytes = 0;
	int fDescriptor = -1;
	uint64_t fGeneration = 0;
};

} // namespace zoetra::display
