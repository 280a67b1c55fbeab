// SIGTERM, SIGINT and SIGHUP quit the application as its Quit item does.
#pragma once

#include <OS.h>

#include <thread>

namespace BPrivate {

// While it exists, the first of these signals posts B_QUIT_REQUESTED to the looper with
// token `applicationToken`; the signal's action is then back to the default, so that a
// second one ends a quit that does not come to an end. One at a time per process.
class QuitSignals {
public:
	explicit QuitSignals(int32 applicationToken);
	// Puts the earlier actions back.
	~QuitSignals();

	QuitSignals(const QuitSignals&) = delete;
	QuitSignals& operator=(const QuitSignals&) = delete;

private:
	void Watch();

	int fPipe[2];
	int32 fApplicationToken;
	std::thread fWatcher;
};

}
