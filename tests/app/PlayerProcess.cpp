// Where the built commands are, and the environment the player runs in.
#include "PlayerProcess.h"

namespace zoetra::testing {

namespace {

std::vector<std::string> PlayerCommand(const std::vector<std::string>& arguments)
{
	std::vector<std::string> command{PlayerPath()};
	command.insert(command.end(), arguments.begin(), arguments.end());
	return command;
}

} // namespace

std::string PlayerPath()
{
	return std::string(ZOETRA_BUILD_DIR) + "/zoetra";
}

std::string FlitoolPath()
{
	return std::string(ZOETRA_BUILD_DIR) + "/flitool";
}

std::vector<std::vector<uint32_t>> FramesInPlayOrder(const std::string& file)
{
	constexpr size_t kPixels = 320 * 200;
	const std::string bytes =
		RunTool({FlitoolPath(), "frames", file}, std::chrono::seconds(30)).output;
	std::vector<std::vector<uint32_t>> frames;
	for (size_t start = 0; start + kPixels * 4 <= bytes.size(); start += kPixels * 4) {
		std::vector<uint32_t> pixels(kPixels);
		for (size_t i = 0; i < kPixels; i++) {
			const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + start + 4 * i);
			pixels[i] = 0xff000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
		}
		frames.push_back(std::move(pixels));
	}
	return frames;
}

PlayerProcess::PlayerProcess(
	const std::string& runtimeFolder, const std::vector<std::string>& arguments)
	: ChildProcess(PlayerCommand(arguments),
		{.environment = {
			 "ZOETRA_RUNTIME_DIR=" + runtimeFolder, "XDG_RUNTIME_DIR=" + runtimeFolder}})
{
}

PlayerProcess::PlayerProcess(ChildOptions options, const std::vector<std::string>& arguments)
	: ChildProcess(PlayerCommand(arguments), std::move(options))
{
}

} // namespace zoetra::testing
