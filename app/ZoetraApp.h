// ZoetraApp: the application object; opens documents, counts player windows, quits.
#pragma once

#include "WindowRoster.h"

#include <Application.h>
#include <Messenger.h>

#include <memory>

class AnimationLoader;
class InfoWindow;
class PlayerWindow;
struct LoadedAnimation;

// Sent by the About window as it closes: "window" (pointer) names it.
enum { kAboutClosed = 'ABcl' };

class ZoetraApp : public BApplication {
public:
	static const char* SIGNATURE;

	ZoetraApp();
	~ZoetraApp() override;

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;
	void ReadyToRun() override;
	void ArgvReceived(int32 argc, char** argv) override;
	void RefsReceived(BMessage* message) override;
	void AboutRequested() override;

	// From the constructor and destructor of every PlayerWindow, on any thread.
	int32 RegisterWindow(PlayerWindow* window, bool untitled);
	void UnregisterWindow(PlayerWindow* window);

private:
	void AnimationLoaded(BMessage* message);
	void Open(LoadedAnimation& animation, void* target);
	void OpenEmptyWindowIfNone();
	bool HandOverToWindow(void* window, LoadedAnimation& animation);
	void OpenInNewWindow(LoadedAnimation& animation);
	void StopAllPlayers();
	void ShowError(const char* text);

	WindowRoster roster;
	// Compared with the "window" of kAboutClosed, never dereferenced: the About window is
	// reached only through infoMessenger, which fails cleanly once the window is gone.
	InfoWindow* infoWindow;
	BMessenger infoMessenger;
	std::unique_ptr<AnimationLoader> loader;
	// ReadyToRun found no window while a large file was still being read.
	bool emptyWindowPending;
};
