// The display thread's request queue: a mutex-guarded list, woken through an eventfd that a
// socket notifier on the main thread watches.
#include "DisplayServer.h"

#include <QApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <QStyleFactory>

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdlib>

#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "FontEngine.h"
#include "QtBridge.h"
#include "QtDiagnostics.h"
#include "WindowState.h"

namespace zoetra::display {

namespace {

enum class LoopState { Idle, Running, Stopped };

// Why an eventfd and not a posted QEvent: waking the loop then costs one write(2) and
// allocates nothing, so a frame's flush stays allocation-free; and the hand-over is a lock
// and a file descriptor that ThreadSanitizer understands, where Qt's cross-thread event
// posting synchronises with locks of its own that it cannot see.
struct Server {
	std::mutex mutex;
	std::vector<std::function<void()>> queue;
	std::vector<std::weak_ptr<WindowState>> presents;
	// Set while a wake-up is on its way, so that a burst of posts wakes the loop once.
	bool wakePending = false;
	// Quit() asked the loop to end; the display thread ends it when it next wakes.
	bool endLoop = false;
	LoopState state = LoopState::Idle;
	// Quit() before Run() started: the next Run() returns at once.
	bool quitBeforeRun = false;
	std::map<int, std::function<void()>> shutdownHooks;
	int nextHookId = 1;

	// Display thread only. Drained batches are swapped with these so the vectors keep
	// their capacity; a nested drain (from a loop that Qt runs inside a request) uses
	// vectors of its own.
	std::vector<std::function<void()>> spareQueue;
	std::vector<std::weak_ptr<WindowState>> sparePresents;
	int drainDepth = 0;

	std::thread::id displayThread;
	QApplication* application = nullptr;
	int wakeFd = -1;
	QSocketNotifier* notifier = nullptr;

	std::mutex screenMutex;
	PixelRect screen;
};

Server& TheServer()
{
	static Server* server = new Server; // never destroyed: threads may post during exit
	return *server;
}

// Called with server.mutex held.
void Wake(Server& server)
{
	if (server.wakePending)
		return;
	server.wakePending = true;
	const uint64_t one = 1;
	// The counter cannot overflow: the display thread reads it to zero at each wake-up.
	[[maybe_unused]] const ssize_t written = write(server.wakeFd, &one, sizeof one);
}

void DrainQueue(Server& server)
{
	std::vector<std::function<void()>> nestedQueue;
	std::vector<std::weak_ptr<WindowState>> nestedPresents;
	const bool outermost = server.drainDepth++ == 0;
	std::vector<std::function<void()>>& batch = outermost ? server.spareQueue : nestedQueue;
	std::vector<std::weak_ptr<WindowState>>& presents =
		outermost ? server.sparePresents : nestedPresents;
	bool endLoop;
	{
		std::lock_guard lock(server.mutex);
		uint64_t count;
		[[maybe_unused]] const ssize_t got = read(server.wakeFd, &count, sizeof count);
		server.wakePending = false;
		batch.swap(server.queue);
		presents.swap(server.presents);
		endLoop = server.endLoop;
		server.endLoop = false;
	}
	// Requests run with the queue unlocked: a request may post further requests.
	for (auto& request : batch)
		request();
	batch.clear();
	for (auto& weak : presents)
		if (std::shared_ptr<WindowState> window = weak.lock())
			window->Present();
	presents.clear();
	server.drainDepth--;
	if (endLoop)
		QCoreApplication::quit();
}

void UpdateScreen(Server& server)
{
	QScreen* screen = QGuiApplication::primaryScreen();
	if (!screen)
		return;
	const QRect frame = screen->geometry();
	std::lock_guard lock(server.screenMutex);
	server.screen = {frame.left(), frame.top(), frame.right(), frame.bottom()};
}

// Qt ends the process with exit(1) from inside its event loop when the connection to the
// display breaks (the X server went away), and so does the handler of Qt's messages after a
// fatal one. exit() first runs the atexit handlers of the layers above, which were
// registered after this one (the application kit releases its single-launch socket there);
// this one then ends the process at once with status 1: the other threads still run, and
// the static destructors that exit() would run next would pull their data from under them.
// An exit() at any other time (after the loop, or before it without a fatal message) is an
// ordinary one and goes on.
void EndOnceTheDisplayIsGone()
{
	const bool fatal = FatalReported();
	if (!fatal && !IsRunning())
		return;
	if (!fatal)
		PrintDiagnostic("lost the connection to the display");
	_exit(1);
}

} // namespace

bool Start()
{
	Server& server = TheServer();
	if (server.application)
		return true;
	RouteQtDiagnostics();
	static const bool endRegistered = std::atexit(EndOnceTheDisplayIsGone) == 0;
	(void)endRegistered;
	// QApplication keeps references to argc and argv for its whole life.
	static int argc = 1;
	static char name[] = "zoetra";
	static char* argv[] = {name, nullptr};
	server.wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
	if (server.wakeFd < 0)
		return false;
	SetOpeningDisplay(true);
	server.application = new QApplication(argc, argv);
	SetOpeningDisplay(false);
	server.displayThread = std::this_thread::get_id();
	// One style everywhere, so that menus and dialogs look and measure the same on every desktop.
	if (QStyle* style = QStyleFactory::create("Fusion"))
		QApplication::setStyle(style);
	QApplication::setFont(ToQFont(PlainFontChoice()));
	QApplication::setQuitOnLastWindowClosed(false);
	server.notifier = new QSocketNotifier(qintptr(server.wakeFd), QSocketNotifier::Read);
	QObject::connect(
		server.notifier, &QSocketNotifier::activated, [&server] { DrainQueue(server); });
	UpdateScreen(server);
	if (QScreen* screen = QGuiApplication::primaryScreen())
		QObject::connect(screen, &QScreen::geometryChanged, [&server] { UpdateScreen(server); });
	return true;
}

void Run()
{
	Server& server = TheServer();
	if (!server.application || !IsDisplayThread())
		return;
	bool quitEarly;
	{
		std::lock_guard lock(server.mutex);
		quitEarly = server.quitBeforeRun;
		server.quitBeforeRun = false;
		if (!quitEarly) {
			server.state = LoopState::Running;
			server.endLoop = false;
			if (!server.queue.empty())
				Wake(server);
		}
	}
	if (!quitEarly)
		QApplication::exec();
	// Requests that arrived after Quit() were refused; those queued before it still run, so
	// that native windows made by the last run are taken down.
	DrainQueue(server);
	QCoreApplication::sendPostedEvents();
	QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
	// Between runs requests queue up again for the next one.
	std::lock_guard lock(server.mutex);
	server.state = LoopState::Idle;
	server.endLoop = false;
}

void Quit()
{
	Server& server = TheServer();
	std::vector<std::function<void()>> hooks;
	{
		std::lock_guard lock(server.mutex);
		if (server.state == LoopState::Stopped)
			return;
		const bool loopRunning = server.state == LoopState::Running;
		server.quitBeforeRun = !loopRunning;
		server.state = LoopState::Stopped;
		if (loopRunning) {
			server.endLoop = true;
			Wake(server);
		}
		for (auto& [id, hook] : server.shutdownHooks)
			hooks.push_back(hook);
	}
	for (auto& hook : hooks)
		hook();
}

bool IsDisplayThread()
{
	Server& server = TheServer();
	return server.application && std::this_thread::get_id() == server.displayThread;
}

bool IsRunning()
{
	Server& server = TheServer();
	std::lock_guard lock(server.mutex);
	return server.state == LoopState::Running;
}

bool Post(std::function<void()> request)
{
	Server& server = TheServer();
	std::unique_lock lock(server.mutex);
	if (server.state == LoopState::Stopped || !server.application) {
		lock.unlock();
		request = nullptr; // released outside the lock: it may hold waiters' replies
		return false;
	}
	server.queue.push_back(std::move(request));
	if (server.state == LoopState::Running)
		Wake(server);
	return true;
}

bool PostPresent(const std::weak_ptr<WindowState>& window)
{
	Server& server = TheServer();
	std::lock_guard lock(server.mutex);
	if (server.state != LoopState::Running)
		return false;
	server.presents.push_back(window);
	Wake(server);
	return true;
}

int AddShutdownHook(std::function<void()> hook)
{
	Server& server = TheServer();
	std::lock_guard lock(server.mutex);
	const int id = server.nextHookId++;
	server.shutdownHooks.emplace(id, std::move(hook));
	return id;
}

void RemoveShutdownHook(int id)
{
	Server& server = TheServer();
	std::lock_guard lock(server.mutex);
	server.shutdownHooks.erase(id);
}

PixelRect MainScreenFrame()
{
	Server& server = TheServer();
	std::lock_guard lock(server.screenMutex);
	return server.screen;
}

} // namespace zoetra::display
