// Area averaging in whole numbers: one pass along the rows, one down the columns, one rounding.
#include "AreaScaler.h"

#include <algorithm>
#include <cstddef>

namespace flitool {

namespace {

// Old pixel i spans [i·to, (i+1)·to) and new pixel j spans [j·from, (j+1)·from) on a line
// `from` old pixels long: the overlaps are whole numbers, and those of one new pixel add up
// to `from`.
struct Share {
	size_t oldPixel;
	uint64_t amount;
};

std::vector<std::vector<Share>> Shares(size_t from, size_t to)
{
	std::vector<std::vector<Share>> shares(to);
	for (size_t j = 0; j < to; ++j) {
		const size_t start = j * from, end = start + from;
		for (size_t i = start / to; i < from && i * to < end; ++i) {
			const size_t overlap = std::min(end, (i + 1) * to) - std::max(start, i * to);
			shares[j].push_back({i, overlap});
		}
	}
	return shares;
}

constexpr int kChannelShifts[] = {16, 8, 0};

} // namespace

std::vector<uint32_t> ScaleByAreaAverage(
	const uint32_t* pixels, int width, int height, int newWidth, int newHeight)
{
	const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
	const size_t newW = static_cast<size_t>(newWidth), newH = static_cast<size_t>(newHeight);
	const auto across = Shares(w, newW);
	const auto down = Shares(h, newH);

	// Along the rows: per channel, sums weighted by the shares (which add up to w).
	std::vector<uint64_t> rows(h * newW * 3);
	for (size_t y = 0; y < h; ++y) {
		for (size_t x = 0; x < newW; ++x) {
			uint64_t* sums = &rows[(y * newW + x) * 3];
			for (const Share& share : across[x]) {
				const uint32_t pixel = pixels[y * w + share.oldPixel];
				for (int c = 0; c < 3; ++c)
					sums[c] += ((pixel >> kChannelShifts[c]) & 0xFF) * share.amount;
			}
		}
	}

	// Down the columns, then one rounding of the whole weight w × h.
	const uint64_t whole = w * h;
	std::vector<uint32_t> scaled(newW * newH);
	for (size_t y = 0; y < newH; ++y) {
		for (size_t x = 0; x < newW; ++x) {
			uint64_t sums[3] = {0, 0, 0};
			for (const Share& share : down[y]) {
				const uint64_t* row = &rows[(share.oldPixel * newW + x) * 3];
				for (int c = 0; c < 3; ++c)
					sums[c] += row[c] * share.amount;
			}
			uint32_t pixel = 0;
			for (int c = 0; c < 3; ++c)
				pixel |= static_cast<uint32_t>((sums[c] + whole / 2) / whole) << kChannelShifts[c];
			scaled[y * newW + x] = pixel;
		}
	}
	return scaled;
}

} // namespace flitool
