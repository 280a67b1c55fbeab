// Plain geometry of views: resizing modes and float-to-pixel rectangles (no display needed).
#pragma once

#include <Rect.h>

#include "PixelRect.h"

namespace BPrivate {

// Where a view's frame goes when its parent's size changes by (dx, dy), as its resizing
// mode says: each edge keeps its distance to the parent edge it follows (left or top by
// default, right or bottom, or the centre, which moves by half).
BRect FollowParent(BRect frame, uint32 resizingMode, float dx, float dy);

// The pixels a rectangle covers: coordinates are pixel centres, rounded to the nearest.
zoetra::display::PixelRect ToPixels(BRect rect);

}
