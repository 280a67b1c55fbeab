// A signal handler may do next to nothing: the first signal writes its number to a pipe, and
// a thread of ours turns it into the quit; a later one removes the socket and ends the process.
#include "private/app/QuitSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/un.h>
#include <unistd.h>

namespace BPrivate {

namespace {

constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr char kStopWatching = 0;
// The status of a process that a second signal ended, as a shell reports one it killed.
constexpr int kForcedEndStatusBase = 128;

std::atomic<int> sSignalPipe{-1};
std::atomic<int> sSignalsSeen{0};
struct sigaction sEarlierActions[std::size(kQuitSignals)];

// Written only while sRemoveSocket is false; read by the handler only while it is true.
char sSocketPath[sizeof(sockaddr_un::sun_path)];
std::atomic<bool> sRemoveSocket{false};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
	"the signal handler uses these atomics");

// Async-signal-safe: atomics, unlink, write and _exit only.
[[noreturn]] void EndAtOnce(int signal)
{
	if (sRemoveSocket.load())
		unlink(sSocketPath);
	_exit(kForcedEndStatusBase + signal);
}

void NoteSignal(int signal)
{
	if (sSignalsSeen.fetch_add(1) > 0)
		EndAtOnce(signal);
	int savedErrno = errno;
	char number = static_cast<char>(signal);
	int fd = sSignalPipe.load();
	if (fd >= 0) {
		// The write end never blocks, and the pipe is empty: only the first signal writes.
		ssize_t written = write(fd, &number, 1);
		static_cast<void>(written);
	}
	errno = savedErrno;
}

}

QuitSignals::QuitSignals(std::function<void()> quit)
	: fPipe{-1, -1},
	  fQuit(std::move(quit))
{
	if (pipe2(fPipe, O_CLOEXEC) != 0)
		return;
	fcntl(fPipe[1], F_SETFL, O_NONBLOCK);
	sSignalsSeen.store(0);
	sSignalPipe.store(fPipe[1]);
	fWatcher = std::thread([this] { Watch(); });
	struct sigaction action = {};
	action.sa_handler = NoteSignal;
	action.sa_flags = SA_RESTART;
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
		fQuit();
	}
}

void RemoveSocketOnForcedEnd(const std::string& socketPath)
{
	KeepSocketOnForcedEnd();
	if (socketPath.size() >= sizeof(sSocketPath))
		return;
	socketPath.copy(sSocketPath, socketPath.size());
	sSocketPath[socketPath.size()] = '\0';
	sRemoveSocket.store(true);
}

void KeepSocketOnForcedEnd()
{
	sRemoveSocket.store(false);
}

}
