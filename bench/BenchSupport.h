// What the benchmarks share: the files they measure unless told others, ffmpeg's decode to
// compare with, and the median of repeated runs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// The files named on the command line; with none, the test data's bounce.fli and sparse.fli,
// the demo animation, and a file of short packets written for the run.
std::vector<std::string> FilesToMeasure(int argc, char** argv);

// ffmpeg decoding `path` to true colour on one thread, played `loops` more times after the
// first, into nothing.
std::vector<std::string> FfmpegDecodeCommand(const std::string& path, int loops);

struct FfmpegDecode {
	bool ok = false; // ffmpeg ended well and reported its frames
	int64_t frames = 0; // the last count ffmpeg reported, 0 when it reported none
	double seconds = 0; // wall time, process start included
};

// Runs FfmpegDecodeCommand and reads the frames it decoded from its progress report.
FfmpegDecode RunFfmpegDecode(const std::string& path, int loops);

// The middle value (the upper one of the two for an even count); -1 when there is none.
inline double Median(std::vector<double> values)
{
	std::sort(values.begin(), values.end());
	return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace bench
