// BView: the view tree, coordinates, resizing modes, and drawing into the window's backing store.
#include <View.h>

#include <Bitmap.h>
#include <Errors.h>
#include <Message.h>
#include <Window.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "DisplayWindow.h"
#include "private/interface/ViewGeometry.h"

using BPrivate::ToPixels;
using zoetra::display::PixelPlane;
using zoetra::display::PixelRect;

namespace {

uint32 ToPixel(rgb_color color)
{
	return 0xff000000u | uint32(color.red) << 16 | uint32(color.green) << 8 | uint32(color.blue);
}

// True for a message or any message nested in it that carries a pointer field.
bool CarriesPointers(const BMessage& message)
{
	if (message.CountNames(B_POINTER_TYPE) > 0)
		return true;
	const int32 nested = message.CountNames(B_MESSAGE_TYPE);
	for (int32 i = 0; i < nested; i++) {
		char* name = nullptr;
		type_code type;
		int32 count = 0;
		if (message.GetInfo(B_MESSAGE_TYPE, i, &name, &type, &count) != B_OK)
			continue;
		for (int32 j = 0; j < count; j++) {
			BMessage inner;
			if (message.FindMessage(name, j, &inner) == B_OK && CarriesPointers(inner))
				return true;
		}
	}
	return false;
}

} // namespace

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name),
	  fFrame(frame),
	  fResizingMode(resizingMode),
	  fFlags(flags),
	  fParent(nullptr),
	  fWindow(nullptr),
	  fViewColor(make_color(255, 255, 255)),
	  fHighColor(make_color(0, 0, 0)),
	  fLowColor(make_color(255, 255, 255)),
	  fDrawingMode(B_OP_COPY),
	  fFont(be_plain_font),
	  fPen(0, 0),
	  fHideLevel(0)
{
}

BView::~BView()
{
	for (BView* child : fChildren) {
		child->fParent = nullptr;
		delete child;
	}
	fChildren.clear();
}

void BView::AttachedToWindow()
{
}
void BView::AllAttached()
{
}
void BView::DetachedFromWindow()
{
}
void BView::AllDetached()
{
}
void BView::Draw(BRect)
{
}
void BView::MouseDown(BPoint)
{
}
void BView::MouseUp(BPoint)
{
}
void BView::MouseMoved(BPoint, uint32, const BMessage*)
{
}
void BView::KeyUp(const char*, int32)
{
}
void BView::FrameMoved(BPoint)
{
}
void BView::FrameResized(float, float)
{
}
void BView::WindowActivated(bool)
{
}

void BView::KeyDown(const char*, int32)
{
	// Keys the view does not want go to the window, which may have a use for them.
}

void BView::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

void BView::MakeFocus(bool focus)
{
	if (!fWindow)
		return;
	if (focus)
		fWindow->fFocus = this;
	else if (fWindow->fFocus == this)
		fWindow->fFocus = nullptr;
}

bool BView::IsFocus() const
{
	return fWindow && fWindow->fFocus == this;
}

// The view tree of a window belongs to the thread that holds the window's lock.
void BView::AddChild(BView* child, BView* before)
{
	if (fWindow)
		fWindow->AssertLocked();
	if (!child || child->fParent || child->fWindow || child == this)
		return;
	auto position = std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(position, child);
	child->fParent = this;
	if (fWindow) {
		child->AttachTo(fWindow);
		child->CallAttached();
		child->Invalidate();
	}
}

bool BView::RemoveChild(BView* child)
{
	if (fWindow)
		fWindow->AssertLocked();
	auto found = std::find(fChildren.begin(), fChildren.end(), child);
	if (found == fChildren.end())
		return false;
	if (fWindow) {
		child->Invalidate();
		child->DetachFrom();
	}
	fChildren.erase(found);
	child->fParent = nullptr;
	return true;
}

bool BView::RemoveSelf()
{
	if (fParent)
		return fParent->RemoveChild(this);
	return fWindow && fWindow->RemoveChild(this);
}

int32 BView::CountChildren() const
{
	return int32(fChildren.size());
}

BView* BView::ChildAt(int32 index) const
{
	return index >= 0 && index < CountChildren() ? fChildren[size_t(index)] : nullptr;
}

BView* BView::Parent() const
{
	// A view added to the window itself has no parent view: the window's top view is hidden.
	return fWindow && fParent == fWindow->fTopView ? nullptr : fParent;
}

BView* BView::FindView(const char* name) const
{
	if (!name)
		return nullptr;
	for (BView* child : fChildren) {
		if (child->Name() && std::strcmp(child->Name(), name) == 0)
			return child;
		if (BView* found = child->FindView(name))
			return found;
	}
	return nullptr;
}

BWindow* BView::Window() const
{
	return fWindow;
}

// What a view does not handle goes on to its parent view, or to the window for a view
// with none (the window's own top view included).
void BView::AttachTo(BWindow* window)
{
	fWindow = window;
	window->AddHandler(this);
	SetNextHandler(ChainParent());
	for (BView* child : fChildren)
		child->AttachTo(window);
}

void BView::CallAttached()
{
	AttachedToWindow();
	for (BView* child : fChildren)
		child->CallAttached();
	AllAttached();
}

void BView::DetachFrom()
{
	for (BView* child : fChildren)
		child->DetachFrom();
	DetachedFromWindow();
	AllDetached();
	if (fWindow->fFocus == this)
		fWindow->fFocus = nullptr;
	if (NextHandler() == ChainParent())
		SetNextHandler(nullptr);
	fWindow->RemoveHandler(this);
	fWindow = nullptr;
}

BHandler* BView::ChainParent() const
{
	if (BView* parent = Parent())
		return parent;
	return fWindow;
}

BRect BView::Frame() const
{
	return fFrame;
}

BRect BView::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BView::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}

void BView::MoveTo(float x, float y)
{
	if (x == fFrame.left && y == fFrame.top)
		return;
	Invalidate();
	fFrame.OffsetTo(x, y);
	Invalidate();
	if (fWindow)
		FrameMoved(fFrame.LeftTop());
}

void BView::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}

void BView::ResizeTo(float width, float height)
{
	const float dx = width - fFrame.Width(), dy = height - fFrame.Height();
	if (dx == 0 && dy == 0)
		return;
	Invalidate();
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	LayoutChildren(dx, dy);
	Invalidate();
	FrameResized(width, height);
}

void BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}

void BView::ParentResized(float dx, float dy)
{
	const BRect before = fFrame;
	fFrame = BPrivate::FollowParent(fFrame, fResizingMode, dx, dy);
	const float childDx = fFrame.Width() - before.Width(),
				childDy = fFrame.Height() - before.Height();
	LayoutChildren(childDx, childDy);
	if (fFrame.LeftTop() != before.LeftTop())
		FrameMoved(fFrame.LeftTop());
	// Every view that changed size hears of it, whatever its flags: the system's views
	// count on FrameResized to learn their new size.
	if (childDx != 0 || childDy != 0)
		FrameResized(fFrame.Width(), fFrame.Height());
}

void BView::LayoutChildren(float dx, float dy)
{
	if (dx == 0 && dy == 0)
		return;
	for (BView* child : fChildren)
		child->ParentResized(dx, dy);
}

uint32 BView::ResizingMode() const
{
	return fResizingMode;
}

void BView::SetResizingMode(uint32 mode)
{
	fResizingMode = mode;
}

uint32 BView::Flags() const
{
	return fFlags;
}

void BView::SetFlags(uint32 flags)
{
	fFlags = flags;
}

void BView::Hide()
{
	if (fHideLevel++ == 0)
		Invalidate();
}

void BView::Show()
{
	if (fHideLevel > 0 && --fHideLevel == 0)
		Invalidate();
}

bool BView::IsHidden() const
{
	for (const BView* view = this; view; view = view->fParent)
		if (view->fHideLevel > 0)
			return true;
	return false;
}

BPoint BView::OriginInWindow() const
{
	BPoint origin(0, 0);
	for (const BView* view = this; view; view = view->fParent)
		origin += view->fFrame.LeftTop();
	return origin;
}

BRect BView::VisibleInWindow() const
{
	BRect visible = Bounds().OffsetByCopy(OriginInWindow());
	for (const BView* view = fParent; view; view = view->fParent)
		visible = visible & view->Bounds().OffsetByCopy(view->OriginInWindow());
	return visible;
}

void BView::ConvertToScreen(BPoint* point) const
{
	*point = ConvertToScreen(*point);
}

BPoint BView::ConvertToScreen(BPoint point) const
{
	point += OriginInWindow();
	return fWindow ? fWindow->ConvertToScreen(point) : point;
}

void BView::ConvertToScreen(BRect* rect) const
{
	*rect = ConvertToScreen(*rect);
}

BRect BView::ConvertToScreen(BRect rect) const
{
	const BPoint offset = ConvertToScreen(BPoint(0, 0));
	return rect.OffsetByCopy(offset);
}

void BView::ConvertFromScreen(BPoint* point) const
{
	*point = ConvertFromScreen(*point);
}

BPoint BView::ConvertFromScreen(BPoint point) const
{
	return point - ConvertToScreen(BPoint(0, 0));
}

BRect BView::ConvertFromScreen(BRect rect) const
{
	return rect.OffsetByCopy(-ConvertToScreen(BPoint(0, 0)));
}

BPoint BView::ConvertToParent(BPoint point) const
{
	return point + fFrame.LeftTop();
}

BRect BView::ConvertToParent(BRect rect) const
{
	return rect.OffsetByCopy(fFrame.LeftTop());
}

BPoint BView::ConvertFromParent(BPoint point) const
{
	return point - fFrame.LeftTop();
}

BRect BView::ConvertFromParent(BRect rect) const
{
	return rect.OffsetByCopy(-fFrame.LeftTop());
}

void BView::SetViewColor(rgb_color color)
{
	fViewColor = color;
}

void BView::SetViewColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetViewColor(make_color(red, green, blue, alpha));
}

rgb_color BView::ViewColor() const
{
	return fViewColor;
}

void BView::SetHighColor(rgb_color color)
{
	fHighColor = color;
}

void BView::SetHighColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetHighColor(make_color(red, green, blue, alpha));
}

rgb_color BView::HighColor() const
{
	return fHighColor;
}

void BView::SetLowColor(rgb_color color)
{
	fLowColor = color;
}

void BView::SetLowColor(uint8 red, uint8 green, uint8 blue, uint8 alpha)
{
	SetLowColor(make_color(red, green, blue, alpha));
}

rgb_color BView::LowColor() const
{
	return fLowColor;
}

void BView::SetDrawingMode(drawing_mode mode)
{
	fDrawingMode = mode;
}

drawing_mode BView::DrawingMode() const
{
	return fDrawingMode;
}

void BView::SetFont(const BFont* font, uint32 mask)
{
	if (font)
		fFont.CopyFrom(*font, mask);
}

void BView::GetFont(BFont* font) const
{
	if (font)
		*font = fFont;
}

void BView::SetFontSize(float size)
{
	fFont.SetSize(size);
}

void BView::GetFontHeight(font_height* height) const
{
	fFont.GetHeight(height);
}

float BView::StringWidth(const char* string) const
{
	return fFont.StringWidth(string);
}

float BView::StringWidth(const char* string, int32 length) const
{
	return fFont.StringWidth(string, length);
}

void BView::MovePenTo(BPoint where)
{
	fPen = where;
}

void BView::MovePenTo(float x, float y)
{
	fPen.Set(x, y);
}

void BView::MovePenBy(float dx, float dy)
{
	fPen.x += dx;
	fPen.y += dy;
}

BPoint BView::PenLocation() const
{
	return fPen;
}

bool BView::CanDraw() const
{
	return fWindow && !IsHidden();
}

uint32 BView::PatternPixel(const pattern& fill) const
{
	// Patterns other than solid ones draw in the high colour: nothing here uses them.
	const bool low =
		std::all_of(std::begin(fill.data), std::end(fill.data), [](uint8 row) { return row == 0; });
	return ToPixel(low ? fLowColor : fHighColor);
}

// Where a drawing call writes: the window's canvas, clipped to the view's visible part (and
// during an update to the part being updated), with the view's origin in the window.
struct BView::DrawTarget {
	zoetra::display::Canvas& canvas;
	PixelRect clip;
	BPoint origin;
};

BView::DrawTarget BView::DrawingTarget() const
{
	// The canvas belongs to the thread that holds the window's lock.
	fWindow->AssertLocked();
	BRect clipRect = VisibleInWindow();
	if (fWindow->fInUpdate)
		clipRect = clipRect & fWindow->fUpdateClip;
	return {fWindow->Display().Surface(), ToPixels(clipRect), OriginInWindow()};
}

void BView::DrawString(const char* string, escapement_delta* delta)
{
	DrawString(string, string ? int32(std::strlen(string)) : 0, delta);
}

void BView::DrawString(const char* string, int32 length, escapement_delta*)
{
	if (!string || length <= 0)
		return;
	if (!CanDraw()) {
		fPen.x += StringWidth(string, length);
		return;
	}
	const DrawTarget target = DrawingTarget();
	const float advance = target.canvas.DrawString(fFont.Choice(), string, int(length),
		target.origin.x + fPen.x, target.origin.y + fPen.y, ToPixel(fHighColor), target.clip);
	fPen.x += advance;
}

void BView::DrawString(const char* string, BPoint where, escapement_delta* delta)
{
	MovePenTo(where);
	DrawString(string, delta);
}

void BView::StrokeRect(BRect rect, pattern fill)
{
	if (!CanDraw() || !rect.IsValid())
		return;
	const DrawTarget target = DrawingTarget();
	target.canvas.StrokeRect(
		ToPixels(rect.OffsetByCopy(target.origin)), PatternPixel(fill), target.clip);
}

void BView::FillRect(BRect rect, pattern fill)
{
	if (!CanDraw() || !rect.IsValid())
		return;
	const DrawTarget target = DrawingTarget();
	target.canvas.FillRect(
		ToPixels(rect.OffsetByCopy(target.origin)), PatternPixel(fill), target.clip);
}

void BView::StrokeLine(BPoint start, BPoint end, pattern fill)
{
	fPen = end;
	if (!CanDraw())
		return;
	const DrawTarget target = DrawingTarget();
	const PixelRect first = ToPixels(BRect(start + target.origin, start + target.origin));
	const PixelRect last = ToPixels(BRect(end + target.origin, end + target.origin));
	target.canvas.StrokeLine(
		first.left, first.top, last.left, last.top, PatternPixel(fill), target.clip);
}

void BView::StrokeLine(BPoint end, pattern fill)
{
	StrokeLine(fPen, end, fill);
}

void BView::DrawBitmap(const BBitmap* bitmap)
{
	if (bitmap)
		DrawBitmap(bitmap, bitmap->Bounds(), bitmap->Bounds().OffsetToCopy(0, 0));
}

void BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	if (bitmap)
		DrawBitmap(bitmap, bitmap->Bounds(), bitmap->Bounds().OffsetToCopy(where));
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect destination)
{
	if (bitmap)
		DrawBitmap(bitmap, bitmap->Bounds().OffsetToCopy(0, 0), destination);
}

void BView::DrawBitmap(const BBitmap* bitmap, BRect source, BRect destination)
{
	if (!bitmap || !bitmap->IsValid() || !CanDraw() || !destination.IsValid())
		return;
	const DrawTarget target = DrawingTarget();
	const BRect bounds = bitmap->Bounds();
	const PixelPlane plane{static_cast<uint32*>(bitmap->Bits()), bounds.IntegerWidth() + 1,
		bounds.IntegerHeight() + 1, bitmap->BytesPerRow()};
	target.canvas.DrawBitmap(
		plane, ToPixels(source), ToPixels(destination.OffsetByCopy(target.origin)), target.clip);
}

void BView::Invalidate(BRect rect)
{
	if (fWindow && rect.IsValid())
		fWindow->InvalidateWindowRect(rect.OffsetByCopy(OriginInWindow()) & VisibleInWindow());
}

void BView::Invalidate()
{
	Invalidate(Bounds());
}

void BView::Flush() const
{
	if (fWindow)
		fWindow->Flush();
}

void BView::Sync() const
{
	if (fWindow)
		fWindow->Sync();
}

void BView::DragMessage(BMessage* message, BRect dragRect, BHandler*)
{
	if (!message || !fWindow)
		return;
	const ssize_t size = message->FlattenedSize();
	if (size <= 0)
		return;
	std::vector<uint8_t> bytes(static_cast<size_t>(size));
	if (message->Flatten(reinterpret_cast<char*>(bytes.data()), size) != B_OK)
		return;
	const PixelRect area = ToPixels(dragRect.OffsetByCopy(OriginInWindow()));
	fWindow->Display().StartDrag(bytes, area, CarriesPointers(*message));
}

BView* BView::ViewAt(BPoint windowPoint)
{
	if (IsHidden() || !VisibleInWindow().Contains(windowPoint))
		return nullptr;
	// Later children lie on top of earlier ones.
	for (auto child = fChildren.rbegin(); child != fChildren.rend(); ++child)
		if (BView* found = (*child)->ViewAt(windowPoint))
			return found;
	return this;
}

void BView::UpdateTree(BRect windowRect)
{
	if (IsHidden())
		return;
	const BRect area = windowRect & VisibleInWindow();
	if (!area.IsValid())
		return;
	fWindow->fUpdateClip = area;
	// An update (a first draw, an expose, a resize) puts back all of what it covers, even
	// where a view draws a picture that did not change since it last drew it.
	fWindow->Display().Surface().Forget(ToPixels(area));
	if (fViewColor != B_TRANSPARENT_32_BIT) {
		const PixelRect clip = ToPixels(area);
		fWindow->Display().Surface().FillRect(clip, ToPixel(fViewColor), clip);
	}
	if (fFlags & B_WILL_DRAW)
		Draw(area.OffsetByCopy(-OriginInWindow()));
	for (BView* child : fChildren)
		child->UpdateTree(windowRect);
}
