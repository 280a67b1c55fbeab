// info, frames and export: what flitool does with an accepted animation.
#include "Commands.h"

#include "FrameFolder.h"
#include "IndexedFrame.h"
#include "OutputFile.h"
#include "PngWriter.h"

#include "fli/FrameSequence.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <memory>

namespace flitool {

namespace {

constexpr size_t kFrameBytes = static_cast<size_t>(fli::kPixelCount) * sizeof(uint32_t);

// Writes the frame buffer as bytes blue, green, red, 0 per pixel. On a little-endian machine
// that is the buffer itself, written as it lies; elsewhere each word is swapped first.
bool WriteFrameBytes(const uint32_t* pixels, uint32_t* swapped, std::FILE* out)
{
	if constexpr (std::endian::native != std::endian::little) {
		std::transform(pixels, pixels + fli::kPixelCount, swapped,
			[](uint32_t pixel) { return __builtin_bswap32(pixel); });
		pixels = swapped;
	}
	return std::fwrite(pixels, 1, kFrameBytes, out) == kFrameBytes;
}

// The frame as an 8-bit indexed PNG with its palette; as a true-colour one in the rare frame
// that shows more than 256 colours. Empty when libpng fails.
std::vector<unsigned char> FramePng(
	const uint32_t* pixels, const uint32_t* palette, IndexedFrame& indexed)
{
	if (IndexFrame(pixels, palette, indexed))
		return EncodeIndexedPng(
			fli::kWidth, fli::kHeight, indexed.indices.data(), indexed.table.Colours());
	return EncodeRgbPng(fli::kWidth, fli::kHeight, pixels);
}

} // namespace

int RunInfo(const Animation& animation, std::FILE* out)
{
	const fli::FrameWalk walk(animation.data(), SizeOf(animation));
	std::fprintf(out, "frames: %d\n", walk.FrameCount());
	std::fprintf(out, "speed: %d\n", walk.Speed());
	std::fprintf(out, "delay_us: %" PRId32 "\n", walk.DelayMicroseconds());
	std::fprintf(out, "size: %zu\n", animation.size());
	std::fprintf(out, "first_pass: %" PRId32 "\n", walk.FirstPassFrameCount());
	if (animation.Truncated())
		std::fprintf(out, "truncated: %" PRId32 " of %" PRId32 " frames whole\n",
			animation.ReadableFrames(), animation.FramesInHeader());
	if (!FlushStandardOutput(out))
		return kExitFailure;
	return animation.Truncated() ? kExitTruncated : 0;
}

int RunFrames(const Animation& animation, int64_t frameLimit, std::FILE* out)
{
	fli::FrameSequence frames(animation.data(), SizeOf(animation), frameLimit);
	std::unique_ptr<uint32_t[]> swapped;
	if constexpr (std::endian::native != std::endian::little)
		swapped = std::make_unique<uint32_t[]>(fli::kPixelCount);
	while (frames.Next()) {
		if (!WriteFrameBytes(frames.Pixels(), swapped.get(), out)) {
			CannotWrite("-", std::strerror(errno));
			return kExitFailure;
		}
	}
	return FlushStandardOutput(out) ? 0 : kExitFailure;
}

int RunExport(const Animation& animation, const std::string& directory, int64_t frameLimit)
{
	FrameFolder folder(directory);
	if (!folder.Open(animation))
		return kExitFailure;
	fli::FrameSequence frames(animation.data(), SizeOf(animation), frameLimit);
	IndexedFrame indexed;
	while (frames.Next()) {
		char name[32];
		std::snprintf(name, sizeof name, "frame-%04" PRId64 ".png", frames.FramesDecoded() - 1);
		if (!folder.Add(name, FramePng(frames.Pixels(), frames.Palette(), indexed)))
			return kExitFailure;
	}
	return folder.Commit() ? 0 : kExitFailure;
}

bool FlushStandardOutput(std::FILE* out)
{
	if (std::fflush(out) == 0 && !std::ferror(out))
		return true;
	return CannotWrite("-", std::strerror(errno != 0 ? errno : EIO));
}

} // namespace flitool
