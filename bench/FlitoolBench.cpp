// flitool beside ffmpeg, end to end as processes: true-colour frames per second written to
// /dev/null, and the sizes of the PNG and animated GIF files each writes for the same file,
// the GIFs also after gifsicle -O3. With no file named, a 384-frame file joins the others.
#include "BenchSupport.h"
#include "ChildProcess.h"
#include "CpuTime.h"
#include "LongAnimation.h"

#include <gif_lib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using bench::Median;
using zoetra::testing::ChildProcess;

const std::string kFlitool = std::string(ZOETRA_BUILD_DIR) + "/flitool";
const fs::path kWork = fs::path(ZOETRA_BUILD_DIR) / "bench" / "flitool-work";
constexpr double kSecondsPerRun = 1.0;
constexpr int kRounds = 3;
// Far more than any run here takes: a run that outlasts it has hung.
constexpr auto kRunBound = std::chrono::minutes(2);

std::string Quoted(const std::string& text)
{
	return "'" + text + "'";
}

struct Timed {
	double wall = 0;
	double cpu = 0; // user and system time of the command and its children
	bool ok = false;
};

// Runs a shell command (for its redirections) and times it: wall clock, and the processor
// time of the shell and what it ran. One command runs at a time, so what this process's
// ended children used grows by exactly that.
Timed RunTimed(const std::string& command)
{
	Timed timed;
	const double cpuBefore = ChildrenCpuSeconds();
	const Clock::time_point start = Clock::now();
	ChildProcess shell({"sh", "-c", command});
	const int status = shell.WaitForExit(kRunBound);
	timed.wall = std::chrono::duration<double>(Clock::now() - start).count();
	timed.cpu = ChildrenCpuSeconds() - cpuBefore;
	timed.ok = status == 0;
	return timed;
}

// ffmpeg's decode as a shell command, to time it with its output redirected.
std::string FfmpegFrames(const std::string& path, int loops)
{
	std::string command;
	for (const std::string& word : bench::FfmpegDecodeCommand(path, loops))
		command += (command.empty() ? "" : " ") + Quoted(word);
	return command;
}

// Both write the same number of true-colour frames: ffmpeg decodes the file looped, and
// flitool writes as many frames in play order. Medians of alternating runs.
void CompareFrameRates(const std::string& path)
{
	const Timed estimate = RunTimed(FfmpegFrames(path, 20) + " > /dev/null 2>&1");
	if (!estimate.ok) {
		std::printf("  frames: ffmpeg could not decode the file\n");
		return;
	}
	const int loops = std::max(20, static_cast<int>(20 * kSecondsPerRun / estimate.wall));
	const int64_t frames = bench::RunFfmpegDecode(path, loops).frames;
	const std::string ffmpeg = FfmpegFrames(path, loops) + " > /dev/null 2>&1";
	const std::string ours = Quoted(kFlitool) + " frames " + Quoted(path) + " --count "
		+ std::to_string(frames) + " > /dev/null";
	std::vector<double> ourCpu, ourWall, theirCpu, theirWall;
	for (int round = 0; round < kRounds; ++round) {
		const Timed a = RunTimed(ours), b = RunTimed(ffmpeg);
		if (!a.ok || !b.ok) {
			std::printf("  frames: a run failed\n");
			return;
		}
		ourCpu.push_back(a.cpu);
		ourWall.push_back(a.wall);
		theirCpu.push_back(b.cpu);
		theirWall.push_back(b.wall);
	}
	const double n = static_cast<double>(frames);
	std::printf("  frames (%lld true-colour frames to /dev/null, medians of %d runs):\n",
		static_cast<long long>(frames), kRounds);
	std::printf("    flitool frames --count %lld:  %8.0f frames/s of CPU, %8.0f of wall\n",
		static_cast<long long>(frames), n / Median(ourCpu), n / Median(ourWall));
	std::printf("    ffmpeg -threads 1 -stream_loop %d -i FILE -pix_fmt bgr0 -f null -:\n", loops);
	std::printf("                                  %8.0f frames/s of CPU, %8.0f of wall\n",
		n / Median(theirCpu), n / Median(theirWall));
	std::printf("    ratio: %.1fx ffmpeg by CPU, %.1fx by wall\n",
		Median(theirCpu) / Median(ourCpu), Median(theirWall) / Median(ourWall));
}

struct Files {
	int64_t count = 0;
	uintmax_t bytes = 0;
};

Files FilesIn(const fs::path& directory)
{
	Files files;
	for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
		++files.count;
		files.bytes += entry.file_size();
	}
	return files;
}

int FirstPassFrames(const std::string& path)
{
	const std::string info = zoetra::testing::RunTool({kFlitool, "info", path}).output;
	const size_t at = info.find("first_pass: ");
	return at == std::string::npos ? 0 : std::stoi(info.substr(at + 12));
}

void ComparePngSizes(const std::string& path)
{
	const int frames = FirstPassFrames(path);
	const fs::path ours = kWork / "png-ours", theirs = kWork / "png-ffmpeg";
	fs::remove_all(ours);
	fs::remove_all(theirs);
	fs::create_directories(theirs);
	const Timed a = RunTimed(Quoted(kFlitool) + " export " + Quoted(path) + " " + Quoted(ours)
		+ " --count " + std::to_string(frames));
	const Timed b = RunTimed("ffmpeg -v quiet -nostdin -i " + Quoted(path) + " -frames:v "
		+ std::to_string(frames) + " " + Quoted((theirs / "%04d.png").string()));
	const Files our = FilesIn(ours), their = FilesIn(theirs);
	if (!a.ok || our.count == 0 || their.count == 0) {
		std::printf("  png: a run failed\n");
		return;
	}
	const double ourAverage = static_cast<double>(our.bytes) / static_cast<double>(our.count);
	const double theirAverage = static_cast<double>(their.bytes) / static_cast<double>(their.count);
	std::printf("  png (the first pass): flitool export %8.0f bytes a frame (%lld frames)\n",
		ourAverage, static_cast<long long>(our.count));
	std::printf("                        ffmpeg -i FILE %%04d.png %8.0f bytes a frame (%lld "
				"frames%s)\n",
		theirAverage, static_cast<long long>(their.count),
		b.ok ? "" : ", ffmpeg reported an error");
	std::printf("    ratio: %.2f of ffmpeg's size\n", ourAverage / theirAverage);
}

int GifImages(const std::string& path)
{
	GifFileType* gif = DGifOpenFileName(path.c_str(), nullptr);
	if (gif == nullptr)
		return 0;
	const int images = DGifSlurp(gif) == GIF_OK ? gif->ImageCount : 0;
	DGifCloseFile(gif, nullptr);
	return images;
}

uintmax_t SizeOr0(const std::string& path)
{
	std::error_code error;
	const uintmax_t size = fs::file_size(path, error);
	return error ? 0 : size;
}

// Ours and ffmpeg's GIF, and what gifsicle's strongest lossless optimisation makes of each:
// ours should be no larger than ffmpeg's after it, and gain little from it.
void CompareGifSizes(const std::string& path)
{
	const std::string ours = (kWork / "ours.gif").string(),
					  theirs = (kWork / "ffmpeg.gif").string(),
					  oursOptimised = (kWork / "ours-O3.gif").string(),
					  theirsOptimised = (kWork / "ffmpeg-O3.gif").string();
	for (const std::string& gif : {ours, theirs, oursOptimised, theirsOptimised})
		fs::remove(gif);
	const Timed a =
		RunTimed(Quoted(kFlitool) + " gif " + Quoted(path) + " " + Quoted(ours) + " 2> /dev/null");
	RunTimed("ffmpeg -v quiet -nostdin -i " + Quoted(path) + " " + Quoted(theirs));
	if (!a.ok || !fs::exists(theirs)) {
		std::printf("  gif: a run failed\n");
		return;
	}
	const auto ourBytes = fs::file_size(ours), theirBytes = fs::file_size(theirs);
	const int ourImages = GifImages(ours), theirImages = GifImages(theirs);
	std::printf("  gif: flitool gif                  %8ju bytes, %4d images, %.2f s\n", ourBytes,
		ourImages, a.wall);
	std::printf(
		"       ffmpeg -i FILE               %8ju bytes, %4d images\n", theirBytes, theirImages);
	if (!zoetra::testing::ProgramInstalled("gifsicle")) {
		std::printf("    ratio: %.2f of ffmpeg's size; gifsicle is not installed\n",
			static_cast<double>(ourBytes) / static_cast<double>(theirBytes));
		return;
	}
	RunTimed("gifsicle -O3 " + Quoted(theirs) + " -o " + Quoted(theirsOptimised));
	RunTimed("gifsicle -O3 " + Quoted(ours) + " -o " + Quoted(oursOptimised));
	const uintmax_t theirOptimised = SizeOr0(theirsOptimised),
					ourOptimised = SizeOr0(oursOptimised);
	std::printf("       gifsicle -O3 of ffmpeg's GIF %8ju bytes\n", theirOptimised);
	std::printf("       gifsicle -O3 of our GIF      %8ju bytes\n", ourOptimised);
	std::printf("    ratio: %.3f of ffmpeg's size after gifsicle -O3; gifsicle -O3 saves %.1f%% "
				"of ours\n",
		static_cast<double>(ourBytes) / static_cast<double>(std::max<uintmax_t>(1, theirOptimised)),
		100.0 * (static_cast<double>(ourBytes) - static_cast<double>(ourOptimised))
			/ static_cast<double>(ourBytes));
}

} // namespace

int main(int argc, char** argv)
{
	if (!zoetra::testing::ProgramInstalled("ffmpeg")) {
		std::printf("ffmpeg is not installed: nothing to compare with\n");
		return 0;
	}
	fs::create_directories(kWork);
	std::vector<std::string> files = bench::FilesToMeasure(argc, argv);
	if (argc < 2)
		files.push_back(bench::WriteLongAnimation());
	for (const std::string& path : files) {
		std::printf("%s\n", path.c_str());
		CompareFrameRates(path);
		ComparePngSizes(path);
		CompareGifSizes(path);
	}
	return 0;
}
