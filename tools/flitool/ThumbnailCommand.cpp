// thumbnail: the first frame, shrunk for a file manager.
#include "AreaScaler.h"
#include "Commands.h"
#include "OutputFile.h"
#include "PngWriter.h"

#include "fli/FrameSequence.h"

#include <algorithm>

namespace flitool {

int RunThumbnail(const Animation& animation, const std::string& path, int size)
{
	fli::FrameSequence frames(animation.data(), SizeOf(animation), 1);
	if (!frames.Next()) {
		std::fputs(kNoFrameMessage, stderr);
		return 1;
	}
	// The frame is wider than high: the width is the longer side.
	const int width = size;
	const int height = std::max(1, (size * fli::kHeight + fli::kWidth / 2) / fli::kWidth);
	const std::vector<uint32_t> scaled =
		ScaleByAreaAverage(frames.Pixels(), fli::kWidth, fli::kHeight, width, height);
	return WriteEncodedFile(path, EncodeRgbPng(width, height, scaled.data())) ? 0 : 1;
}

} // namespace flitool
