// A signal handler may do next to nothing: it writes the signal's number to a pipe, and a
// thread of ours turns it into a quit request.
#include "private/app/QuitSignals.h"

#include <AppDefs.h>
#include <Message.h>

#include "private/app/LooperPrivate.h"
#include "private/app/MessagePort.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace BPrivate {

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr char kStopWatching = 0;

std::atomic<int> sSignalPipe{-1};
struct sigaction sEarlierActions[std::size(kQuitSignals)];

void NoteSignal(int signal)
{
	int savedErrno = errno;
	char number = static_cast<char>(signal);
	int fd = sSignalPipe.load();
	if (fd >= 0) {
		// The write end never blocks; a full pipe already holds a quit request.
		ssize_t written = write(fd, &number, 1);
		static_cast<void>(written);
	}
	errno = savedErrno;
}

}

QuitSignals::QuitSignals(int32 applicationToken)
	: fPipe{-1, -1},
	  fApplicationToken(applicationToken)
{
	if (pipe2(fPipe, O_CLOEXEC) != 0)
		return;
	fcntl(fPipe[1], F_SETFL, O_NONBLOCK);
	sSignalPipe.store(fPipe[1]);
	fWatcher = std::thread([this] { Watch(); });
	struct sigaction action = {};
	action.sa_handler = NoteSignal;
	action.sa_flags = SA_RESTART | SA_RESETHAND;
	sigemptyset(&action.sa_mask);
	for (size_t i = 0; i < std::size(kQuitSignals); i++)
		sigaction(kQuitSignals[i], &action, &sEarlierActions[i]);
}

QuitSignals::~QuitSignals()
{
	if (!fWatcher.joinable())
		return;
	for (size_t i = 0; i < std::size(kQuitSignals); i++)
		sigaction(kQuitSignals[i], &sEarlierActions[i], nullptr);
	sSignalPipe.store(-1);
	while (write(fPipe[1], &kStopWatching, 1) < 0 && errno == EINTR) {
	}
	fWatcher.join();
	close(fPipe[0]);
	close(fPipe[1]);
}

void QuitSignals::Watch()
{
	char number;
	while (true) {
		ssize_t count = read(fPipe[0], &number, 1);
		if (count < 0 && errno == EINTR)
			continue;
		if (count != 1 || number == kStopWatching)
			return;
		if (std::shared_ptr<MessagePort> port = LooperPrivate::PortForToken(fApplicationToken))
			port->Post(std::make_unique<BMessage>(B_QUIT_REQUESTED), true);
	}
}

}
