// BMenuBar: fits its height to the menu font and hands its menus to the native menu bar.
#include <MenuBar.h>

#include <Window.h>

#include <cmath>

namespace {

// Room above and below the menu labels, in pixels.
constexpr float kVerticalPadding = 3.0f;

} // namespace

BMenuBar::BMenuBar(
	BRect frame, const char* name, uint32 resizingMode, menu_layout layout, bool resizeToFit)
	: BMenu(name, layout),
	  fResizeToFit(resizeToFit)
{
	MoveTo(frame.LeftTop());
	BView::ResizeTo(frame.Width(), frame.Height());
	SetResizingMode(resizingMode);
	// The native bar paints these rows; the view itself draws nothing under it.
	SetViewColor(B_TRANSPARENT_32_BIT);
}

BMenuBar::~BMenuBar() = default;

float BMenuBar::PreferredHeight()
{
	font_height height;
	be_plain_font->GetHeight(&height);
	// H is the bounds height; the bar covers H + 1 rows: the text line, the padding, and
	// a bottom edge row.
	return std::ceil(height.ascent + height.descent + height.leading) + 2 * kVerticalPadding;
}

void BMenuBar::AttachedToWindow()
{
	BMenu::AttachedToWindow();
	if (fResizeToFit) {
		const BRect bounds = Window()->Bounds();
		BView::ResizeTo(bounds.Width() - Frame().left, PreferredHeight());
	}
	if (!Window()->KeyMenuBar())
		Window()->SetKeyMenuBar(this);
	else if (Window()->KeyMenuBar() == this)
		Window()->MenuBarChanged();
}

void BMenuBar::DetachedFromWindow()
{
	if (Window()->KeyMenuBar() == this)
		Window()->SetKeyMenuBar(nullptr);
	BMenu::DetachedFromWindow();
}

void BMenuBar::Draw(BRect)
{
}

void BMenuBar::ItemsChanged()
{
	if (Window() && Window()->KeyMenuBar() == this)
		Window()->MenuBarChanged();
}
