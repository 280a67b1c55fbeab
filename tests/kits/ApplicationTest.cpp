// BApplication in this process: start-up hook order, quitting, and its window list.
#include <Application.h>
#include <Entry.h>
#include <Message.h>

#include "private/app/DisplayLoop.h"
#include "private/app/LaunchChannel.h"
#include "private/app/WindowRegistry.h"

#include "EventLog.h"
#include "TemporaryFolder.h"
#include "Watchdog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

namespace {

using namespace zoetra::testing;

constexpr char kSignature[] = "application/x-vnd.zoetra-kits-test";

std::vector<std::string> OwnArguments()
{
	std::ifstream file("/proc/self/cmdline", std::ios::binary);
	std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	std::vector<std::string> arguments;
	for (size_t start = 0; start < contents.size();) {
		size_t end = contents.find('\0', start);
		arguments.push_back(contents.substr(start, end - start));
		start = end + 1;
	}
	return arguments;
}

// Every test gets a runtime folder of its own, so no real instance is ever reached.
class ApplicationTest : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_NE(fFolder.Path(), "");
		setenv(BPrivate::kRuntimeDirectoryVariable, fFolder.Path().c_str(), 1);
	}

	void TearDown() override { EXPECT_TRUE(fFolder.Remove()); }

	TemporaryFolder fFolder{"zoetra-app-test"};
};

class HookApp : public BApplication {
public:
	explicit HookApp(EventLog* log)
		: BApplication(kSignature),
		  fLog(log)
	{
	}

	void ArgvReceived(int32 argc, char** argv) override
	{
		std::string event = "argv";
		for (int32 i = 0; i < argc; i++)
			event += std::string(" ") + argv[i];
		fLog->Add(event);
	}

	void RefsReceived(BMessage* message) override
	{
		entry_ref ref;
		fLog->Add(std::string("refs ") + (message->FindRef("refs", &ref) == B_OK ? ref.name : "?"));
	}

	void ReadyToRun() override
	{
		fLog->Add(std::string("ready launching=") + (IsLaunching() ? "yes" : "no"));
		Quit();
	}

private:
	EventLog* fLog;
};

TEST_F(ApplicationTest, StartUpDeliversArgumentsThenEarlierMessagesThenReadyToRun)
{
	Watchdog watchdog(std::chrono::seconds(30), "the application");
	EventLog log;
	HookApp app(&log);
	ASSERT_EQ(app.InitCheck(), B_OK);
	EXPECT_EQ(be_app, &app);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("/", &ref), B_OK);
	ASSERT_EQ(get_ref_for_path("/tmp", &ref), B_OK);
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	ASSERT_EQ(app.PostMessage(&refs), B_OK);

	EXPECT_GT(app.Run(), 0);

	std::vector<std::string> expected;
	std::vector<std::string> arguments = OwnArguments();
	if (arguments.size() > 1) {
		std::string event = "argv";
		for (const std::string& argument : arguments)
			event += " " + argument;
		expected.push_back(event);
	}
	expected.push_back("refs tmp");
	expected.push_back("ready launching=yes");
	EXPECT_EQ(log.Events(), expected);
	EXPECT_FALSE(app.IsLaunching());
}

class QuitFromElsewhereApp : public BApplication {
public:
	explicit QuitFromElsewhereApp(EventLog* log)
		: BApplication(kSignature),
		  fLog(log)
	{
	}

	// Quits the way a window's destructor does: from its own thread, holding the
	// application's lock, which Quit() must neither wait on nor take away.
	void ReadyToRun() override
	{
		fQuitter = std::thread([this] {
			if (!Lock())
				return;
			Quit();
			fLog->Add(std::string("quit returned, locked=") + (IsLocked() ? "yes" : "no"));
			Unlock();
		});
	}

	std::thread fQuitter;

private:
	EventLog* fLog;
};

TEST_F(ApplicationTest, QuitFromAnotherThreadReturnsAtOnceAndEndsRun)
{
	Watchdog watchdog(std::chrono::seconds(30), "the application");
	EventLog log;
	QuitFromElsewhereApp app(&log);
	app.Run();
	app.fQuitter.join();
	EXPECT_EQ(log.Events(), std::vector<std::string>{"quit returned, locked=yes"});
}

// Stands in for a window: registered while it lives, and, like a player window, its
// destructor takes the application's lock.
class FakeWindow : public BLooper {
public:
	FakeWindow(const char* name, EventLog* log, bool agrees)
		: BLooper(name),
		  fLog(log),
		  fAgrees(agrees)
	{
		BPrivate::RegisterWindow(reinterpret_cast<BWindow*>(this), this);
	}

	// In this order, as with a real window: its subclass's destructor takes the
	// application's lock, then the window base class unregisters.
	~FakeWindow() override
	{
		if (be_app->Lock()) {
			fLog->Add(std::string(Name()) + " destroyed");
			be_app->Unlock();
		}
		BPrivate::UnregisterWindow(reinterpret_cast<BWindow*>(this));
	}

	bool QuitRequested() override
	{
		fLog->Add(std::string(Name()) + (fAgrees ? " agrees" : " refuses"));
		return fAgrees;
	}

private:
	EventLog* fLog;
	bool fAgrees;
};

class WindowsApp : public BApplication {
public:
	explicit WindowsApp(EventLog* log)
		: BApplication(kSignature),
		  fLog(log)
	{
	}

	void ReadyToRun() override
	{
		(new FakeWindow("shown", fLog, true))->Run();
		new FakeWindow("hidden", fLog, true);
		(new FakeWindow("stubborn", fLog, false))->Run();
		fLog->Add("windows " + std::to_string(CountWindows()));
		fLog->Add(std::string("second is hidden: ")
			+ (WindowAt(1) != nullptr && WindowAt(3) == nullptr ? "yes" : "no"));
		PostMessage(B_QUIT_REQUESTED);
	}

	bool QuitRequested() override
	{
		bool agreed = BApplication::QuitRequested();
		fLog->Add(std::string("all agreed: ") + (agreed ? "yes" : "no"));
		if (!agreed)
			fQuitter = std::thread([this] { Quit(); });
		return agreed;
	}

	std::thread fQuitter;

private:
	EventLog* fLog;
};

TEST_F(ApplicationTest, QuitAsksWindowsThenEndsThemAll)
{
	Watchdog watchdog(std::chrono::seconds(30), "the application");
	EventLog log;
	WindowsApp app(&log);
	app.Run();
	app.fQuitter.join();
	EXPECT_EQ(app.CountWindows(), 0);

	std::vector<std::string> events = log.Events();
	ASSERT_GE(events.size(), 6u);
	EXPECT_EQ(events[0], "windows 3");
	EXPECT_EQ(events[1], "second is hidden: yes");
	EXPECT_EQ(events[2], "shown agrees");
	auto position = [&](const std::string& event) {
		return std::find(events.begin(), events.end(), event) - events.begin();
	};
	// The hidden window never ran, so it was deleted at once by the application thread.
	EXPECT_EQ(events[3], "hidden agrees");
	EXPECT_EQ(events[4], "hidden destroyed");
	EXPECT_LT(position("stubborn refuses"), position("all agreed: no"));
	EXPECT_LT(position("all agreed: no"), position("stubborn destroyed"));
	// The shown window's destructor waits for the application's lock, so it ends only
	// after the quit request has been answered.
	EXPECT_LT(position("all agreed: no"), position("shown destroyed"));
	EXPECT_LT(position("shown destroyed"), static_cast<long>(events.size()));
	EXPECT_EQ(events.size(), 9u);
}

TEST_F(ApplicationTest, BadSignatureAndSecondApplicationAreRefused)
{
	status_t error = B_OK;
	BApplication bad("text/plain", &error);
	EXPECT_EQ(error, B_BAD_VALUE);
	EXPECT_EQ(bad.Run(), B_BAD_VALUE);
	EXPECT_EQ(be_app, nullptr);

	BApplication first(kSignature);
	ASSERT_EQ(first.InitCheck(), B_OK);
	BApplication second(kSignature, &error);
	EXPECT_EQ(error, B_ALREADY_RUNNING);
	EXPECT_EQ(be_app, &first);
	EXPECT_STREQ(first.Signature(), kSignature);
}

// Stands in for the interface kit's event loop: records where it runs and when it is
// told to end.
class RecordingDisplayLoop : public BPrivate::DisplayLoop {
public:
	static EventLog* sLog;

	void Run() override
	{
		sLog->Add("display runs on " + std::to_string(find_thread(nullptr)));
		std::unique_lock<std::mutex> lock(fMutex);
		fQuitCalled.wait(lock, [&] { return fQuit; });
		sLog->Add("display ends");
	}

	void Quit() override
	{
		std::lock_guard<std::mutex> lock(fMutex);
		if (!fQuit)
			sLog->Add(
				std::string("display quit, windows ") + std::to_string(be_app->CountWindows()));
		fQuit = true;
		fQuitCalled.notify_all();
	}

private:
	std::mutex fMutex;
	std::condition_variable fQuitCalled;
	bool fQuit = false;
};

EventLog* RecordingDisplayLoop::sLog = nullptr;

class OneWindowApp : public BApplication {
public:
	explicit OneWindowApp(EventLog* log)
		: BApplication(kSignature),
		  fLog(log)
	{
	}

	void ReadyToRun() override
	{
		(new FakeWindow("window", fLog, true))->Run();
		fLog->Add("ready on " + std::to_string(find_thread(nullptr)));
		Quit();
	}

private:
	EventLog* fLog;
};

TEST_F(ApplicationTest, InstalledDisplayLoopRunsOnTheCallingThreadUntilWindowsAreGone)
{
	Watchdog watchdog(std::chrono::seconds(30), "the application");
	EventLog log;
	RecordingDisplayLoop::sLog = &log;
	BPrivate::SetDisplayLoopFactory([]() -> std::unique_ptr<BPrivate::DisplayLoop> {
		return std::make_unique<RecordingDisplayLoop>();
	});
	OneWindowApp app(&log);
	thread_id applicationThread = app.Run();
	BPrivate::SetDisplayLoopFactory(nullptr);

	// The display loop and the application thread start together, so the display's start
	// may be logged before or after anything the application thread does (its Quit may even
	// come first); the rest has a fixed order: the window goes before the display is told
	// to quit, and the display ends last.
	std::vector<std::string> events = log.Events();
	ASSERT_EQ(events.size(), 5u);
	auto at = [&](const std::string& event) {
		return std::find(events.begin(), events.end(), event) - events.begin();
	};
	const auto displayRuns = at("display runs on " + std::to_string(find_thread(nullptr)));
	const auto ready = at("ready on " + std::to_string(applicationThread));
	const auto destroyed = at("window destroyed");
	const auto quit = at("display quit, windows 0");
	ASSERT_LT(displayRuns, 5);
	ASSERT_LT(ready, 5);
	EXPECT_LT(ready, destroyed);
	EXPECT_LT(destroyed, quit);
	EXPECT_EQ(events[4], "display ends");
}

}
