// BApplication: start-up hooks, single launch, the window list and the quit.
#include <Application.h>
#include <Message.h>

#include "private/app/CommandLine.h"
#include "private/app/DisplayLoop.h"
#include "private/app/HandlerPrivate.h"
#include "private/app/LaunchChannel.h"
#include "private/app/LooperPrivate.h"
#include "private/app/MessagePort.h"
#include "private/app/MessagePrivate.h"
#include "private/app/QuitSignals.h"
#include "private/kernel/Thread.h"
#include "private/app/WindowRegistry.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

using namespace BPrivate;

BApplication* be_app = nullptr;
BMessenger be_app_messenger;

class BPrivate::ApplicationPrivate {
public:
	static void ReleaseLaunchChannel(BApplication* application)
	{
		application->CloseLaunchChannel();
	}
};

namespace {

// How long the application waits for its windows to end when it quits. A window whose
// thread is stuck past this is left behind: Run() returns and the process ends with it.
constexpr bigtime_t kWindowQuitTimeout = 5000000;
// How long Run() waits, once the windows are gone, for the threads of loopers that quit to
// end: they are at the very end of their work by then.
constexpr bigtime_t kThreadEndTimeout = 1000000;

// The display layer may end the process with exit() while the application runs (its
// display went away); the single-launch socket goes with the process then too. Registered
// once, after the display loop exists: atexit handlers run last registered first, and the
// display layer's own, which ends the process at once, was registered as the loop was made.
void ReleaseLaunchChannelAtExit()
{
	if (be_app != nullptr)
		ApplicationPrivate::ReleaseLaunchChannel(be_app);
}

bool IsValidSignature(const char* signature)
{
	static const char kPrefix[] = "application/";
	return signature != nullptr && strncasecmp(signature, kPrefix, sizeof(kPrefix) - 1) == 0
		&& signature[sizeof(kPrefix) - 1] != '\0';
}

}

BApplication::BApplication(const char* signature)
	: BLooper("application")
{
	InitData(signature, nullptr);
}

BApplication::BApplication(const char* signature, status_t* error)
	: BLooper("application")
{
	InitData(signature, error);
}

void BApplication::InitData(const char* signature, status_t* error)
{
	// --help and --version are answered before anything else: no display, no running
	// instance.
	CommandLine commandLine = ProcessCommandLine();
	AnswerCommandLineRequest(commandLine);
	fInitStatus = B_OK;
	fReadyToRunDone = false;
	fLaunching = true;
	fQuitting = false;
	LooperPrivate::SetDeleteOnQuit(this, false);
	if (!IsValidSignature(signature))
		fInitStatus = B_BAD_VALUE;
	else if (be_app != nullptr)
		fInitStatus = B_ALREADY_RUNNING;
	else
		fSignature = signature;

	if (fInitStatus == B_OK) {
		be_app = this;
		be_app_messenger = BMessenger(this);
		// A later launch hands over here, before anything needs a display; the instance
		// takes launches from Run() on.
		LaunchChannel::Decision launch = LaunchChannel::Decide(signature, commandLine.arguments);
		// As on BeOS, a later launch of a single-launch application ends here.
		if (launch.role == LaunchChannel::kHandedOver)
			exit(0);
		fLaunchChannel = std::move(launch.channel);
		fOwnArguments = std::move(launch.ownArguments);
	}
	if (error != nullptr)
		*error = fInitStatus;
}

BApplication::~BApplication()
{
	CloseLaunchChannel();
	if (be_app == this) {
		be_app = nullptr;
		be_app_messenger = BMessenger();
	}
}

status_t BApplication::InitCheck() const
{
	return fInitStatus;
}

const char* BApplication::Signature() const
{
	return fSignature.c_str();
}

thread_id BApplication::Run()
{
	if (fInitStatus != B_OK)
		return fInitStatus;
	if (Thread() >= 0)
		return B_BAD_THREAD_STATE;

	// The display loop exists before the application thread can make a window.
	fDisplayLoop = CreateDisplayLoop();
	// Only now that the display is open does this process take later launches.
	StartServingLaunches();
	static const bool releaseRegistered = std::atexit(ReleaseLaunchChannelAtExit) == 0;
	(void)releaseRegistered;
	PostStartupMessages();
	thread_id thread = spawn_thread(ApplicationThread, "application", B_NORMAL_PRIORITY, this);
	if (thread < 0)
		return thread;
	LooperPrivate::SetThread(this, thread);
	Unlock();
	resume_thread(thread);

	fDisplayLoop->Run();
	// The display loop may also end on its own (its display went away): quit then too.
	Quit();
	status_t exitValue;
	wait_for_thread(thread, &exitValue);
	BPrivate::JoinEndingThreads(kThreadEndTimeout);
	fQuitSignals.reset();
	return thread;
}

// The signals come first, so that no signal can end the process while its socket exists.
void BApplication::StartServingLaunches()
{
	fQuitSignals = std::make_unique<QuitSignals>([this] { QuitForSignal(); });
	std::lock_guard lock(fLaunchChannelLock);
	if (fLaunchChannel != nullptr && fLaunchChannel->Listen(HandlerPrivate::Token(this)) != B_OK)
		fLaunchChannel.reset();
}

// On the quit-signal watcher, without the application's lock: the application thread may
// be waiting in an alert. The quit request goes before anything queued, and is there before
// the alert returns, so that no document still queued is opened.
void BApplication::QuitForSignal()
{
	fQuitting = true;
	LooperPrivate::Port(this).PostFirst(std::make_unique<BMessage>(B_QUIT_REQUESTED));
	fDisplayLoop->AnswerAlertsForGood();
}

// From any thread.
void BApplication::CloseLaunchChannel()
{
	std::unique_ptr<LaunchChannel> channel;
	{
		std::lock_guard lock(fLaunchChannelLock);
		channel = std::move(fLaunchChannel);
	}
	channel.reset();
}

// Arguments come first, then whatever was posted before Run() (documents the launch
// brought), then ReadyToRun.
void BApplication::PostStartupMessages()
{
	MessagePort& port = LooperPrivate::Port(this);
	const std::vector<std::string>& arguments = fOwnArguments;
	if (arguments.size() > 1) {
		auto message = std::make_unique<BMessage>(B_ARGV_RECEIVED);
		message->AddInt32("argc", static_cast<int32>(arguments.size()));
		for (const std::string& argument : arguments)
			message->AddString("argv", argument.c_str());
		port.PostFirst(std::move(message));
	}
	port.Post(std::make_unique<BMessage>(B_READY_TO_RUN), true);
}

int32 BApplication::ApplicationThread(void* data)
{
	BApplication* application = static_cast<BApplication*>(data);
	LooperPrivate::RunLoop(application);
	// No message is handled from here on: later launches open their files themselves.
	application->CloseLaunchChannel();
	application->QuitAllWindows();
	application->fDisplayLoop->Quit();
	return B_OK;
}

// Runs on the application thread after its loop, without the application's lock:
// window destructors may lock the application, and holding it here would deadlock.
void BApplication::QuitAllWindows()
{
	bigtime_t deadline = system_time() + kWindowQuitTimeout;
	for (const WindowEntry& entry : RegisteredWindows()) {
		bigtime_t remaining = deadline - system_time();
		BLooper* window =
			LooperPrivate::LockByToken(entry.looperToken, remaining > 0 ? remaining : 0);
		if (window != nullptr)
			window->Quit();
	}
	bigtime_t remaining = deadline - system_time();
	WaitUntilNoWindows(remaining > 0 ? remaining : 0);
}

void BApplication::Quit()
{
	thread_id thread = Thread();
	if (thread >= 0 && thread == find_thread(nullptr)) {
		BLooper::Quit();
		return;
	}
	// Never waits and leaves the caller's locks alone: a window may call this while it
	// holds the application's lock, and will unlock it itself.
	LooperPrivate::Port(this).Post(
		std::make_unique<BMessage>(static_cast<uint32>(kQuitLooperMessage)), true);
}

bool BApplication::QuitRequested()
{
	for (const WindowEntry& entry : RegisteredWindows()) {
		BLooper* window = LooperPrivate::LockByToken(entry.looperToken);
		if (window == nullptr)
			continue;
		if (!window->QuitRequested()) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
}

void BApplication::ReadyToRun()
{
}

void BApplication::ArgvReceived(int32, char**)
{
}

void BApplication::RefsReceived(BMessage*)
{
}

void BApplication::AboutRequested()
{
}

void BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message == nullptr || handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
		case B_ARGV_RECEIVED:
			DeliverArguments(message);
			break;
		case B_REFS_RECEIVED:
			RefsReceived(message);
			break;
		case B_READY_TO_RUN:
			if (!fReadyToRunDone) {
				fReadyToRunDone = true;
				ReadyToRun();
				fLaunching = false;
			}
			break;
		case B_ABOUT_REQUESTED:
			AboutRequested();
			break;
		default:
			BLooper::DispatchMessage(message, handler);
			break;
	}
}

// ArgvReceived gets its own copies, valid during the call; a list without arguments
// beyond the program's name is not delivered.
void BApplication::DeliverArguments(BMessage* message)
{
	int32 count = 0;
	type_code type;
	if (message->GetInfo("argv", &type, &count) != B_OK || type != B_STRING_TYPE)
		return;
	int32 argc = count;
	if (message->FindInt32("argc", &argc) != B_OK || argc > count || argc < 0)
		argc = count;
	if (argc < 2)
		return;
	std::vector<std::string> strings;
	for (int32 i = 0; i < argc; i++) {
		const char* argument = "";
		message->FindString("argv", i, &argument);
		strings.push_back(argument);
	}
	std::vector<char*> argv;
	for (std::string& argument : strings)
		argv.push_back(argument.data());
	argv.push_back(nullptr);
	ArgvReceived(argc, argv.data());
}

int32 BApplication::CountWindows() const
{
	return CountRegisteredWindows();
}

BWindow* BApplication::WindowAt(int32 index) const
{
	return RegisteredWindowAt(index);
}

bool BApplication::IsLaunching() const
{
	return fLaunching;
}

bool BApplication::IsQuitting() const
{
	return fQuitting;
}
