// A private X server (Xvfb) for tests that need real windows.
//
// How to use:
//   if (!XvfbAvailable())
//   	GTEST_SKIP() << "Xvfb is not installed";
//   ASSERT_TRUE(UseXvfbDisplay()); // one server for the whole program; DISPLAY points at it
// then drive the windows with the functions of XDesktop.h. A program that wants a server of
// its own (not DISPLAY) holds an XvfbServer and passes "DISPLAY=" + server.Display() on.
#pragma once

#include <memory>
#include <string>

#include "ChildProcess.h"

namespace zoetra::testing {

// True when Xvfb is installed (tests that need it skip otherwise).
bool XvfbAvailable();

// Starts Xvfb on a free display number (it picks one and reports it on its standard output)
// and stops it on destruction. Display() is "" when it could not start.
class XvfbServer {
public:
	explicit XvfbServer(int width = 1280, int height = 1024);
	const std::string& Display() const { return fDisplay; }
	// The server's process (0 when it could not start), for benchmarks that count its CPU time.
	pid_t Pid() const { return fServer ? fServer->Pid() : 0; }

private:
	std::unique_ptr<ChildProcess> fServer;
	std::string fDisplay;
};

// A display name (":N") that no X server answers, for the cases about a missing display.
std::string AbsentDisplay();

// Starts one server for the whole test program and points DISPLAY (and Qt) at it; false when
// no server could be started. Call it from the main thread: the server lives as long as the
// thread that started it.
bool UseXvfbDisplay();

} // namespace zoetra::testing
