// The display-free parts: exact nearest-neighbour scaling, drag payload checks, resizing modes.
#include <gtest/gtest.h>

#include <InterfaceDefs.h>

#include <cstring>
#include <random>

#include "DragPayload.h"
#include "IncrementalScaler.h"
#include "PixelScaler.h"
#include "private/interface/ViewGeometry.h"

using namespace zoetra::display;

namespace {

struct Plane {
	std::vector<uint32_t> pixels;
	PixelPlane plane;
	Plane(int32_t width, int32_t height, uint32_t fill = 0)
		: pixels(size_t(width * height), fill),
		  plane{pixels.data(), width, height, width * 4}
	{
	}
	uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y * plane.width + x)]; }
};

Plane Numbered(int32_t width, int32_t height)
{
	Plane source(width, height);
	for (int32_t i = 0; i < width * height; i++)
		source.pixels[size_t(i)] = uint32_t(i) | (uint32_t(i % 7) << 24);
	return source;
}

TEST(PixelScaler, EveryDestinationPixelTakesTheSourcePixelOfTheFormula)
{
	const Plane source = Numbered(32, 20);
	std::vector<int32_t> table;
	for (const auto& [width, height] :
		{std::pair{32, 20}, {64, 40}, {112, 70}, {13, 9}, {45, 31}}) {
		Plane dest(width + 10, height + 10, 0xdeadbeef);
		const PixelRect target{5, 5, 5 + width - 1, 5 + height - 1};
		ScaleNearest(source.plane, {0, 0, 31, 19}, dest.plane, target, {0, 0, 1000, 1000}, table);
		for (int32_t y = 0; y < dest.plane.height; y++)
			for (int32_t x = 0; x < dest.plane.width; x++) {
				const bool inside = x >= 5 && y >= 5 && x < 5 + width && y < 5 + height;
				const uint32_t expected = inside ? source.At(int32_t(int64_t(x - 5) * 32 / width),
													   int32_t(int64_t(y - 5) * 20 / height))
						| 0xff000000u
												 : 0xdeadbeefu;
				ASSERT_EQ(dest.At(x, y), expected)
					<< width << "x" << height << " at " << x << "," << y;
			}
	}
}

TEST(PixelScaler, DoublingGivesExactTwoByTwoBlocks)
{
	const Plane source = Numbered(8, 5);
	Plane dest(16, 10);
	std::vector<int32_t> table;
	ScaleNearest(source.plane, {0, 0, 7, 4}, dest.plane, {0, 0, 15, 9}, {0, 0, 15, 9}, table);
	for (int32_t y = 0; y < 10; y++)
		for (int32_t x = 0; x < 16; x++)
			ASSERT_EQ(dest.At(x, y), source.At(x / 2, y / 2) | 0xff000000u);
}

TEST(PixelScaler, ClipAndBoundsLimitWhatIsWritten)
{
	const Plane source = Numbered(4, 4);
	Plane dest(10, 10, 1);
	std::vector<int32_t> table;
	// Clipped to a 2x2 window inside a destination that also runs off the plane.
	ScaleNearest(source.plane, {0, 0, 3, 3}, dest.plane, {-4, -4, 11, 11}, {3, 3, 4, 4}, table);
	int written = 0;
	for (uint32_t pixel : dest.pixels)
		written += pixel != 1;
	EXPECT_EQ(written, 4);
	EXPECT_EQ(dest.At(3, 3), source.At(7 * 4 / 16, 7 * 4 / 16) | 0xff000000u);
}

TEST(PixelScaler, UnscaledRowsStartAtTheClippedColumn)
{
	const Plane source = Numbered(8, 4);
	Plane dest(8, 4, 1);
	std::vector<int32_t> table;
	// Same size, shifted three columns left of the plane and clipped on the right too.
	ScaleNearest(source.plane, {0, 0, 7, 3}, dest.plane, {-3, 0, 4, 3}, {0, 0, 3, 3}, table);
	for (int32_t y = 0; y < 4; y++)
		for (int32_t x = 0; x < 8; x++)
			ASSERT_EQ(dest.At(x, y), x <= 3 ? source.At(x + 3, y) | 0xff000000u : 1u)
				<< x << "," << y;
}

TEST(PixelScaler, SourceRectanglesOutsideThePlaneAreRefused)
{
	const Plane source = Numbered(4, 4);
	Plane dest(8, 8, 1);
	std::vector<int32_t> table;
	ScaleNearest(source.plane, {0, 0, 4, 3}, dest.plane, {0, 0, 7, 7}, {0, 0, 7, 7}, table);
	ScaleNearest(source.plane, {-1, 0, 3, 3}, dest.plane, {0, 0, 7, 7}, {0, 0, 7, 7}, table);
	ScaleNearest(source.plane, {2, 2, 1, 1}, dest.plane, {0, 0, 7, 7}, {0, 0, 7, 7}, table);
	for (uint32_t pixel : dest.pixels)
		ASSERT_EQ(pixel, 1u);
	// A sub-rectangle inside the plane is fine.
	ScaleNearest(source.plane, {2, 2, 3, 3}, dest.plane, {0, 0, 1, 1}, {0, 0, 7, 7}, table);
	EXPECT_EQ(dest.At(0, 0), source.At(2, 2) | 0xff000000u);
	EXPECT_EQ(dest.At(1, 1), source.At(3, 3) | 0xff000000u);
}

TEST(PixelScaler, WholeMultiplesMatchTheFormulaWhereverTheClipCutsARepeat)
{
	const Plane source = Numbered(7, 5);
	std::vector<int32_t> table;
	for (int32_t factor = 2; factor <= 8; factor++) {
		const int32_t width = 7 * factor, height = 5 * factor;
		for (const int32_t left : {-5, 0, 3}) {
			Plane dest(width + 8, height + 8, 1);
			const PixelRect target{left, 2, left + width - 1, 2 + height - 1};
			// The clip starts and ends inside a repeat, so rows begin and end with part of one.
			const PixelRect clip{1, 3, width - 2, height};
			ScaleNearest(source.plane, {0, 0, 6, 4}, dest.plane, target, clip, table);
			for (int32_t y = 0; y < dest.plane.height; y++)
				for (int32_t x = 0; x < dest.plane.width; x++) {
					const bool inside = x >= std::max(clip.left, target.left)
						&& x <= std::min(clip.right, target.right) && y >= clip.top
						&& y <= clip.bottom;
					const uint32_t expected = inside
						? source.At((x - left) / factor, (y - 2) / factor) | 0xff000000u
						: 1u;
					ASSERT_EQ(dest.At(x, y), expected)
						<< "factor " << factor << " left " << left << " at " << x << "," << y;
				}
		}
	}
}

// Frames that change a few scattered pixels, none, or all of them, drawn by the incremental
// scaler into several destinations as the canvas draws them: a back plane the scaler writes,
// a front plane that gets the written rectangles copied and the deferred ones scaled
// straight in. After every frame the front is exactly what scaling the whole source gives,
// the back is too once caught up, and what is reported covers every pixel that changed while
// staying near the changes.
TEST(IncrementalScaler, FramesThatChangeInPlacesLeaveWhatScalingTheWholeSourceGives)
{
	constexpr int32_t kWidth = 40, kHeight = 25, kPlaneWidth = 140, kPlaneHeight = 100;
	Plane source = Numbered(kWidth, kHeight);
	const PixelRect sourceRect{0, 0, kWidth - 1, kHeight - 1};
	struct Destination {
		PixelRect rect;
		PixelRect clip;
	};
	const Destination destinations[] = {
		{{5, 3, 5 + 3 * kWidth - 1, 3 + 3 * kHeight - 1}, {0, 0, 999, 999}}, // 3x, bars around
		{{-7, 2, -7 + 97 - 1, 2 + 61 - 1}, {0, 0, 80, 60}}, // a general scale, clipped
		{{10, 10, 10 + 128 - 1, 10 + 80 - 1}, {12, 11, 130, 85}}, // 3.2x, odd clip
		{{1, 1, 30, 20}, {0, 0, 999, 999}}, // smaller than the source
	};
	std::mt19937 random(17);
	IncrementalScaler scaler;
	Plane back(kPlaneWidth, kPlaneHeight, 0xdeadbeef), front = back, expected = back;
	front.plane.pixels = front.pixels.data();
	expected.plane.pixels = expected.pixels.data();
	std::vector<int32_t> table;
	PixelRegion written, deferred;
	const auto covered = [&](int32_t x, int32_t y) {
		for (const PixelRegion* region : {&written, &deferred})
			for (const PixelRect& rect : region->Rects())
				if (x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom)
					return true;
		return false;
	};
	for (const Destination& destination : destinations) {
		for (int frame = 0; frame < 60; frame++) {
			const int changes = frame % 10 == 9 ? kWidth * kHeight : int(random() % 6);
			for (int i = 0; i < changes; i++)
				source.pixels[random() % source.pixels.size()] = random();
			const std::vector<uint32_t> before = front.pixels;
			written.Clear();
			deferred.Clear();
			// Every third frame draws its changes into the back plane itself.
			scaler.Draw(source.plane, sourceRect, back.plane, destination.rect, destination.clip,
				written, frame % 3 == 0 ? nullptr : &deferred);
			for (const PixelRect& rect : written.Rects())
				for (int32_t y = rect.top; y <= rect.bottom; y++)
					for (int32_t x = rect.left; x <= rect.right; x++)
						front.pixels[size_t(y * kPlaneWidth + x)] = back.At(x, y);
			for (const PixelRect& rect : deferred.Rects())
				scaler.Render(front.plane, rect);
			ScaleNearest(source.plane, sourceRect, expected.plane, destination.rect,
				destination.clip, table);
			ASSERT_EQ(front.pixels, expected.pixels) << "frame " << frame;
			int64_t reportedArea = 0;
			for (const PixelRegion* region : {&written, &deferred})
				for (const PixelRect& rect : region->Rects())
					reportedArea += int64_t(rect.Width()) * rect.Height();
			for (int32_t y = 0; y < kPlaneHeight; y++)
				for (int32_t x = 0; x < kPlaneWidth; x++)
					ASSERT_TRUE(covered(x, y) || front.At(x, y) == before[size_t(y * 140 + x)])
						<< "a change at " << x << "," << y << " was not reported";
			// The first frame in a new place is drawn whole; later ones only where they
			// changed: a few tiles of four by four source pixels, each at most 16 x 16 scaled.
			if (frame > 0 && changes < 6) {
				EXPECT_LE(reportedArea, int64_t(changes) * 16 * 16)
					<< "frame " << frame << " reported more than its changes need";
			}
			if (frame % 7 == 6) {
				scaler.CatchUp();
				ASSERT_EQ(back.pixels, expected.pixels) << "caught up after frame " << frame;
			}
		}
	}
	// Something else is about to draw over the picture: once told, the scaler has caught up
	// and draws it whole again.
	ASSERT_TRUE(scaler.Covers({0, 0, 3, 3}));
	scaler.Forget();
	ASSERT_EQ(back.pixels, expected.pixels);
	std::fill(back.pixels.begin(), back.pixels.end(), 7u);
	written.Clear();
	scaler.Draw(source.plane, sourceRect, back.plane, destinations[3].rect, destinations[3].clip,
		written, &deferred);
	for (int32_t y = 1; y <= 20; y++)
		for (int32_t x = 1; x <= 30; x++)
			ASSERT_EQ(back.At(x, y), expected.At(x, y)) << x << "," << y;
}

TEST(DragPayload, PointerMessagesStayInTheirProcess)
{
	const std::vector<uint8_t> message{1, 2, 3, 4, 5};
	std::vector<uint8_t> out;
	const auto mine = WrapDragPayload(message, 4242, true);
	EXPECT_EQ(UnwrapDragPayload(mine.data(), mine.size(), 4242, out), DragVerdict::Accepted);
	EXPECT_EQ(out, message);
	EXPECT_EQ(UnwrapDragPayload(mine.data(), mine.size(), 4243, out), DragVerdict::Foreign);
	EXPECT_TRUE(out.empty());
	const auto harmless = WrapDragPayload(message, 4242, false);
	EXPECT_EQ(UnwrapDragPayload(harmless.data(), harmless.size(), 7, out), DragVerdict::Accepted);
	EXPECT_EQ(out, message);
}

TEST(DragPayload, DamagedPayloadsAreMalformed)
{
	std::vector<uint8_t> out;
	auto payload = WrapDragPayload({9, 9}, 1, false);
	EXPECT_EQ(UnwrapDragPayload(payload.data(), 12, 1, out), DragVerdict::Malformed)
		<< "cut inside the header";
	EXPECT_EQ(UnwrapDragPayload(nullptr, 0, 1, out), DragVerdict::Malformed);
	auto badFlag = payload;
	badFlag[12] = 7;
	EXPECT_EQ(UnwrapDragPayload(badFlag.data(), badFlag.size(), 1, out), DragVerdict::Malformed);
	auto badMagic = payload;
	badMagic[0] = 'X';
	EXPECT_EQ(UnwrapDragPayload(badMagic.data(), badMagic.size(), 1, out), DragVerdict::Malformed);
}

TEST(ResizingModes, EachEdgeFollowsTheParentEdgeItNames)
{
	const BRect frame(10, 20, 49, 39);
	using BPrivate::FollowParent;
	EXPECT_EQ(FollowParent(frame, B_FOLLOW_ALL_SIDES, 100, 50), BRect(10, 20, 149, 89));
	EXPECT_EQ(FollowParent(frame, B_FOLLOW_LEFT | B_FOLLOW_TOP, 100, 50), frame);
	EXPECT_EQ(FollowParent(frame, B_FOLLOW_NONE, 100, 50), frame);
	EXPECT_EQ(
		FollowParent(frame, B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, 100, 50), BRect(110, 70, 149, 89));
	EXPECT_EQ(
		FollowParent(frame, B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, 100, 50), BRect(10, 20, 149, 39));
	EXPECT_EQ(
		FollowParent(frame, B_FOLLOW_TOP_BOTTOM | B_FOLLOW_LEFT, 100, 50), BRect(10, 20, 49, 89));
	EXPECT_EQ(
		FollowParent(frame, B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, 100, 50), BRect(60, 45, 99, 64));
	EXPECT_EQ(FollowParent(frame, B_FOLLOW_ALL_SIDES, -30, -10), BRect(10, 20, 19, 29));
}

TEST(ResizingModes, RectanglesRoundToTheNearestPixelAndInvalidOnesAreEmpty)
{
	using BPrivate::ToPixels;
	const PixelRect exact = ToPixels(BRect(0, 0, 319, 199));
	EXPECT_EQ(exact.Width(), 320);
	EXPECT_EQ(exact.Height(), 200);
	const PixelRect rounded = ToPixels(BRect(0.4f, 0.6f, 9.5f, 9.49f));
	EXPECT_EQ(rounded.left, 0);
	EXPECT_EQ(rounded.top, 1);
	EXPECT_EQ(rounded.right, 10);
	EXPECT_EQ(rounded.bottom, 9);
	EXPECT_TRUE(ToPixels(BRect()).IsEmpty());
	const PixelRect far = ToPixels(BRect(-1e30f, 0, 1e30f, 1));
	EXPECT_LT(far.left, 0);
	EXPECT_GT(far.right, 0);
}

} // namespace
