// Running the built flitool as a user does, in a private folder of the test's own.
#pragma once

#include "FliBuilder.h"

#include "fli/Format.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fli::test {

struct ToolRun {
	int exitCode;
	std::string out;
	std::string err;
};

// The 256000-byte frames of `flitool frames` output as pixel values (red << 16 | green << 8 |
// blue), one vector a frame.
std::vector<std::vector<uint32_t>> FramesAsPixels(const std::string& frames);

// A file of `frameCount` frames in its header and `framesInFile` in its bytes, whose frame i
// paints pixel 0 with palette entry 10 + i (entries set by frame 0, red i + 1), so that the
// pixel names the frame shown.
Bytes NumberedFrames(int16_t frameCount, int framesInFile);
// The number of the frame each 256000-byte frame of `flitool frames` output shows, for a
// file NumberedFrames made: the red component of its pixel 0.
std::vector<int> FrameNumbers(const std::string& frames);

class FlitoolCommand : public ::testing::Test {
protected:
	void SetUp() override { ASSERT_NE(files_.Path(), ""); }

	// Runs flitool in `folder` ("" keeps the test's working folder).
	ToolRun RunFlitool(const std::vector<std::string>& arguments, const std::string& folder = "");
	std::string WriteFile(const std::string& name, const Bytes& bytes);
	// The frames `flitool frames` writes for the file (the first pass and one later pass
	// unless a count is given).
	std::vector<std::vector<uint32_t>> PlayerFrames(const std::string& path, int64_t count = -1);

	zoetra::testing::TemporaryFolder files_{"zoetra-flitool"};
	const std::filesystem::path scratch_ = files_.Path();
};

} // namespace fli::test
