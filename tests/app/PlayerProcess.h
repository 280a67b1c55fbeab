// build/zoetra run as a child process with its own single-launch folder.
//
// How to use:
//   TemporaryFolder runtime;
//   PlayerProcess player(runtime.Path(), {clip});
//   EXPECT_TRUE(player.WaitForOutput(clip + "\n"));
//   EXPECT_EQ(player.WaitForExit(std::chrono::seconds(5)), 0);
//   PlayerProcess bare({.environment = {"DISPLAY"}, .errors = ChildOptions::Errors::Join}, {clip});
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace zoetra::testing {

std::string PlayerPath();
std::string FlitoolPath();

// The pictures `flitool frames` gives for a file, in play order (the first pass, then one
// later pass), each 320x200 pixels as 0xffRRGGBB rows.
std::vector<std::vector<uint32_t>> FramesInPlayOrder(const std::string& file);

// The player started with `arguments`; its single-launch socket lives in `runtimeFolder`,
// so that it meets only the launches given the same folder.
class PlayerProcess : public ChildProcess {
public:
	PlayerProcess(const std::string& runtimeFolder, const std::vector<std::string>& arguments);
	// The player started with `options` as they are, for the cases about its environment,
	// its display or its standard error.
	PlayerProcess(ChildOptions options, const std::vector<std::string>& arguments);
};

} // namespace zoetra::testing
