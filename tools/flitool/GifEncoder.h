// Pictures in play order to an animated GIF whose pictures, composited as a browser shows
// them, equal the given ones pixel for pixel.
//
// The global colour table is given (see ColourUsage): the colours most pictures change
// pixels to, first. The first picture is a whole opaque image. Each later picture that
// differs from the one before stores only the rectangle that changed, never disposed of, in
// whichever of four forms is smallest (each is encoded and measured): over the global table
// (with codes just wide enough for the indices the image uses) or over a local table of just
// the colours it needs, and opaque or with the unchanged pixels transparent. A picture equal
// to the one before adds its time to that one's image. A rectangle no single table can hold
// (more than 256 colours, which a palette change within a frame can make) is cut into parts
// that fit, as few as rows allow; its parts are shown one after another, the first ones
// for the shortest delay browsers honour.
#pragma once

#include "ColourTable.h"
#include "GifClock.h"
#include "GifImage.h"
#include "GifStream.h"

#include <cstdint>
#include <vector>

namespace flitool {

class GifEncoder {
public:
	// Pictures `scale` times the frame's size, each shown for `frameDelayMicroseconds`;
	// `loops` repeats the animation without end. At most 256 global colours, and with
	// `spareEntry` (fewer than 256) one more entry that only transparency uses.
	GifEncoder(int scale, bool loops, const std::vector<uint32_t>& globalColours, bool spareEntry,
		int32_t frameDelayMicroseconds);

	// Adds the next picture. False when giflib fails.
	bool AddFrame(const uint32_t* pixels);
	// The whole file; empty when giflib failed on the way or no picture was added.
	std::vector<unsigned char> Finish();

	// Pictures that needed more than one image.
	int64_t SplitFrames() const { return splitFrames_; }

private:
	// Writes the images of the latest picture, now that its time is known.
	bool PutPending();
	// The images that take the canvas to `pixels` over `area`, appended to `images`.
	void PlanArea(const uint32_t* pixels, const Area& area, std::vector<GifImage>& images) const;
	bool SmallestImage(const uint32_t* pixels, const Area& area, GifImage& best) const;

	// The global table as given to giflib, and its entries as written: its colours and the
	// black ones that round its size up to a power of two, free for transparency.
	std::vector<uint32_t> globalWritten_;
	int globalEntries_;
	GifStream stream_;
	GifClock clock_;
	ColourTable global_;
	// What the GIF shows after the images so far; empty before the first picture.
	std::vector<uint32_t> canvas_;
	// The images of the latest picture and how many frames it shows for.
	std::vector<GifImage> pending_;
	int64_t pendingFrames_ = 0;
	int64_t splitFrames_ = 0;
};

} // namespace flitool
