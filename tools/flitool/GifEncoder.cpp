// Changed rectangles, their four candidate forms, and the canvas they build.
#include "GifEncoder.h"

#include "fli/Format.h"

#include <algorithm>
#include <array>
#include <optional>

namespace flitool {

namespace {

constexpr Area kWholeFrame{0, 0, fli::kWidth, fli::kHeight};

size_t PixelAt(int x, int y)
{
	return static_cast<size_t>(y) * fli::kWidth + static_cast<size_t>(x);
}

// The smallest rectangle inside `within` that holds every pixel that differs.
Area ChangedArea(const uint32_t* before, const uint32_t* after, const Area& within)
{
	int left = within.left + within.width, right = within.left - 1;
	int top = within.top + within.height, bottom = within.top - 1;
	for (int y = within.top; y < within.top + within.height; ++y) {
		const uint32_t* a = before + PixelAt(within.left, y);
		const uint32_t* b = after + PixelAt(within.left, y);
		int first = -1, last = -1;
		for (int x = 0; x < within.width; ++x) {
			if (a[x] != b[x]) {
				if (first < 0)
					first = x;
				last = x;
			}
		}
		if (first < 0)
			continue;
		left = std::min(left, within.left + first);
		right = std::max(right, within.left + last);
		top = std::min(top, y);
		bottom = y;
	}
	if (right < left)
		return {};
	return {left, top, right - left + 1, bottom - top + 1};
}

// Colours met so far in part of an area, for the two ways an image can hold them: all of
// them opaque (up to 256), or just the changed ones beside a transparent entry (up to 255).
class ColourCount {
public:
	explicit ColourCount(const uint32_t* canvas)
		: canvas_(canvas)
	{
	}

	// Counts the pixel in; false once neither way can hold what was counted.
	bool Fits(const uint32_t* pixels, size_t at)
	{
		allFit_ = allFit_ && all_.FindOrAdd(pixels[at]) != ColourTable::kAbsent;
		if (canvas_ != nullptr && canvas_[at] != pixels[at])
			changedFit_ = changedFit_
				&& changed_.FindOrAdd(pixels[at], ColourTable::kCapacity - 1)
					!= ColourTable::kAbsent;
		return allFit_ || (canvas_ != nullptr && changedFit_);
	}

private:
	const uint32_t* canvas_;
	ColourTable all_;
	ColourTable changed_;
	bool allFit_ = true;
	bool changedFit_ = true;
};

// An area whose pixels hold more colours than one image can, cut so that its first part is
// as large as fits: the most rows from the top, or when the top row alone is too colourful,
// the most pixels from its left. With no canvas every pixel counts as changed.
std::vector<Area> SplitForColours(const uint32_t* pixels, const uint32_t* canvas, const Area& area)
{
	ColourCount rowColours(canvas);
	int rows = 0;
	for (bool rowFits = true; rowFits && rows < area.height - 1; rows += rowFits ? 1 : 0) {
		for (int x = area.left; rowFits && x < area.left + area.width; ++x)
			rowFits = rowColours.Fits(pixels, PixelAt(x, area.top + rows));
	}
	if (rows > 0)
		return {Area{area.left, area.top, area.width, rows},
			Area{area.left, area.top + rows, area.width, area.height - rows}};
	ColourCount columnColours(canvas);
	int columns = 0;
	while (columns < area.width - 1
		&& columnColours.Fits(pixels, PixelAt(area.left + columns, area.top)))
		++columns;
	columns = std::max(columns, 1);
	return {Area{area.left, area.top, columns, 1},
		Area{area.left + columns, area.top, area.width - columns, 1},
		Area{area.left, area.top + 1, area.width, area.height - 1}};
}

// One candidate form of an area's image. `canvas` is null for an opaque image; otherwise the
// pixels equal to it become transparent. `global` is null for a local table of the colours
// the image needs; otherwise `globalEntries` is the global table's size as written. Nothing
// when the colours do not fit.
std::optional<GifImage> MakeImage(const uint32_t* pixels, const uint32_t* canvas, const Area& area,
	const ColourTable* global, int globalEntries)
{
	GifImage image;
	image.area = area;
	image.indices.reserve(static_cast<size_t>(area.width) * static_cast<size_t>(area.height));
	ColourTable local;
	std::array<bool, ColourTable::kCapacity> used{};
	for (int y = area.top; y < area.top + area.height; ++y) {
		for (int x = area.left; x < area.left + area.width; ++x) {
			const size_t at = PixelAt(x, y);
			if (canvas != nullptr && canvas[at] == pixels[at]) {
				image.indices.push_back(0); // made transparent below
				continue;
			}
			const int index =
				global != nullptr ? global->Find(pixels[at]) : local.FindOrAdd(pixels[at]);
			if (index == ColourTable::kAbsent)
				return std::nullopt;
			used[static_cast<size_t>(index)] = true;
			image.indices.push_back(static_cast<unsigned char>(index));
		}
	}
	if (global == nullptr)
		image.localColours = local.Colours();
	if (canvas == nullptr)
		return image;

	// Transparency takes an entry no changed pixel uses: the first free one of the global
	// table (the lower it is, the narrower the codes can be), or one more entry of the local
	// table.
	int transparent = ColourTable::kAbsent;
	if (global != nullptr) {
		const auto unused = std::find(used.begin(), used.begin() + globalEntries, false);
		if (unused != used.begin() + globalEntries)
			transparent = static_cast<int>(unused - used.begin());
	} else if (local.Size() < ColourTable::kCapacity) {
		transparent = local.Size();
		image.localColours.push_back(0);
	}
	if (transparent == ColourTable::kAbsent)
		return std::nullopt;
	image.transparentIndex = transparent;
	size_t i = 0;
	for (int y = area.top; y < area.top + area.height; ++y) {
		for (int x = area.left; x < area.left + area.width; ++x, ++i) {
			const size_t at = PixelAt(x, y);
			if (canvas[at] == pixels[at])
				image.indices[i] = static_cast<unsigned char>(transparent);
		}
	}
	return image;
}

std::vector<uint32_t> WithSpareEntry(std::vector<uint32_t> colours, bool spareEntry)
{
	if (spareEntry && colours.size() < ColourTable::kCapacity)
		colours.push_back(0);
	return colours;
}

} // namespace

GifEncoder::GifEncoder(int scale, bool loops, const std::vector<uint32_t>& globalColours,
	bool spareEntry, int32_t frameDelayMicroseconds)
	: globalWritten_(WithSpareEntry(globalColours, spareEntry)),
	  globalEntries_(GifStream::TableEntries(globalWritten_.size())),
	  stream_(fli::kWidth, fli::kHeight, scale, globalWritten_, loops),
	  clock_(frameDelayMicroseconds)
{
	// The spare entry stays out of the lookup: no pixel is named by it.
	for (const uint32_t colour : globalColours)
		global_.Add(colour);
}

bool GifEncoder::AddFrame(const uint32_t* pixels)
{
	if (canvas_.empty()) {
		PlanArea(pixels, kWholeFrame, pending_);
	} else {
		const Area changed = ChangedArea(canvas_.data(), pixels, kWholeFrame);
		if (changed.Empty()) {
			++pendingFrames_;
			return true;
		}
		if (!PutPending())
			return false;
		PlanArea(pixels, changed, pending_);
	}
	pendingFrames_ = 1;
	canvas_.assign(pixels, pixels + fli::kPixelCount);
	return true;
}

bool GifEncoder::PutPending()
{
	if (pending_.size() > 1)
		++splitFrames_;
	bool put = true;
	for (size_t i = 0; put && i + 1 < pending_.size(); ++i)
		put = stream_.Put(pending_[i], clock_.InterimDelay());
	// A picture shown for longer than one image's delay is held on by images that leave
	// the canvas as it is.
	const int64_t delay = clock_.NextDelay(pendingFrames_);
	const int64_t parts = (delay + GifClock::kLongestDelay - 1) / GifClock::kLongestDelay;
	GifImage unchanged;
	unchanged.area = {0, 0, 1, 1};
	unchanged.indices = {0};
	unchanged.transparentIndex = 0;
	for (int64_t part = 0; put && part < parts; ++part) {
		const int64_t share = delay / parts + (part < delay % parts ? 1 : 0);
		put = stream_.Put(part == 0 ? pending_.back() : unchanged, static_cast<int>(share));
	}
	pending_.clear();
	return put;
}

std::vector<unsigned char> GifEncoder::Finish()
{
	if (canvas_.empty() || !PutPending())
		return {};
	return stream_.Finish();
}

void GifEncoder::PlanArea(
	const uint32_t* pixels, const Area& area, std::vector<GifImage>& images) const
{
	GifImage best;
	if (SmallestImage(pixels, area, best)) {
		images.push_back(std::move(best));
		return;
	}
	// Each part is smaller than the area and a single pixel always fits, so this ends.
	const uint32_t* canvas = canvas_.empty() ? nullptr : canvas_.data();
	for (const Area& piece : SplitForColours(pixels, canvas, area)) {
		const Area part = canvas != nullptr ? ChangedArea(canvas, pixels, piece) : piece;
		if (!part.Empty())
			PlanArea(pixels, part, images);
	}
}

bool GifEncoder::SmallestImage(const uint32_t* pixels, const Area& area, GifImage& best) const
{
	// The first frame has nothing under it to show through.
	std::vector<const uint32_t*> unders{nullptr};
	if (!canvas_.empty())
		unders.push_back(canvas_.data());
	size_t bestSize = 0;
	bool found = false;
	for (const uint32_t* under : unders) {
		for (const ColourTable* table : {&global_, static_cast<const ColourTable*>(nullptr)}) {
			std::optional<GifImage> image = MakeImage(pixels, under, area, table, globalEntries_);
			if (!image)
				continue;
			const size_t size = GifStream::MeasuredSize(*image, globalWritten_);
			if (!found || size < bestSize) {
				best = std::move(*image);
				bestSize = size;
				found = true;
			}
		}
	}
	return found;
}

} // namespace flitool
