// The front buffer's memory: an anonymous file mapped shared, or plain memory.
#include "FrontBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace zoetra::display {

FrontBuffer::~FrontBuffer()
{
	Release();
}

void FrontBuffer::Release()
{
	fImage = QImage();
	if (fDescriptor >= 0) {
		munmap(fMemory, fBytes);
		close(fDescriptor);
	} else {
		std::free(fMemory);
	}
	fMemory = nullptr;
	fBytes = 0;
	fDescriptor = -1;
}

void FrontBuffer::Allocate(int32_t width, int32_t height)
{
	Release();
	fGeneration++;
	fBytes = size_t(width) * size_t(height) * sizeof(uint32_t);
	if (fBytes == 0)
		return;
	// The server maps the file itself; ours is only one of the mappings, so unmapping it
	// never pulls pixels from under a rectangle the server has yet to read.
	const int descriptor = memfd_create("zoetra-front-buffer", MFD_CLOEXEC);
	if (descriptor >= 0 && ftruncate(descriptor, off_t(fBytes)) == 0) {
		void* memory = mmap(nullptr, fBytes, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
		if (memory != MAP_FAILED) {
			fMemory = memory;
			fDescriptor = descriptor;
		}
	}
	if (fDescriptor < 0) {
		if (descriptor >= 0)
			close(descriptor);
		fMemory = std::malloc(fBytes);
		if (!fMemory) { // shown as white, as a window not yet drawn
			fBytes = 0;
			return;
		}
	}
	fImage = QImage(
		static_cast<uchar*>(fMemory), width, height, qsizetype(width) * 4, QImage::Format_RGB32);
}

void FrontBuffer::CopyWhole(const QImage& picture)
{
	if (picture.size() != fImage.size() || fMemory == nullptr)
		Allocate(picture.width(), picture.height());
	if (fMemory == nullptr)
		return;
	const PixelPlane to = Plane();
	const size_t rowBytes = size_t(picture.width()) * sizeof(uint32_t);
	for (int y = 0; y < picture.height(); y++)
		std::memcpy(to.Row(y), picture.constScanLine(y), rowBytes);
}

PixelPlane FrontBuffer::Plane()
{
	return {static_cast<uint32_t*>(fMemory), Width(), Height(), Width() * 4};
}

} // namespace zoetra::display
