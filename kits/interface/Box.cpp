// BBox: plain, fancy (etched) and absent borders in tints of the view colour.
#include <Box.h>

BBox::BBox(BRect frame, const char* name, uint32 resizingMode, uint32 flags, border_style border)
	: BView(frame, name, resizingMode, flags),
	  fBorder(border)
{
	SetViewColor(ui_color(B_PANEL_BACKGROUND_COLOR));
	SetLowColor(ViewColor());
}

BBox::~BBox() = default;

void BBox::Draw(BRect)
{
	const BRect bounds = Bounds();
	const rgb_color high = HighColor();
	switch (fBorder) {
		case B_PLAIN_BORDER:
			SetHighColor(tint_color(ViewColor(), B_DARKEN_2_TINT));
			StrokeRect(bounds);
			break;
		case B_FANCY_BORDER: {
			// An etched line: dark outside, light one pixel in.
			SetHighColor(tint_color(ViewColor(), B_DARKEN_2_TINT));
			StrokeRect(BRect(bounds.left, bounds.top, bounds.right - 1, bounds.bottom - 1));
			SetHighColor(tint_color(ViewColor(), B_LIGHTEN_MAX_TINT));
			StrokeLine(BPoint(bounds.left + 1, bounds.bottom - 1),
				BPoint(bounds.left + 1, bounds.top + 1));
			StrokeLine(
				BPoint(bounds.left + 1, bounds.top + 1), BPoint(bounds.right - 2, bounds.top + 1));
			StrokeLine(BPoint(bounds.left, bounds.bottom), BPoint(bounds.right, bounds.bottom));
			StrokeLine(BPoint(bounds.right, bounds.top), BPoint(bounds.right, bounds.bottom));
			break;
		}
		case B_NO_BORDER:
			break;
	}
	SetHighColor(high);
}

void BBox::FrameResized(float, float)
{
	// The border runs along the edges: a new size moves all of it.
	Invalidate();
}
