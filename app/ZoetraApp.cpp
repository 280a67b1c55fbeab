// ZoetraApp: start-up, the command line, opening documents, the window registry and quitting.
#include "ZoetraApp.h"

#include "AnimationLoader.h"
#include "AnimationReader.h"
#include "FormatException.h"
#include "InfoWindow.h"
#include "KillLooper.h"
#include "PlayerMessages.h"
#include "PlayerWindow.h"

#include <Alert.h>
#include <Entry.h>
#include <Message.h>

#include <cstdio>

const char* ZoetraApp::SIGNATURE = "application/x-vnd.quenvik-Zoetra";

ZoetraApp::ZoetraApp()
	: BApplication(SIGNATURE),
	  infoWindow(nullptr),
	  loader(std::make_unique<AnimationLoader>()),
	  emptyWindowPending(false)
{
}

ZoetraApp::~ZoetraApp() = default;

int32 ZoetraApp::RegisterWindow(PlayerWindow* window, bool untitled)
{
	return roster.Register(window, untitled);
}

void ZoetraApp::UnregisterWindow(PlayerWindow* window)
{
	if (roster.Unregister(window))
		Quit();
}

// A large file still being read opens its own window, or shows its alert and then this one.
void ZoetraApp::ReadyToRun()
{
	if (loader->Busy())
		emptyWindowPending = true;
	else
		OpenEmptyWindowIfNone();
}

void ZoetraApp::OpenEmptyWindowIfNone()
{
	if (roster.CountWindows() == 0)
		(new PlayerWindow(nullptr))->Show();
}

// A quit signal that comes while a file's alert waits ends the list there. An empty path
// names nothing: it is also how a later launch hands over a path it could not make
// absolute (its folder was gone).
void ZoetraApp::ArgvReceived(int32 argc, char** argv)
{
	entry_ref ref;
	for (int32 i = 1; i < argc && !IsQuitting(); i++) {
		if (argv[i][0] == '\0') {
			ShowError(kFileNotFoundText);
			continue;
		}
		const status_t status = get_ref_for_path(argv[i], &ref);
		if (status == B_OK) {
			std::printf("%s\n", argv[i]);
			std::fflush(stdout);
			BMessage refs(B_REFS_RECEIVED);
			refs.AddRef("refs", &ref);
			RefsReceived(&refs);
		} else if (status == B_ENTRY_NOT_FOUND) {
			ShowError(kFileNotFoundText);
		}
	}
}

// Every road of a file ends here. Only the first ref counts. A file aimed at a window
// (kSourceWindowField) goes to it only while that window is registered and takes the
// hand-over; a window that has closed meanwhile, or is closing, gets nothing and the file
// opens in a new window instead. A large file is read off this thread, so that nothing
// waits for it, and opens when it has been read; a later file aimed at the same window
// replaces it.
void ZoetraApp::RefsReceived(BMessage* message)
{
	entry_ref ref;
	if (IsQuitting() || message->FindRef("refs", &ref) != B_OK)
		return;
	void* target = nullptr;
	message->FindPointer(kSourceWindowField, &target);
	if (target != nullptr)
		loader->GiveUp(target);
	if (AnimationLoader::IsLarge(ref)) {
		loader->Start(ref, target, BMessenger(this));
		return;
	}
	try {
		LoadedAnimation animation = ReadAnimation(ref);
		Open(animation, target);
	} catch (FormatException& error) {
		ShowError(error.GetMessage());
	}
}

void ZoetraApp::AnimationLoaded(BMessage* message)
{
	int64 load = 0;
	AnimationLoader::Result result;
	if (message->FindInt64(kLoadField, &load) == B_OK && loader->Take(load, &result)) {
		if (result.animation.data != nullptr)
			Open(result.animation, result.target);
		else
			ShowError(result.refusal.c_str());
	}
	if (emptyWindowPending && !loader->Busy()) {
		emptyWindowPending = false;
		OpenEmptyWindowIfNone();
	}
}

void ZoetraApp::Open(LoadedAnimation& animation, void* target)
{
	if (target == nullptr || !HandOverToWindow(target, animation))
		OpenInNewWindow(animation);
}

bool ZoetraApp::HandOverToWindow(void* window, LoadedAnimation& animation)
{
	bool taken = false;
	roster.WithWindow(window, [&](PlayerWindow* player) {
		taken = player->SetData(animation.data, animation.size, animation.name);
	});
	return taken;
}

void ZoetraApp::OpenInNewWindow(LoadedAnimation& animation)
{
	PlayerWindow* window = new PlayerWindow(animation.name);
	window->Show();
	if (!window->SetData(animation.data, animation.size, animation.name))
		delete[] animation.data;
}

// Every play thread ends before the windows are quit and their views destroyed. The stops
// run on the windows' KillLoopers, which serialise them with drags and hand-overs, and the
// application thread waits for them without holding the roster's lock.
void ZoetraApp::StopAllPlayers()
{
	const sem_id done = create_sem(0, "zoetra_quit");
	int32 posted = 0;
	roster.ForEachNewestFirst([&](PlayerWindow* window) {
		BMessage stop(kStopForQuit);
		stop.AddInt32(kStopDoneField, done);
		KillLooper* looper = window->GetKillLooper();
		if (looper == nullptr)
			return;
		status_t status;
		while ((status = looper->PostMessage(&stop)) == B_WOULD_BLOCK)
			snooze(1000);
		if (status == B_OK)
			posted++;
	});
	for (int32 i = 0; i < posted; i++)
		acquire_sem(done);
	delete_sem(done);
}

bool ZoetraApp::QuitRequested()
{
	StopAllPlayers();
	return true;
}

void ZoetraApp::ShowError(const char* text)
{
	BAlert* alert =
		new BAlert("Error", text, "Cancel", NULL, NULL, B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->Go();
}

// A request while the About window shows brings it to the front; when the window has
// gone, or is going, the post fails and a new one is made.
void ZoetraApp::AboutRequested()
{
	if (infoWindow != nullptr && infoMessenger.SendMessage(kAboutActivate) == B_OK)
		return;
	infoWindow = new InfoWindow();
	infoMessenger = BMessenger(infoWindow);
	infoWindow->Show();
}

void ZoetraApp::MessageReceived(BMessage* message)
{
	if (message->what == kAnimationLoaded) {
		AnimationLoaded(message);
		return;
	}
	if (message->what == kAboutClosed) {
		void* closed = nullptr;
		if (message->FindPointer("window", &closed) == B_OK && closed == infoWindow) {
			infoWindow = nullptr;
			infoMessenger = BMessenger();
		}
	}
	BApplication::MessageReceived(message);
}
