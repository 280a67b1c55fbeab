// BApplication: the process's one application looper, its start-up and its quit.
#pragma once

#include <AppDefs.h>
#include <Looper.h>
#include <Messenger.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BWindow;
namespace BPrivate {
class ApplicationPrivate;
class DisplayLoop;
class LaunchChannel;
class QuitSignals;
}

class BApplication : public BLooper {
public:
	// Sets be_app. When another instance with the same signature runs (single launch),
	// this constructor hands it this process's arguments, made absolute against the
	// working directory, and ends the process with exit status 0; arguments it could not
	// hand over in time open in this process instead. Otherwise this process becomes the
	// instance, and takes later launches once Run() has opened the display.
	BApplication(const char* signature);
	BApplication(const char* signature, status_t* error);
	virtual ~BApplication();

	status_t InitCheck() const;
	const char* Signature() const;

	// On the main thread, which made the application: opens the display, then takes later
	// launches, and quits on SIGTERM, SIGINT and SIGHUP as on B_QUIT_REQUESTED, even while
	// an alert waits (it is answered with its last button, and what is queued is dropped;
	// a second signal ends the process at once); starts the application thread, which
	// delivers ArgvReceived (when there are arguments), the messages posted before Run(),
	// then ReadyToRun; runs the display loop until the application has quit and its
	// windows are gone (for at most a few seconds, see Application.cpp). Returns the
	// application thread's id.
	// A display that cannot be opened ends the process with status 1; one that goes away
	// too, and the single-launch socket goes with it.
	virtual thread_id Run();
	// From any thread; from another than the application thread it returns at once and
	// leaves the caller's locks as they are.
	virtual void Quit();
	// Asks each window in turn and quits those that agree; false as soon as one refuses.
	virtual bool QuitRequested();

	virtual void ReadyToRun();
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);
	virtual void AboutRequested();
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);

	int32 CountWindows() const;
	BWindow* WindowAt(int32 index) const;
	bool IsLaunching() const;
	// True once a quit signal came: the quit is the next message, alerts are answered at
	// once, and a hook going through a list of documents should stop where it is.
	bool IsQuitting() const;

private:
	friend class BPrivate::ApplicationPrivate;

	void InitData(const char* signature, status_t* error);
	void StartServingLaunches();
	void QuitForSignal();
	void CloseLaunchChannel();
	void PostStartupMessages();
	void DeliverArguments(BMessage* message);
	static int32 ApplicationThread(void* application);
	void QuitAllWindows();

	std::string fSignature;
	status_t fInitStatus;
	bool fReadyToRunDone;
	bool fLaunching;
	std::atomic<bool> fQuitting;
	std::shared_ptr<BPrivate::DisplayLoop> fDisplayLoop;
	// What this process opens itself, program first.
	std::vector<std::string> fOwnArguments;
	std::mutex fLaunchChannelLock;
	std::unique_ptr<BPrivate::LaunchChannel> fLaunchChannel;
	std::unique_ptr<BPrivate::QuitSignals> fQuitSignals;
};

extern BApplication* be_app;
extern BMessenger be_app_messenger;
