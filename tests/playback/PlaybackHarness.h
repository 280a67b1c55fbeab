// Runs the playback tests inside a live application: the display loop on the main thread,
// the application thread as the target of dropped files, and the tests on a thread of
// their own that, like the application thread, holds no window lock.
#pragma once

#include <Application.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>
#include <Window.h>

#include <FliView.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "EventLog.h"
#include "FliBuilder.h"

namespace zoetra::testing {

// Every refs-received message the application got, in order of arrival.
std::vector<BMessage> ReceivedRefs();

// The tests' main: runs every test inside a live application, offscreen or on a private
// Xvfb (when it cannot start there, OnRealDisplay() is false and such tests skip).
int RunPlaybackTests(int argc, char** argv, bool onXvfb);

// Whether the tests run in a real X server (Xvfb) rather than offscreen.
bool OnRealDisplay();

// A FliView that reports what its play thread does; its behaviour is FliView's own.
class ProbeView : public FliView {
public:
	ProbeView(BRect frame, BWindow* window);

	struct Decoded {
		size_t offset; // of the frame in the animation buffer
		bigtime_t when; // system_time() when it had been decoded
	};
	std::vector<Decoded> DecodedFrames();
	std::vector<size_t> DecodedOffsets();
	// Waits (bounded) until at least `count` frames have been decoded since the last SetData.
	bool WaitForFrames(size_t count, std::chrono::milliseconds bound = std::chrono::seconds(20));
	void ForgetFrames();
	// Draws the play thread made, and how many of them showed an all-black frame buffer.
	int PlayThreadDraws();
	int BlackPlayThreadDraws();

	// The frame buffer as it was right after the given decoded frames (counted from 0
	// since the last ForgetFrames); asked for before play starts.
	void KeepPicturesAfter(std::vector<size_t> decodedIndices);
	std::vector<uint32> PictureAfter(size_t decodedIndex);

	// Stop's effect as it would come between Start and the play thread's first check:
	// the first draw of the play thread sets STOP.
	bool stopAtFirstDraw = false;
	// Makes spawning the play thread fail.
	bool failSpawn = false;

	uint8* Data() const { return fliData; }
	uint32 Size() const { return fliSize; }
	thread_id Thread() const { return playThread; }
	sem_id StateSemaphore() const { return stateSem; }
	sem_id WakeSemaphore() const { return wakeSem; }
	int32* StateCounter() { return &stateCount; }
	const uint32* Pixels() const;

	void Draw(BRect updateRect) override;
	// Logs "mouse down" once FliView's MouseDown has run (and started a drag, if any).
	void MouseDown(BPoint where) override;
	EventLog mouseLog;

protected:
	void FrameDecoded(const unsigned char* frame) override;
	thread_id SpawnPlayThread() override;

private:
	std::mutex fMutex;
	std::condition_variable fChanged;
	std::vector<Decoded> fDecoded;
	std::vector<size_t> fKeepAfter;
	std::map<size_t, std::vector<uint32>> fPictures;
	int fPlayDraws = 0;
	int fBlackPlayDraws = 0;
};

// A looper that stands in for a player window's kill looper: it keeps what it receives.
class RecordingLooper : public BLooper {
public:
	RecordingLooper();
	void MessageReceived(BMessage* message) override;
	std::vector<BMessage> Received();
	EventLog log;

private:
	std::mutex fMutex;
	std::vector<BMessage> fReceived;
};

// A shown window with one ProbeView of 320 x 200 and a recording kill looper. What the view
// passes up the handler chain it routes as a player window does: files to the application,
// naming itself, and dragged animations to its kill looper.
class PlaybackWindow : public BWindow {
public:
	explicit PlaybackWindow(const char* title, BRect frame = BRect(100, 100, 419, 299));
	void MessageReceived(BMessage* message) override;

	ProbeView* View() const { return fView; }
	RecordingLooper* Looper() const { return fLooper; }
	// Stops the view from this (non-window) thread, quits the window and waits for its end.
	bool Close();

private:
	ProbeView* fView;
	RecordingLooper* fLooper;
};

// Windows delete themselves when they quit, so tests hold them through this handle, which
// stops the view and closes the window however the test ends.
struct WindowCloser {
	void operator()(PlaybackWindow* window) const { window->Close(); }
};
using OpenWindow = std::unique_ptr<PlaybackWindow, WindowCloser>;
OpenWindow Open(const char* title, BRect frame = BRect(100, 100, 419, 299));
// Closes the window now; true once it has been destroyed.
bool Close(OpenWindow& window);

// A heap copy of `bytes`, as SetData takes it over.
unsigned char* HeapCopy(const std::vector<unsigned char>& bytes);
// A file of `frameCount` + 1 frames (the last is the ring frame) at `speed`, each frame
// one small colour chunk, so that frames are told apart by their offsets.
fli::test::Bytes CountedFile(int16_t frameCount, int16_t speed);
// Offsets of the frames of such a file, frame 0 first.
std::vector<size_t> FrameOffsets(const fli::test::Bytes& file, int count);
// data/demo.fli, the 64-frame animation with a ring frame.
std::vector<unsigned char> DemoFile();

} // namespace zoetra::testing
