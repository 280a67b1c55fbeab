// KillLooper: the thread of a player window that may wait for the window's play thread.
#pragma once

#include <Looper.h>

#include <mutex>

class FliView;

// Message codes the KillLooper handles.
enum {
	// Close request; replied to with kWindowMayClose once play has stopped.
	kKillThread = 'KIth',
	kWindowMayClose = 'CLwn',
	// A buffer the application has read for this window: kAnimationDataField (owned, handed
	// over with the message), kAnimationSizeField and kTitleField (PlayerMessages.h).
	kLoadAnimation = 'FLld',
	// The application quits: stop for good and release the semaphore kStopDoneField (int32).
	kStopForQuit = 'KIst',
};
// It also takes FLI_DRAG, an animation dragged from another window (PlayerMessages.h).

// Every Stop and SetData of the window's view runs here, never on the window thread,
// whose lock the play thread needs for every frame. The looper handles one message at a
// time, so hand-overs, drags and close requests to one view are serialised.
class KillLooper : public BLooper {
public:
	explicit KillLooper(FliView* view);
	~KillLooper() override;

	void MessageReceived(BMessage* message) override;

	// Called by the window's destructor before the view is destroyed: from then on every
	// message is answered without touching the view.
	void DropView();

private:
	void KillThread(BMessage* message);
	void LoadDraggedAnimation(BMessage* message);
	void LoadAnimation(BMessage* message);
	void StopForQuit(BMessage* message);
	// Stops play and remembers that the window is closing: later loads are refused, so no
	// play thread starts in a window that is about to go.
	void StopForGood();
	// Plays `data` (taken over) under `title`; frees it instead when the window is closing.
	void Play(unsigned char* data, uint32 size, const char* title);

	// Guards fliView and closing against DropView on the window thread.
	std::mutex viewLock;
	FliView* fliView;
	bool closing;
};
