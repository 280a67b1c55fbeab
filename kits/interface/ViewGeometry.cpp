// Resizing-mode arithmetic and rounding of rectangles to pixels.
#include "private/interface/ViewGeometry.h"

#include <InterfaceDefs.h>

#include <cmath>

namespace BPrivate {

namespace {

// How far an edge that follows `rule` moves when the parent grows by `delta` along that
// axis. 0 means the default edge (left or top); unknown values count as that too.
float EdgeShift(uint32 rule, float delta, bool horizontal)
{
	switch (rule) {
		case _VIEW_RIGHT_:
			return horizontal ? delta : 0.0f;
		case _VIEW_BOTTOM_:
			return horizontal ? 0.0f : delta;
		case _VIEW_CENTER_:
			return delta / 2.0f;
		default:
			return 0.0f;
	}
}

// Far-off coordinates are clamped so that the conversion stays defined; nothing that far
// out is ever on screen.
int32 Round(float value)
{
	constexpr float kLimit = 1.0e9f;
	if (!(value > -kLimit))
		return -int32(kLimit);
	if (!(value < kLimit))
		return int32(kLimit);
	return int32(std::floor(value + 0.5f));
}

} // namespace

BRect FollowParent(BRect frame, uint32 mode, float dx, float dy)
{
	const uint32 top = (mode >> 12) & 0xf, left = (mode >> 8) & 0xf;
	const uint32 bottom = (mode >> 4) & 0xf, right = mode & 0xf;
	frame.left += EdgeShift(left, dx, true);
	frame.right += EdgeShift(right, dx, true);
	frame.top += EdgeShift(top, dy, false);
	frame.bottom += EdgeShift(bottom, dy, false);
	return frame;
}

zoetra::display::PixelRect ToPixels(BRect rect)
{
	if (!rect.IsValid())
		return {};
	return {Round(rect.left), Round(rect.top), Round(rect.right), Round(rect.bottom)};
}

}
