// FliView: the animation view of a player window and the engine that plays into it.
//
// One view plays one animation buffer (a whole FLI file, new uint8[]) on a play thread of
// its own, "fli_thread" at priority 100: it clears its frame buffer to black, then decodes
// frame after frame with fli/, draws each scaled to its bounds, sleeps the frame delay,
// and loops through the ring frame until it is stopped.
//
// States (fliData, playThread, play state):
//   Empty (null, 0, STOP) -SetData-> Playing (buffer, id, PLAY) -Stop-> Stopping (STOP)
//   -> Stopped (buffer, 0, STOP) -SetData-> Playing with the new buffer.
//
// Locks:
//   controlLock serialises SetData and Stop. Both wait for the play thread, and the play
//   thread needs the window's lock for every frame, so their caller must not hold the
//   window's lock: run them on the application thread or on the window's kill looper,
//   never on the window thread. controlLock is never taken with the window lock held.
//   The play thread holds the window lock around each decode, draw and Sync, and reads
//   the play state only after unlocking: the play-state guard and the window lock are
//   never nested. fieldLock and the buffer registry's lock are leaves, held for a few
//   loads and stores (or one copy) and never while waiting for anything.
//   Nesting that occurs: controlLock -> fieldLock, controlLock -> registry lock, window
//   lock -> fieldLock (MouseDown). Nothing is ever taken in the other direction.
//
// Keys (KeyDown, on the window thread): the play thread's commands are queued under
// commandLock, a leaf, and the play thread is woken through wakeSem; nothing waits for it.
// While paused it sleeps on wakeSem with no timeout, and the window's title shows the
// position ("NAME — frame K of N"); on resume, and when the thread ends, the plain name
// (plainTitle) is back. Keys for the window's layout (full screen, zoom) go to the window
// as messages of PlayerMessages.h. The aspect mode is read and set under the window's lock.
//
// Drags: the FLI_DRAG message names this view's buffer; the receiving looper copies it with
// CopyAnimation (AnimationBuffers.h), which refuses a buffer freed or replaced meanwhile.
// Drops the view takes go up the handler chain to its window, which passes files to the
// application and dragged animations to the looper that loads them off the window thread.
#pragma once

#include <Bitmap.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include <deque>
#include <mutex>
#include <string>

class PlayCursor;
struct PlayControl;

class FliView : public BView {
public:
	static constexpr int16 STOP = 0;
	static constexpr int16 PLAY = 1;

	// What the keys ask of the play thread.
	enum PlayCommand : int32 {
		kTogglePause,
		kStepForward, // pauses first
		kStepBack, // pauses first
		kGoHome, // keeps the pause state
		kSlower,
		kFaster,
		kFileSpeed,
	};

	// How the picture fills the view: stretched to it, or kept at 8:5 or 4:3 with black
	// bars around it.
	enum AspectMode : int32 {
		kStretch,
		kKeep8By5,
		kKeep4By3,
	};

	// The frame must give bounds of 320 x 200 pixels: the bitmap then holds exactly the
	// rows of 320 that the decoder writes. Makes an Empty view that shows white.
	FliView(BRect frame, BWindow* window);
	// Frees the bitmap, the semaphores and the animation buffer. A view must be Empty or
	// Stopped by then (the window's close protocol stops it first); as a safety net a
	// thread still playing is stopped here, unless the caller holds the window's lock
	// (a view destroyed with its window), where waiting would deadlock.
	virtual ~FliView();

	// Drops: files ('DATA', '_RRC' with "refs") go on up the handler chain to the window as
	// B_REFS_RECEIVED, animations dragged from another window (FLI_DRAG) go on unchanged;
	// such messages not dropped or without "refs", and drags from this window, end here.
	virtual void MessageReceived(BMessage* message);
	// The whole frame buffer, scaled into the bounds; the update rectangle is not used.
	virtual void Draw(BRect updateRect);
	// Activates the window, or drags the playing animation out.
	virtual void MouseDown(BPoint where);
	// The player's keys, without modifiers: Space, . , and the arrows, Home, - + = and
	// Backspace go to the play thread; A changes the aspect; F, F11, Escape and 1 to 4
	// go to the window as requests.
	virtual void KeyDown(const char* bytes, int32 numBytes);

	// Takes the buffer over, stops and frees the earlier one, and plays the new one. A
	// null buffer leaves the view Stopped (or Empty). Sizes past 32 bits are cut to 32.
	// A `title` retitles the window once the earlier play thread has ended.
	void SetData(unsigned char* data, unsigned long size, const char* title = nullptr);
	// Ends play and returns once the play thread has ended; nothing without a thread.
	void Stop();

	// Queues a command for the play thread and wakes it; never waits. Ignored when no
	// thread plays.
	void PostPlayCommand(PlayCommand command);

	// Sets the aspect mode and redraws; the caller holds the window's lock.
	void SetAspect(AspectMode mode);
	// Where the picture goes in `bounds` for `mode`, in whole pixels, centred.
	static BRect PictureFrame(BRect bounds, AspectMode mode);

	// The play-state guard: a benaphore, no kernel call while uncontended.
	int16 GetState();
	void SetState(int16 state);

	// The FLI_DRAG message of a drag out of this view; false (nothing added) when no
	// animation plays.
	bool MakeDragMessage(BMessage* message) const;

	// Frame decoding into the bitmap's pixels through the palette, bounded by the end of
	// the animation buffer (fliData + fliSize); fli/ does the work.
	void DecodeFrame(const unsigned char* frame);
	void DecodeChunk(const unsigned char* chunk);
	void DecodeFLI_COLOR(const unsigned char* data);
	void DecodeFLI_LC(const unsigned char* data);
	void DecodeFLI_BLACK(const unsigned char* data);
	void DecodeFLI_BRUN(const unsigned char* data);
	void DecodeFLI_COPY(const unsigned char* data);
	void Clear(unsigned long value);

protected:
	// Test seams; the defaults are the behaviour. Called with the window locked, on the
	// play thread, right after a frame has been decoded.
	virtual void FrameDecoded(const unsigned char* frame);
	// Makes the play thread, suspended.
	virtual thread_id SpawnPlayThread();

	BWindow* window;
	BBitmap* bitmap;
	uint8* fliData;
	uint32 fliSize;
	thread_id playThread;
	int16 playState;
	sem_id stateSem;
	int32 stateCount;
	uint32 palette[256];
	// Wakes the play thread from its frame delay, or its pause, for Stop and for commands.
	sem_id wakeSem;

private:
	void Start();
	static int32 PlayThread(void* data);
	void Play();
	void StopPlayThread();
	void WaitForNextFrame(PlayCursor& cursor, PlayControl& control);
	bool RunCommands(PlayCursor& cursor, PlayControl& control);
	void ShowFrame(const unsigned char* frame);
	void ShowRebuiltPicture(const PlayCursor& cursor);
	void ShowPosition(const PlayCursor& cursor, const PlayControl& control);
	void RestorePlainTitle();
	void ReleaseBuffer();
	uint32* FrameBuffer() const;
	bool CallerHoldsWindowLock() const;
	void ForwardDroppedFiles(BMessage* message);
	void ForwardDraggedAnimation(BMessage* message);

	// The buffer's generation in the registry of live buffers (AnimationBuffers.h).
	uint64 fliGeneration;
	// Serialises SetData and Stop against each other.
	std::mutex controlLock;
	// Guards fliData, fliSize, fliGeneration, playThread and plainTitle against MouseDown's
	// reads.
	mutable std::mutex fieldLock;
	// The window's title without the position, as play started. Written by Start alone,
	// before it makes the play thread: that thread and Stop read it without the lock.
	std::string plainTitle;
	// Set by the play thread when the title shows the position; read once it has ended.
	bool positionShown;
	// Guards commands; a leaf.
	std::mutex commandLock;
	std::deque<PlayCommand> commands;
	AspectMode aspect;
};
