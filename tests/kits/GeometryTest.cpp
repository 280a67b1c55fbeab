// BRect and BPoint: the pixel convention and the rectangle arithmetic windows rely on.
#include <Point.h>
#include <Rect.h>

#include <gtest/gtest.h>

namespace {

TEST(Geometry, DefaultRectangleIsInvalidAndEmpty)
{
	BRect rect;
	EXPECT_FALSE(rect.IsValid());
	EXPECT_EQ(rect, BRect(0, 0, -1, -1));
	EXPECT_FALSE(rect.Contains(BPoint(0, 0)));
	EXPECT_FALSE(rect.Intersects(BRect(0, 0, 10, 10)));
}

TEST(Geometry, WidthCountsFromLeftToRightAndIntegerWidthRoundsUp)
{
	BRect frame(150.0f, 100.0f, 469.0f, 349.0f);
	EXPECT_FLOAT_EQ(frame.Width(), 319.0f);
	EXPECT_FLOAT_EQ(frame.Height(), 249.0f);
	EXPECT_EQ(frame.IntegerWidth(), 319);
	EXPECT_EQ(BRect(0.0f, 0.0f, 10.2f, 5.5f).IntegerWidth(), 11);
	EXPECT_EQ(BRect(0.0f, 0.0f, 10.2f, 5.5f).IntegerHeight(), 6);
}

TEST(Geometry, OffsetAndInset)
{
	BRect frame(150.0f, 100.0f, 469.0f, 349.0f);
	EXPECT_EQ(frame.OffsetByCopy(20.0f, 20.0f), BRect(170.0f, 120.0f, 489.0f, 369.0f));
	EXPECT_EQ(frame.OffsetToCopy(BPoint(0, 0)), BRect(0, 0, 319.0f, 249.0f));
	EXPECT_EQ(frame.InsetByCopy(10.0f, 5.0f), BRect(160.0f, 105.0f, 459.0f, 344.0f));
	EXPECT_EQ(frame, BRect(150.0f, 100.0f, 469.0f, 349.0f));
	frame.InsetBy(10.0f, 5.0f);
	EXPECT_EQ(frame, BRect(160.0f, 105.0f, 459.0f, 344.0f));
	EXPECT_EQ(frame.LeftTop(), BPoint(160.0f, 105.0f));
	EXPECT_EQ(frame.RightBottom(), BPoint(459.0f, 344.0f));
}

TEST(Geometry, IntersectionUnionAndContainment)
{
	BRect a(0, 0, 99, 99);
	BRect b(50, 60, 149, 199);
	EXPECT_EQ(a & b, BRect(50, 60, 99, 99));
	EXPECT_EQ(a | b, BRect(0, 0, 149, 199));
	EXPECT_TRUE(a.Intersects(b));
	EXPECT_FALSE(a.Intersects(BRect(100, 0, 120, 10)));
	EXPECT_FALSE((a & BRect(100, 0, 120, 10)).IsValid());
	EXPECT_TRUE(a.Contains(BPoint(99, 99)));
	EXPECT_FALSE(a.Contains(BPoint(99.5f, 0)));
	EXPECT_TRUE(a.Contains(BRect(10, 10, 20, 20)));
	EXPECT_FALSE(a.Contains(b));

	BPoint point(200, -5);
	point.ConstrainTo(a);
	EXPECT_EQ(point, BPoint(99, 0));
	EXPECT_EQ(BPoint(1, 2) + BPoint(3, 4) - BPoint(1, 1), BPoint(3, 5));
}

}
