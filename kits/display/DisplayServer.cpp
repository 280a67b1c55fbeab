// The display thread's request queue, drained by one registered custom event on the main thread.
#include "DisplayServer.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QScreen>
#include <QStyleFactory>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "FontEngine.h"
#include "QtBridge.h"
#include "WindowState.h"

namespace zoetra::display {

namespace {

enum class LoopState { Idle, Running, Stopped };

const QEvent::Type kDrainEvent = QEvent::Type(QEvent::registerEventType());

// Lives on the display thread; each drain event makes it run everything queued so far.
class RequestPump final : public QObject {
public:
	void customEvent(QEvent* event) override;
};

struct Server {
	std::mutex mutex;
	std::vector<std::function<void()>> queue;
	std::vector<std::weak_ptr<WindowState>> presents;
	// Drained batches are swapped with these, so the vectors keep their capacity.
	std::vector<std::function<void()>> spareQueue;
	std::vector<std::weak_ptr<WindowState>> sparePresents;
	// Set while a drain event is on its way, so that a burst of posts wakes the loop once.
	bool wakePending = false;
	LoopState state = LoopState::Idle;
	// Quit() before Run() started: the next Run() returns at once.
	bool quitBeforeRun = false;
	std::map<int, std::function<void()>> shutdownHooks;
	int nextHookId = 1;

	std::thread::id displayThread;
	QApplication* application = nullptr;
	RequestPump* pump = nullptr;

	std::mutex screenMutex;
	PixelRect screen;
};

Server& TheServer()
{
	static Server* server = new Server; // never destroyed: threads may post during exit
	return *server;
}

void PostWake(Server& server)
{
	QCoreApplication::postEvent(server.pump, new QEvent(kDrainEvent));
}

void DrainQueue(Server& server)
{
	std::vector<std::function<void()>>& batch = server.spareQueue;
	std::vector<std::weak_ptr<WindowState>>& presents = server.sparePresents;
	{
		std::lock_guard lock(server.mutex);
		server.wakePending = false;
		batch.swap(server.queue);
		presents.swap(server.presents);
	}
	// Requests run with the queue unlocked: a request may post further requests. Only the
	// display thread drains, so the spare vectors need no lock of their own.
	for (auto& request : batch)
		request();
	batch.clear();
	for (auto& weak : presents)
		if (std::shared_ptr<WindowState> window = weak.lock())
			window->Present();
	presents.clear();
}

void RequestPump::customEvent(QEvent*)
{
	// The pump receives nothing but drain events, so the event need not be looked at (Qt
	// hands it over under a lock ThreadSanitizer cannot see, and would report the read).
	DrainQueue(TheServer());
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

} // namespace

bool Start()
{
	Server& server = TheServer();
	if (server.application)
		return true;
	// QApplication keeps references to argc and argv for its whole life.
	static int argc = 1;
	static char name[] = "zoetra";
	static char* argv[] = {name, nullptr};
	server.application = new QApplication(argc, argv);
	server.displayThread = std::this_thread::get_id();
	// One style everywhere, so that menus and dialogs look and measure the same on every desktop.
	if (QStyle* style = QStyleFactory::create("Fusion"))
		QApplication::setStyle(style);
	QApplication::setFont(ToQFont(PlainFontChoice()));
	QApplication::setQuitOnLastWindowClosed(false);
	server.pump = new RequestPump;
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
			if (!server.queue.empty() && !server.wakePending) {
				server.wakePending = true;
				PostWake(server);
			}
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
}

void Quit()
{
	Server& server = TheServer();
	std::vector<std::function<void()>> hooks;
	bool loopRunning;
	{
		std::lock_guard lock(server.mutex);
		if (server.state == LoopState::Stopped)
			return;
		loopRunning = server.state == LoopState::Running;
		server.quitBeforeRun = !loopRunning;
		server.state = LoopState::Stopped;
		for (auto& [id, hook] : server.shutdownHooks)
			hooks.push_back(hook);
	}
	for (auto& hook : hooks)
		hook();
	if (loopRunning)
		QMetaObject::invokeMethod(server.application, &QCoreApplication::quit, Qt::QueuedConnection);
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
	if (server.state == LoopState::Running && !server.wakePending) {
		server.wakePending = true;
		PostWake(server);
	}
	return true;
}

bool PostPresent(const std::weak_ptr<WindowState>& window)
{
	Server& server = TheServer();
	std::lock_guard lock(server.mutex);
	if (server.state != LoopState::Running)
		return false;
	server.presents.push_back(window);
	if (!server.wakePending) {
		server.wakePending = true;
		PostWake(server);
	}
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
