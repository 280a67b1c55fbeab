// Decode benchmark: frames per second and nanoseconds per pixel written, looping through
// real files and a file of short packets in play order as the player does, beside ffmpeg's
// true-colour decode of the same files where ffmpeg is installed.
#include "fli/Decoder.h"
#include "fli/FrameWalk.h"

#include "BenchSupport.h"
#include "ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using zoetra::testing::ProgramInstalled;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;

constexpr double kSecondsPerMeasurement = 2.0;
constexpr uint32_t kUnwritten = 0xDEADBEEF; // alpha is never set by a decoder

Bytes ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double SecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double>(Clock::now() - start).count();
}

// One cycle: the first pass and one later pass, the frames the player shows before it
// repeats itself.
struct Cycle {
	int64_t frames = 0;
	int64_t pixelsWritten = 0;
};

// Counts the pixels each frame writes: the frame buffer is filled with a value no decoder
// writes before each frame. Where a frame writes depends only on its bytes, not on the
// picture, so the count holds for the timed runs too.
Cycle MeasureCycle(const Bytes& file, uint32_t* pixels, uint32_t* palette)
{
	Cycle cycle;
	const fli::DecodeContext context{pixels, palette, file.data() + file.size()};
	fli::FrameWalk walk(file.data(), static_cast<uint32_t>(file.size()));
	for (int pass = 0; pass < 2; ++pass) {
		while (const unsigned char* frame = walk.NextFrame()) {
			fli::Clear(pixels, kUnwritten);
			fli::DecodeFrame(context, frame);
			cycle.pixelsWritten += std::count_if(
				pixels, pixels + fli::kPixelCount, [](uint32_t p) { return p != kUnwritten; });
			++cycle.frames;
		}
		walk.StartNextPass();
	}
	return cycle;
}

// Decodes frames in play order, pass after pass, for about the given time.
double DecodeFramesPerSecond(
	const Bytes& file, uint32_t* pixels, uint32_t* palette, int64_t& framesDone)
{
	const fli::DecodeContext context{pixels, palette, file.data() + file.size()};
	fli::FrameWalk walk(file.data(), static_cast<uint32_t>(file.size()));
	fli::Clear(pixels, 0);
	framesDone = 0;
	const Clock::time_point start = Clock::now();
	double elapsed = 0;
	while (elapsed < kSecondsPerMeasurement) {
		while (const unsigned char* frame = walk.NextFrame()) {
			fli::DecodeFrame(context, frame);
			++framesDone;
		}
		walk.StartNextPass();
		elapsed = SecondsSince(start);
	}
	return static_cast<double>(framesDone) / elapsed;
}

// Runs ffmpeg's decode and returns its frames per second, or 0 when it cannot run.
double FfmpegFramesPerSecond(const std::string& path, int loops, int64_t& frames)
{
	const bench::FfmpegDecode decode = bench::RunFfmpegDecode(path, loops);
	if (!decode.ok)
		return 0;
	frames = decode.frames;
	return static_cast<double>(frames) / decode.seconds;
}

void BenchmarkFile(const std::string& path, bool withFfmpeg)
{
	const Bytes file = ReadFile(path);
	if (file.size() < fli::kFileHeaderSize) {
		std::printf("%s: cannot read\n", path.c_str());
		return;
	}
	const auto pixels = std::make_unique<uint32_t[]>(fli::kPixelCount);
	const auto palette = std::make_unique<uint32_t[]>(fli::kPaletteSize);
	const Cycle cycle = MeasureCycle(file, pixels.get(), palette.get());
	int64_t frames = 0;
	const double framesPerSecond = DecodeFramesPerSecond(file, pixels.get(), palette.get(), frames);
	const double pixelsPerFrame =
		static_cast<double>(cycle.pixelsWritten) / static_cast<double>(cycle.frames);
	const double nsPerPixel = 1e9 / (framesPerSecond * pixelsPerFrame);

	std::printf("%s\n", path.c_str());
	std::printf("  zoetra:  %10.0f frames/s  %6.3f ns per pixel written  (%.0f pixels written per "
				"frame, %lld frames)\n",
		framesPerSecond, nsPerPixel, pixelsPerFrame, static_cast<long long>(frames));
	if (!withFfmpeg)
		return;
	// A short run first, to size the real one to about the same time as ours.
	int64_t ffmpegFrames = 0;
	const double estimate = FfmpegFramesPerSecond(path, 20, ffmpegFrames);
	if (estimate <= 0) {
		std::printf("  ffmpeg:  could not decode the file\n");
		return;
	}
	const double framesPerLoop = static_cast<double>(ffmpegFrames) / 21;
	const int loops =
		std::max(20, static_cast<int>(estimate * kSecondsPerMeasurement / framesPerLoop));
	const double ffmpegRate = FfmpegFramesPerSecond(path, loops, ffmpegFrames);
	std::printf("  ffmpeg -threads 1 -stream_loop %d -i FILE -pix_fmt bgr0 -f null -:\n", loops);
	std::printf("           %10.0f frames/s  (%lld frames, process start included)\n", ffmpegRate,
		static_cast<long long>(ffmpegFrames));
	std::printf("  ratio:   %10.1fx ffmpeg's frames per second\n", framesPerSecond / ffmpegRate);
}

} // namespace

int main(int argc, char** argv)
{
	const std::vector<std::string> files = bench::FilesToMeasure(argc, argv);
	const bool withFfmpeg = ProgramInstalled("ffmpeg");
	if (!withFfmpeg)
		std::printf("ffmpeg is not installed: no comparison\n");
	for (const std::string& path : files)
		BenchmarkFile(path, withFfmpeg);
	return 0;
}
