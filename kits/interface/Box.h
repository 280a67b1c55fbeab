// BBox: a view that draws a border around its rectangle: plain, fancy (etched) or none.
#pragma once

#include <View.h>

class BBox : public BView {
public:
	BBox(BRect frame, const char* name = NULL, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
		uint32 flags = B_WILL_DRAW | B_FRAME_EVENTS | B_NAVIGABLE_JUMP,
		border_style border = B_FANCY_BORDER);
	virtual ~BBox();

	virtual void Draw(BRect updateRect);
	virtual void FrameResized(float newWidth, float newHeight);

private:
	border_style fBorder;
};
