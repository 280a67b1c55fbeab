// Scaling a picture by area averaging: each new pixel is the mean of the old picture over
// the area it covers, partly covered pixels counting by their share. Smooth when shrinking,
// where nearest neighbour would drop whole rows and columns.
#pragma once

#include <cstdint>
#include <vector>

namespace flitool {

// `pixels` (pixel values, rows of `width`) scaled to newWidth × newHeight.
std::vector<uint32_t> ScaleByAreaAverage(
	const uint32_t* pixels, int width, int height, int newWidth, int newHeight);

} // namespace flitool
