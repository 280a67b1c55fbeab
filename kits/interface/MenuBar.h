// BMenuBar: the menu bar at the top of a window, shown as the desktop's own menu bar.
#pragma once

#include <Menu.h>

class BMenuBar : public BMenu {
public:
	// With resizeToFit, the bar takes the window's width and fits its height to the menu
	// font when it is attached: its bounds are then H high and it covers H + 1 rows.
	BMenuBar(BRect frame, const char* name,
		uint32 resizingMode = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		menu_layout layout = B_ITEMS_IN_ROW, bool resizeToFit = true);
	virtual ~BMenuBar();

	virtual void AttachedToWindow();
	virtual void DetachedFromWindow();
	virtual void Draw(BRect updateRect);

	// The height H (bottom - top) a bar fits itself to with the current menu font.
	static float PreferredHeight();

protected:
	virtual void ItemsChanged();

private:
	bool fResizeToFit;
};
