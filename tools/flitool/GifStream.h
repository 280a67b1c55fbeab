// An animated GIF written through giflib into memory: the screen, the loop, and images with
// their delays, each image scaled up by a whole factor.
#pragma once

#include "GifImage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct ColorMapObject;
struct GifFileType;

namespace flitool {

class GifStream {
public:
	// A canvas of width × height frame pixels shown `scale` times larger, with a global
	// colour table; `loops` adds the application extension that repeats the animation
	// without end.
	GifStream(
		int width, int height, int scale, const std::vector<uint32_t>& globalColours, bool loops);
	~GifStream();
	GifStream(const GifStream&) = delete;
	GifStream& operator=(const GifStream&) = delete;

	// Appends an image that stays on the canvas (nothing is disposed of) and shows for
	// `delay` hundredths of a second. False once giflib has failed.
	bool Put(const GifImage& image, int delay);
	// The whole file; empty when giflib failed on the way.
	std::vector<unsigned char> Finish();

	// The entries of a colour table written for `colours` colours: a power of two, 2 to 256.
	static int TableEntries(size_t colours);
	// The bytes an image takes at scale 1 over this global colour table: how images
	// are compared before one is chosen.
	static size_t MeasuredSize(const GifImage& image, const std::vector<uint32_t>& globalColours);

private:
	static int Append(GifFileType* gif, const unsigned char* data, int size);
	bool Start(int width, int height, const std::vector<uint32_t>& globalColours, bool loops);
	bool PutLoopExtension();
	bool PutDescriptor(const GifImage& image, const ColorMapObject* local);
	// The bits that hold every index the image uses, its transparent one included.
	static int IndexBits(const GifImage& image);
	bool PutPixels(const GifImage& image);
	void ForgetLocalTable();

	GifFileType* gif_ = nullptr;
	int scale_;
	bool failed_ = false;
	std::vector<unsigned char> bytes_;
	// MeasuredSize counts bytes without keeping them.
	bool countOnly_ = false;
	size_t counted_ = 0;
};

} // namespace flitool
