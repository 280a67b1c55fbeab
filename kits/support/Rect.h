// BRect: a rectangle in 32-bit float coordinates. A rectangle from left to right covers
// right - left + 1 pixels; the default rectangle (0, 0, -1, -1) is invalid.
#pragma once

#include <Point.h>
#include <SupportDefs.h>

class BRect {
public:
	float left;
	float top;
	float right;
	float bottom;

	constexpr BRect()
		: left(0.0f),
		  top(0.0f),
		  right(-1.0f),
		  bottom(-1.0f)
	{
	}
	constexpr BRect(float left, float top, float right, float bottom)
		: left(left),
		  top(top),
		  right(right),
		  bottom(bottom)
	{
	}
	constexpr BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x),
		  top(leftTop.y),
		  right(rightBottom.x),
		  bottom(rightBottom.y)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	BPoint LeftTop() const { return BPoint(left, top); }
	BPoint RightBottom() const { return BPoint(right, bottom); }
	BPoint LeftBottom() const { return BPoint(left, bottom); }
	BPoint RightTop() const { return BPoint(right, top); }
	void SetLeftTop(BPoint point)
	{
		left = point.x;
		top = point.y;
	}
	void SetRightBottom(BPoint point)
	{
		right = point.x;
		bottom = point.y;
	}

	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	// Whole-pixel extents, rounded up as on BeOS.
	int32 IntegerWidth() const;
	int32 IntegerHeight() const;
	bool IsValid() const { return left <= right && top <= bottom; }

	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetBy(BPoint delta) { return OffsetBy(delta.x, delta.y); }
	BRect& OffsetTo(float x, float y);
	BRect& OffsetTo(BPoint point) { return OffsetTo(point.x, point.y); }
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetByCopy(BPoint delta) const { return OffsetByCopy(delta.x, delta.y); }
	BRect OffsetToCopy(float x, float y) const;
	BRect OffsetToCopy(BPoint point) const { return OffsetToCopy(point.x, point.y); }
	BRect& InsetBy(float dx, float dy);
	BRect& InsetBy(BPoint delta) { return InsetBy(delta.x, delta.y); }
	BRect InsetByCopy(float dx, float dy) const;

	bool Contains(BPoint point) const;
	bool Contains(BRect rect) const;
	bool Intersects(BRect rect) const;

	// Intersection and union. The intersection of disjoint rectangles is invalid.
	BRect operator&(BRect other) const;
	BRect operator|(BRect other) const;
	bool operator==(BRect other) const;
	bool operator!=(BRect other) const { return !(*this == other); }
};
