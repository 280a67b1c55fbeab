// Starting Xvfb on a display number of its own choosing.
#include "XvfbServer.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace zoetra::testing {

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";
constexpr auto kStartBound = std::chrono::seconds(15);

} // namespace

bool XvfbAvailable()
{
	return access(kXvfb, X_OK) == 0;
}

XvfbServer::XvfbServer(int width, int height)
{
	if (!XvfbAvailable())
		return;
	const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
	std::vector<std::string> command{
		kXvfb, "-displayfd", "1", "-screen", "0", screen, "-nolisten", "tcp", "-noreset"};
	// A test run may ask for a server that lacks something, such as "-extension MIT-SHM".
	if (const char* options = std::getenv("ZOETRA_TEST_XVFB_OPTIONS")) {
		std::istringstream words(options);
		for (std::string word; words >> word;)
			command.push_back(word);
	}
	// SIGTERM lets the server remove its lock file and socket.
	fServer = std::make_unique<ChildProcess>(std::move(command),
		ChildOptions{.errors = ChildOptions::Errors::Discard, .stopSignal = SIGTERM});
	const std::string number = fServer->ReadLine(kStartBound);
	if (!number.empty())
		fDisplay = ":" + number;
}

std::string AbsentDisplay()
{
	// A number far above those servers pick for themselves, with no socket or lock file.
	int number = 4000;
	while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0
		|| access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
		number++;
	return ":" + std::to_string(number);
}

bool UseXvfbDisplay()
{
	static XvfbServer* server = nullptr;
	if (!server) {
		server = new XvfbServer;
		if (server->Display().empty())
			return false;
		setenv("DISPLAY", server->Display().c_str(), 1);
		setenv("QT_QPA_PLATFORM", "xcb", 1);
		std::atexit([] { delete server; });
	}
	return !server->Display().empty();
}

} // namespace zoetra::testing
