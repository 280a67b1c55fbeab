// Colour counts over the changed pixels of each picture.
#include "ColourUsage.h"

#include "fli/Format.h"

#include <algorithm>

namespace flitool {

void ColourUsage::AddPicture(const uint32_t* pixels)
{
	const bool first = previous_.empty();
	// Pixels come in runs of one colour, so a colour is counted once a run.
	uint32_t lastCounted = 0;
	bool counted = false;
	inThisPicture_ = 0;
	for (size_t i = 0; i < fli::kPixelCount; ++i) {
		if ((!first && previous_[i] == pixels[i]) || (counted && pixels[i] == lastCounted))
			continue;
		Count(pixels[i], i);
		lastCounted = pixels[i];
		counted = true;
	}
	previous_.assign(pixels, pixels + fli::kPixelCount);
	if (!first)
		mostInALaterPicture_ = std::max(mostInALaterPicture_, inThisPicture_);
	++pictures_;
}

void ColourUsage::Count(uint32_t colour, size_t at)
{
	Use& use = uses_[colour];
	if (use.lastPicture == pictures_)
		return;
	if (use.lastPicture < 0) {
		use.firstPicture = pictures_;
		use.firstPixel = static_cast<int64_t>(at);
	}
	use.lastPicture = pictures_;
	if (pictures_ > 0)
		++use.laterPictures;
	++inThisPicture_;
}

std::vector<uint32_t> ColourUsage::MostUsed(size_t limit) const
{
	std::vector<std::pair<uint32_t, Use>> uses(uses_.begin(), uses_.end());
	std::sort(uses.begin(), uses.end(), [](const auto& a, const auto& b) {
		if (a.second.laterPictures != b.second.laterPictures)
			return a.second.laterPictures > b.second.laterPictures;
		if (a.second.firstPicture != b.second.firstPicture)
			return a.second.firstPicture < b.second.firstPicture;
		return a.second.firstPixel < b.second.firstPixel;
	});
	std::vector<uint32_t> colours;
	for (size_t i = 0; i < uses.size() && i < limit; ++i)
		colours.push_back(uses[i].first);
	return colours;
}

} // namespace flitool
