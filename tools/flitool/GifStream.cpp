// giflib's low-level writer over a byte vector.
#include "GifStream.h"

#include <gif_lib.h>

#include <algorithm>
#include <memory>

namespace flitool {

namespace {

struct MapFreer {
	void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, MapFreer>;

// The unused end of a table is black.
ColourMap MakeColourMap(const std::vector<uint32_t>& colours)
{
	const int count = GifStream::TableEntries(colours.size());
	std::vector<GifColorType> entries(static_cast<size_t>(count), GifColorType{0, 0, 0});
	for (size_t i = 0; i < colours.size(); ++i)
		entries[i] = {static_cast<GifByteType>(colours[i] >> 16),
			static_cast<GifByteType>(colours[i] >> 8), static_cast<GifByteType>(colours[i])};
	return ColourMap(GifMakeMapObject(count, entries.data()));
}

} // namespace

// giflib takes tables of 2, 4, ... 256 entries.
int GifStream::TableEntries(size_t colours)
{
	int count = 2;
	while (count < static_cast<int>(colours))
		count *= 2;
	return count;
}

GifStream::GifStream(
	int width, int height, int scale, const std::vector<uint32_t>& globalColours, bool loops)
	: scale_(scale)
{
	failed_ = !Start(width, height, globalColours, loops);
}

GifStream::~GifStream()
{
	if (gif_ != nullptr)
		EGifCloseFile(gif_, nullptr);
}

int GifStream::Append(GifFileType* gif, const unsigned char* data, int size)
{
	auto* stream = static_cast<GifStream*>(gif->UserData);
	if (stream->countOnly_)
		stream->counted_ += static_cast<size_t>(size);
	else
		stream->bytes_.insert(stream->bytes_.end(), data, data + size);
	return size;
}

bool GifStream::Start(int width, int height, const std::vector<uint32_t>& globalColours, bool loops)
{
	gif_ = EGifOpen(this, Append, nullptr);
	if (gif_ == nullptr)
		return false;
	const ColourMap global = MakeColourMap(globalColours);
	EGifSetGifVersion(gif_, true);
	if (!global
		|| EGifPutScreenDesc(gif_, width * scale_, height * scale_, 8, 0, global.get()) != GIF_OK)
		return false;
	return !loops || PutLoopExtension();
}

// The application extension browsers read as "repeat for ever": NETSCAPE2.0, sub-block 1,
// a repeat count of 0.
bool GifStream::PutLoopExtension()
{
	static const unsigned char kApplication[] = "NETSCAPE2.0";
	static const unsigned char kRepeatForEver[] = {1, 0, 0};
	return EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE) == GIF_OK
		&& EGifPutExtensionBlock(gif_, 11, kApplication) == GIF_OK
		&& EGifPutExtensionBlock(gif_, 3, kRepeatForEver) == GIF_OK
		&& EGifPutExtensionTrailer(gif_) == GIF_OK;
}

bool GifStream::Put(const GifImage& image, int delay)
{
	if (failed_)
		return false;
	const GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay, image.transparentIndex};
	GifByteType extension[4];
	EGifGCBToExtension(&control, extension);
	ColourMap local;
	if (!image.localColours.empty())
		local = MakeColourMap(image.localColours);
	else
		ForgetLocalTable();
	failed_ = EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) != GIF_OK
		|| (!image.localColours.empty() && !local) || !PutDescriptor(image, local.get())
		|| !PutPixels(image);
	return !failed_;
}

// giflib gives an image the code size of the colour table it uses, and reads the global
// table's from its BitsPerPixel as it writes the descriptor. An image of the global table
// whose indices are all small gets fewer bits a code by that field, set for the descriptor
// alone: every code of the image is then shorter.
bool GifStream::PutDescriptor(const GifImage& image, const ColorMapObject* local)
{
	const Area& area = image.area;
	ColorMapObject* global = gif_->SColorMap;
	if (global == nullptr)
		return false;
	const int globalBits = global->BitsPerPixel;
	if (local == nullptr)
		global->BitsPerPixel = std::min(globalBits, IndexBits(image));
	const bool put = EGifPutImageDesc(gif_, area.left * scale_, area.top * scale_,
						 area.width * scale_, area.height * scale_, false, local)
		== GIF_OK;
	global->BitsPerPixel = globalBits;
	return put;
}

int GifStream::IndexBits(const GifImage& image)
{
	int largest = std::max(image.transparentIndex, 0);
	for (const unsigned char index : image.indices)
		largest = std::max<int>(largest, index);
	int bits = 1;
	while ((1 << bits) <= largest)
		++bits;
	return bits;
}

// giflib (5.2) keeps a copy of the last image's local table and drops it without freeing it
// when the next image has none: it is freed here first.
void GifStream::ForgetLocalTable()
{
	if (gif_ != nullptr && gif_->Image.ColorMap != nullptr) {
		GifFreeMapObject(gif_->Image.ColorMap);
		gif_->Image.ColorMap = nullptr;
	}
}

bool GifStream::PutPixels(const GifImage& image)
{
	const Area& area = image.area;
	std::vector<GifPixelType> line(static_cast<size_t>(area.width * scale_));
	for (int y = 0; y < area.height; ++y) {
		const unsigned char* row = image.indices.data() + static_cast<size_t>(y) * area.width;
		for (int x = 0; x < area.width; ++x)
			std::fill_n(line.begin() + x * scale_, scale_, row[x]);
		for (int repeat = 0; repeat < scale_; ++repeat) {
			if (EGifPutLine(gif_, line.data(), static_cast<int>(line.size())) != GIF_OK)
				return false;
		}
	}
	return true;
}

std::vector<unsigned char> GifStream::Finish()
{
	GifFileType* gif = gif_;
	gif_ = nullptr;
	if (gif == nullptr || EGifCloseFile(gif, nullptr) != GIF_OK || failed_)
		return {};
	return std::move(bytes_);
}

size_t GifStream::MeasuredSize(const GifImage& image, const std::vector<uint32_t>& globalColours)
{
	GifStream stream(image.area.left + image.area.width, image.area.top + image.area.height, 1,
		globalColours, false);
	stream.countOnly_ = true;
	stream.counted_ = 0;
	stream.Put(image, 0);
	return stream.counted_;
}

} // namespace flitool
