// ffmpeg run as a child process, and the default files of the decode and flitool benchmarks.
#include "BenchSupport.h"

#include "ChildProcess.h"
#include "ShortRunsAnimation.h"

#include <chrono>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;
using zoetra::testing::ChildOptions;
using zoetra::testing::ChildProcess;

// Far more than any decode here takes: a run that outlasts it has hung.
constexpr auto kFfmpegBound = std::chrono::minutes(10);

} // namespace

std::vector<std::string> FilesToMeasure(int argc, char** argv)
{
	std::vector<std::string> files(argv + 1, argv + argc);
	if (files.empty())
		files = {std::string(ZOETRA_TEST_DATA) + "/bounce.fli",
			std::string(ZOETRA_TEST_DATA) + "/sparse.fli",
			std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli", WriteShortRunsAnimation()};
	return files;
}

std::vector<std::string> FfmpegDecodeCommand(const std::string& path, int loops)
{
	return {"ffmpeg", "-hide_banner", "-nostdin", "-threads", "1", "-stream_loop",
		std::to_string(loops), "-i", path, "-pix_fmt", "bgr0", "-f", "null", "-"};
}

FfmpegDecode RunFfmpegDecode(const std::string& path, int loops)
{
	FfmpegDecode decode;
	const Clock::time_point start = Clock::now();
	// ffmpeg reports its progress, "frame=N" among it, on standard error.
	ChildProcess ffmpeg(FfmpegDecodeCommand(path, loops), {.errors = ChildOptions::Errors::Read});
	const int status = ffmpeg.WaitForExit(kFfmpegBound);
	decode.seconds = std::chrono::duration<double>(Clock::now() - start).count();
	const std::string output = ffmpeg.Errors();
	const size_t at = output.rfind("frame=");
	if (at == std::string::npos)
		return decode;
	decode.frames = std::stoll(output.substr(at + 6));
	decode.ok = status == 0;
	return decode;
}

} // namespace bench
