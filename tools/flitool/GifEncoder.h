// Frames in play order to an animated GIF whose pictures, composited as a browser shows
// them, equal the frames pixel for pixel.
//
// The first frame is a whole opaque image over the global colour table, which is the first
// frame's palette. Each later frame stores only the rectangle that changed since the frame
// before, never disposed of, in whichever of four forms is smallest (each is encoded and
// measured): over the global table or over a local table of just the colours it needs, and
// opaque or with the unchanged pixels transparent. A rectangle no single table can hold
// (more than 256 colours, which a palette change within a frame can make) is cut into parts
// that fit, as few as rows allow; its parts are shown one after another, the first ones
// for the shortest delay browsers honour.
#pragma once

#include "ColourTable.h"
#include "GifClock.h"
#include "GifImage.h"
#include "GifStream.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace flitool {

class GifEncoder {
public:
	// Pictures `scale` times the frame's size; `loops` repeats the animation without end.
	GifEncoder(int scale, bool loops);

	// Adds the next frame, shown for the clock's next frame delay. False when giflib fails.
	bool AddFrame(const uint32_t* pixels, const uint32_t* palette, GifClock& clock);
	// The whole file; empty when giflib failed on the way or no frame was added.
	std::vector<unsigned char> Finish();

	// Frames that needed more than one image.
	int64_t SplitFrames() const { return splitFrames_; }

private:
	void Start(const uint32_t* pixels, const uint32_t* palette);
	// The images that take the canvas to `pixels` over `area`, appended to `images`.
	void PlanArea(const uint32_t* pixels, const Area& area, std::vector<GifImage>& images) const;
	bool SmallestImage(const uint32_t* pixels, const Area& area, GifImage& best) const;

	int scale_;
	bool loops_;
	std::unique_ptr<GifStream> stream_;
	ColourTable global_;
	// What the GIF shows after the images so far; empty before the first frame.
	std::vector<uint32_t> canvas_;
	int64_t splitFrames_ = 0;
};

} // namespace flitool
