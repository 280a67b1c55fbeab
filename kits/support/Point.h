// BPoint: a position in 32-bit float coordinates.
#pragma once

#include <SupportDefs.h>

class BRect;

class BPoint {
public:
	float x;
	float y;

	constexpr BPoint()
		: x(0.0f),
		  y(0.0f)
	{
	}
	constexpr BPoint(float x, float y)
		: x(x),
		  y(y)
	{
	}

	void Set(float newX, float newY)
	{
		x = newX;
		y = newY;
	}
	// Moves the point to the nearest position inside `rect`.
	void ConstrainTo(BRect rect);

	BPoint operator+(const BPoint& other) const { return BPoint(x + other.x, y + other.y); }
	BPoint operator-(const BPoint& other) const { return BPoint(x - other.x, y - other.y); }
	BPoint operator-() const { return BPoint(-x, -y); }
	BPoint& operator+=(const BPoint& other)
	{
		x += other.x;
		y += other.y;
		return *this;
	}
	BPoint& operator-=(const BPoint& other)
	{
		x -= other.x;
		y -= other.y;
		return *this;
	}
	bool operator==(const BPoint& other) const { return x == other.x && y == other.y; }
	bool operator!=(const BPoint& other) const { return !(*this == other); }
};

inline constexpr BPoint B_ORIGIN(0.0f, 0.0f);
