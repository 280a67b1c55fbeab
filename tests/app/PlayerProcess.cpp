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
