// How often the pictures of an animation change pixels to each colour: what the global
// colour table of its GIF is chosen by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace flitool {

class ColourUsage {
public:
	// Counts the colours of the pixels that differ from the picture counted before (every
	// pixel of the first): the pixels the picture's GIF image must hold.
	void AddPicture(const uint32_t* pixels);

	// At most `limit` colours, those that the most pictures after the first change pixels to
	// first, ties in the order the colours first came. An image whose colours all come early
	// in the table has small indices, which the GIF's compression writes in fewer bits; the
	// first picture's whole image needs most of the table whatever its order.
	std::vector<uint32_t> MostUsed(size_t limit) const;
	// Whether a picture after the first changes pixels to every colour counted: its image
	// can make its unchanged pixels transparent only through an entry beyond them.
	bool LaterPictureUsesEvery() const { return mostInALaterPicture_ == uses_.size(); }

private:
	struct Use {
		int64_t laterPictures = 0;
		int64_t lastPicture = -1;
		int64_t firstPicture = 0;
		int64_t firstPixel = 0;
	};

	void Count(uint32_t colour, size_t at);

	std::unordered_map<uint32_t, Use> uses_;
	std::vector<uint32_t> previous_;
	int64_t pictures_ = 0;
	size_t inThisPicture_ = 0;
	size_t mostInALaterPicture_ = 0;
};

} // namespace flitool
