// BView: a rectangle of a window that draws itself and takes the input aimed at it.
#pragma once

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

#include <vector>

class BBitmap;
class BMessage;
class BWindow;

// Mouse transit codes for MouseMoved.
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW,
	B_EXITED_VIEW,
	B_OUTSIDE_VIEW,
};

// Drawing calls need the window's lock (held by the window thread while it handles a
// message, or taken by another thread with Window()->Lock()); they paint into the
// window's backing store, clipped to the view, and reach the screen at the next Flush()
// (a window thread flushes after every message it handles) or Sync().
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	// Deletes the children, which must have been detached from a window by then or be
	// deleted with it.
	virtual ~BView();

	virtual void AttachedToWindow();
	virtual void AllAttached();
	virtual void DetachedFromWindow();
	virtual void AllDetached();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	virtual void KeyDown(const char* bytes, int32 numBytes);
	virtual void KeyUp(const char* bytes, int32 numBytes);
	virtual void FrameMoved(BPoint newPosition);
	virtual void FrameResized(float newWidth, float newHeight);
	virtual void WindowActivated(bool active);
	// In a window, what the view does not handle goes on to its parent, or to the window
	// for a view added to the window itself.
	virtual void MessageReceived(BMessage* message);
	virtual void MakeFocus(bool focus = true);
	bool IsFocus() const;

	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* Parent() const;
	BView* FindView(const char* name) const;
	BWindow* Window() const;

	// The frame is in the parent's coordinates; the bounds are the same size at (0, 0).
	BRect Frame() const;
	BRect Bounds() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	virtual void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	uint32 ResizingMode() const;
	void SetResizingMode(uint32 mode);
	uint32 Flags() const;
	void SetFlags(uint32 flags);
	void Hide();
	void Show();
	bool IsHidden() const;

	void ConvertToScreen(BPoint* point) const;
	BPoint ConvertToScreen(BPoint point) const;
	void ConvertToScreen(BRect* rect) const;
	BRect ConvertToScreen(BRect rect) const;
	void ConvertFromScreen(BPoint* point) const;
	BPoint ConvertFromScreen(BPoint point) const;
	BRect ConvertFromScreen(BRect rect) const;
	BPoint ConvertToParent(BPoint point) const;
	BRect ConvertToParent(BRect rect) const;
	BPoint ConvertFromParent(BPoint point) const;
	BRect ConvertFromParent(BRect rect) const;

	virtual void SetViewColor(rgb_color color);
	void SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color ViewColor() const;
	virtual void SetHighColor(rgb_color color);
	void SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color HighColor() const;
	virtual void SetLowColor(rgb_color color);
	void SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255);
	rgb_color LowColor() const;
	void SetDrawingMode(drawing_mode mode);
	drawing_mode DrawingMode() const;

	virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	void GetFontHeight(font_height* height) const;
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void MovePenTo(BPoint where);
	void MovePenTo(float x, float y);
	void MovePenBy(float dx, float dy);
	BPoint PenLocation() const;
	void DrawString(const char* string, escapement_delta* delta = NULL);
	void DrawString(const char* string, int32 length, escapement_delta* delta = NULL);
	void DrawString(const char* string, BPoint where, escapement_delta* delta = NULL);

	void StrokeRect(BRect rect, pattern fill = B_SOLID_HIGH);
	void FillRect(BRect rect, pattern fill = B_SOLID_HIGH);
	void StrokeLine(BPoint start, BPoint end, pattern fill = B_SOLID_HIGH);
	void StrokeLine(BPoint end, pattern fill = B_SOLID_HIGH);
	// Scaled to `destination` with nearest-neighbour sampling; the bitmap's alpha is ignored.
	void DrawBitmap(const BBitmap* bitmap);
	void DrawBitmap(const BBitmap* bitmap, BPoint where);
	void DrawBitmap(const BBitmap* bitmap, BRect destination);
	void DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination);

	void Invalidate(BRect rect);
	void Invalidate();
	void Flush() const;
	void Sync() const;

	// Starts a drag of a copy of `message` with an outline of `dragRect` (view
	// coordinates) under the pointer; call it from MouseDown while the button is down.
	// Dropped on a view of a window of this process, the copy arrives at that view's
	// MessageReceived with WasDropped() true, and goes up the handler chain from there.
	// A message with pointer fields is never handed to another process.
	void DragMessage(BMessage* message, BRect dragRect, BHandler* replyTo = NULL);

private:
	friend class BWindow;

	void AttachTo(BWindow* window);
	void DetachFrom();
	BHandler* ChainParent() const;
	void CallAttached();
	BPoint OriginInWindow() const;
	BRect VisibleInWindow() const;
	bool CanDraw() const;
	void ParentResized(float dx, float dy);
	void LayoutChildren(float dx, float dy);
	BView* ViewAt(BPoint windowPoint);
	void UpdateTree(BRect windowRect);
	uint32 PatternPixel(const pattern& fill) const;
	struct DrawTarget;
	DrawTarget DrawingTarget() const;

	BRect fFrame;
	uint32 fResizingMode;
	uint32 fFlags;
	BView* fParent;
	BWindow* fWindow;
	std::vector<BView*> fChildren;
	rgb_color fViewColor;
	rgb_color fHighColor;
	rgb_color fLowColor;
	drawing_mode fDrawingMode;
	BFont fFont;
	BPoint fPen;
	int32 fHideLevel;
};
