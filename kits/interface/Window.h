// BWindow: a looper with a thread of its own and a real window on the desktop.
#pragma once

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class BMenu;
class BMenuBar;
class BMenuItem;
class BView;
namespace zoetra::display {
class DisplayWindow;
struct MenuItemModel;
}
namespace BPrivate {
class WindowEventsBridge;
class WindowPrivate;
}

// The window's state that its owner reads (title, frame, limits, hidden) lives here, so
// getters answer at once and agree with the last setter; each change is forwarded to the
// native window. Title(), SetTitle(), Frame() and Bounds() may be used from any thread;
// the rest, like every BView call, needs the window's lock.
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	// Runs on the window's thread when the window quits; deletes its views.
	virtual ~BWindow();

	// The first Show() starts the window's thread.
	virtual void Show();
	virtual void Hide();
	bool IsHidden() const;
	virtual void Minimize(bool minimize);
	bool IsMinimized() const;
	void Activate(bool active = true);
	bool IsActive() const;
	// Takes the native window down and ends the window's thread after the message at
	// hand; the window is destroyed on that thread.
	virtual void Quit();

	void SetTitle(const char* title);
	// The pointer stays valid until the window is destroyed.
	const char* Title() const;
	// The content area in screen coordinates, and the same size at (0, 0).
	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	// Clamped to the size limits. The new bounds hold at once.
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
	void GetSizeLimits(float* minWidth, float* maxWidth, float* minHeight, float* maxHeight) const;
	// Zoetra's own: the window covers the screen, without its frame or its key menu bar's
	// native bar, or goes back to its earlier frame. The new size arrives as a resize.
	void SetFullScreen(bool fullScreen);
	bool IsFullScreen() const;
	void SetZoomLimits(float maxWidth, float maxHeight);
	void GetZoomLimits(float* maxWidth, float* maxHeight) const;

	window_look Look() const { return fLook; }
	window_feel Feel() const { return fFeel; }
	uint32 Flags() const { return fFlags; }
	uint32 Workspaces() const { return fWorkspaces; }

	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* FindView(BPoint point) const;
	BView* CurrentFocus() const;
	BMenuBar* KeyMenuBar() const;
	void SetKeyMenuBar(BMenuBar* bar);

	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;

	// Draws what is invalid now instead of after the current message.
	void UpdateIfNeeded();
	void Flush() const;
	void Sync() const;

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	virtual void MenusBeginning();

private:
	friend class BView;
	friend class BMenu;
	friend class BMenuBar;
	friend class BMenuItem;
	friend class BPrivate::WindowEventsBridge;
	friend class BPrivate::WindowPrivate;

	void Init(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
		uint32 workspace);
	bool HandleKitMessage(BMessage* message);
	void HandleMouseDown(BMessage* message);
	void HandleMouseUp(BMessage* message);
	void HandleKeyDown(BMessage* message);
	void HandleResized(BMessage* message);
	void HandleMoved(BMessage* message);
	void HandleDrop(BMessage* message);
	void HandleMenuItem(BMessage* message);
	void ApplyContentSize(float width, float height);
	void InvalidateWindowRect(BRect rect);
	void DrawInvalid();
	void SendGeometry();
	void MenuBarChanged();
	BMenuItem* FindMenuItem(int32 id) const;
	static void AddMenuModels(const BMenu* menu, std::vector<zoetra::display::MenuItemModel>& out);
	static BMenuItem* FindItemById(const BMenu* menu, int32 id);
	zoetra::display::DisplayWindow& Display() const { return *fDisplay; }

	std::unique_ptr<zoetra::display::DisplayWindow> fDisplay;
	BView* fTopView;
	BView* fFocus;
	BMenuBar* fKeyMenuBar;

	mutable std::mutex fStateMutex;
	std::deque<std::string> fTitles; // every title this window had; Title() points at the last
	BRect fFrame;
	uint64 fGeometrySerial;

	window_look fLook;
	window_feel fFeel;
	uint32 fFlags;
	uint32 fWorkspaces;
	float fMinWidth, fMaxWidth, fMinHeight, fMaxHeight;
	float fMaxZoomWidth, fMaxZoomHeight;
	int32 fShowLevel;
	bool fStarted;
	bool fFullScreen;
	BRect fFrameBeforeFullScreen;
	std::atomic<bool> fMinimized;
	std::atomic<bool> fActive;

	// The invalid area in window coordinates, drawn after the current message.
	BRect fInvalid;
	std::atomic<bool> fUpdatePosted;
	BRect fUpdateClip;
	bool fInUpdate;
};
