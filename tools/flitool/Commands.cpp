// info, frames and export: what flitool does with an accepted animation.
#include "Commands.h"

#include "PngWriter.h"

#include "fli/FrameSequence.h"

#include <cinttypes>
#include <filesystem>
#include <memory>
#include <system_error>

namespace flitool {

namespace {

uint32_t SizeOf(const Animation& animation)
{
	return static_cast<uint32_t>(animation.size());
}

// Pixel values as bytes blue, green, red, alpha, whatever the machine's byte order.
void PixelsToBytes(const uint32_t* pixels, unsigned char* bytes)
{
	for (int i = 0; i < fli::kPixelCount; ++i) {
		const uint32_t pixel = pixels[i];
		bytes[4 * i] = static_cast<unsigned char>(pixel);
		bytes[4 * i + 1] = static_cast<unsigned char>(pixel >> 8);
		bytes[4 * i + 2] = static_cast<unsigned char>(pixel >> 16);
		bytes[4 * i + 3] = static_cast<unsigned char>(pixel >> 24);
	}
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
	return std::fflush(out) == 0 ? 0 : 1;
}

int RunFrames(const Animation& animation, int64_t frameLimit, std::FILE* out)
{
	fli::FrameSequence frames(animation.data(), SizeOf(animation), frameLimit);
	const size_t frameBytes = static_cast<size_t>(fli::kPixelCount) * 4;
	const auto bytes = std::make_unique<unsigned char[]>(frameBytes);
	while (frames.Next()) {
		PixelsToBytes(frames.Pixels(), bytes.get());
		if (std::fwrite(bytes.get(), 1, frameBytes, out) != frameBytes) {
			std::fprintf(stderr, "flitool: cannot write to standard output\n");
			return 1;
		}
	}
	if (std::fflush(out) != 0) {
		std::fprintf(stderr, "flitool: cannot write to standard output\n");
		return 1;
	}
	return 0;
}

int RunExport(const Animation& animation, const std::string& directory, int64_t frameLimit)
{
	std::error_code error;
	std::filesystem::create_directories(directory, error);
	if (error || !std::filesystem::is_directory(directory)) {
		std::fprintf(stderr, "flitool: cannot make directory %s\n", directory.c_str());
		return 1;
	}
	fli::FrameSequence frames(animation.data(), SizeOf(animation), frameLimit);
	while (frames.Next()) {
		char name[32];
		std::snprintf(name, sizeof name, "frame-%04" PRId64 ".png", frames.FramesDecoded() - 1);
		const std::string path = (std::filesystem::path(directory) / name).string();
		if (!WritePng(path, frames.Pixels())) {
			std::fprintf(stderr, "flitool: cannot write %s\n", path.c_str());
			return 1;
		}
	}
	return 0;
}

} // namespace flitool
