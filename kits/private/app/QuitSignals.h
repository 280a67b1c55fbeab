// SIGTERM, SIGINT and SIGHUP quit the application as its Quit item does.
#pragma once

#include <functional>
#include <string>
#include <thread>

namespace BPrivate {

// While it exists, the first of these signals runs `quit` on a thread of its own (never
// in the handler, and never on a thread that holds a looper's lock). A second signal ends
// the process at once with status 128 + its number, removing the launch socket first (see
// RemoveSocketOnForcedEnd), so that a quit that does not come to an end can still be ended.
// One at a time per process.
class QuitSignals {
public:
	explicit QuitSignals(std::function<void()> quit);
	// Puts the earlier actions back.
	~QuitSignals();

	QuitSignals(const QuitSignals&) = delete;
	QuitSignals& operator=(const QuitSignals&) = delete;

private:
	void Watch();

	int fPipe[2];
	std::function<void()> fQuit;
	std::thread fWatcher;
};

// The socket that a forced end removes, set once it is bound and withdrawn before it is
// removed in the ordinary way: a forced end never removes a later instance's socket. The
// path, which fits a socket address, is copied here in advance: a signal handler may not
// allocate.
void RemoveSocketOnForcedEnd(const std::string& socketPath);
void KeepSocketOnForcedEnd();

}
