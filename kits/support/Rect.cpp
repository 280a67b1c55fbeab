// BRect and BPoint arithmetic that is not a one-liner.
#include <Point.h>
#include <Rect.h>

#include <algorithm>
#include <cmath>

void BPoint::ConstrainTo(BRect rect)
{
	x = std::max(std::min(x, rect.right), rect.left);
	y = std::max(std::min(y, rect.bottom), rect.top);
}

int32 BRect::IntegerWidth() const
{
	return static_cast<int32>(std::ceil(right - left));
}

int32 BRect::IntegerHeight() const
{
	return static_cast<int32>(std::ceil(bottom - top));
}

BRect& BRect::OffsetBy(float dx, float dy)
{
	left += dx;
	right += dx;
	top += dy;
	bottom += dy;
	return *this;
}

BRect& BRect::OffsetTo(float x, float y)
{
	return OffsetBy(x - left, y - top);
}

BRect BRect::OffsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.OffsetBy(dx, dy);
}

BRect BRect::OffsetToCopy(float x, float y) const
{
	BRect copy(*this);
	return copy.OffsetTo(x, y);
}

BRect& BRect::InsetBy(float dx, float dy)
{
	left += dx;
	right -= dx;
	top += dy;
	bottom -= dy;
	return *this;
}

BRect BRect::InsetByCopy(float dx, float dy) const
{
	BRect copy(*this);
	return copy.InsetBy(dx, dy);
}

bool BRect::Contains(BPoint point) const
{
	return point.x >= left && point.x <= right && point.y >= top && point.y <= bottom;
}

bool BRect::Contains(BRect rect) const
{
	return rect.left >= left && rect.right <= right && rect.top >= top && rect.bottom <= bottom;
}

bool BRect::Intersects(BRect rect) const
{
	return IsValid() && rect.IsValid() && std::max(left, rect.left) <= std::min(right, rect.right)
		&& std::max(top, rect.top) <= std::min(bottom, rect.bottom);
}

BRect BRect::operator&(BRect other) const
{
	return BRect(std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
		std::min(bottom, other.bottom));
}

BRect BRect::operator|(BRect other) const
{
	return BRect(std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
		std::max(bottom, other.bottom));
}

bool BRect::operator==(BRect other) const
{
	return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
}
