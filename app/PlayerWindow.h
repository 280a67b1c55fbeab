// PlayerWindow: the window in which one animation plays, with its File menu.
#pragma once

#include "KillLooper.h"

#include <Window.h>

#include <atomic>

class BFilePanel;
class BMenuBar;
class FliView;

// Message codes of the File menu.
enum {
	kNewWindow = 'FInw',
	kShowOpenPanel = 'FIop',
};

class PlayerWindow : public BWindow {
public:
	// Hidden until its creator calls Show(); a null title makes an "Untitled N" window.
	explicit PlayerWindow(const char* title);
	~PlayerWindow() override;

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;

	FliView* GetFliView() const;
	KillLooper* GetKillLooper() const;

	// Hands an accepted buffer to the window's KillLooper, which stops the current
	// animation, retitles the window with `title` and plays the buffer. Never waits.
	// False when the window has no KillLooper yet, the size does not fit a buffer's 32-bit
	// length, or the hand-over could not be posted: the buffer then still belongs to the
	// caller.
	bool SetData(unsigned char* data, unsigned long size, const char* title);

	void SetWindowName(long number);

private:
	long Register(bool untitled);
	void Unregister();
	// Attaches the bar, which then fits its height to the menu font.
	BMenuBar* AddMenuBar();
	void New();
	void Open();
	void Refs(BMessage* message);
	bool TakesDrop(const BMessage* message) const;
	// Full screen shows the view alone, over the whole screen; back, the bar is above it.
	void ShowFullScreen(bool fullScreen);
	// The window sized so that the picture shows at `zoom` times 320 x 200, or the largest
	// such size the screen holds.
	void ZoomPicture(int32 zoom);
	float MenuBarSpace() const;

	BMenuBar* menuBar;
	FliView* fliView;
	// Atomic because the application may look a window up while another thread is still
	// constructing it (a window registers before it has made its KillLooper).
	std::atomic<KillLooper*> killLooper;

	static BFilePanel* filePanel;
};
