// Indexing a frame by its palette, with room made for colours the palette lacks.
#include "IndexedFrame.h"

#include "fli/Format.h"

#include <array>

namespace flitool {

namespace {

using UsedEntries = std::array<bool, ColourTable::kCapacity>;

// Indexes every pixel whose colour the table holds and marks the entries used; returns how
// many pixels it could not index.
int IndexPixels(const uint32_t* pixels, IndexedFrame& frame, UsedEntries& used)
{
	frame.indices.resize(fli::kPixelCount);
	int missing = 0;
	// Pixels come in runs, so the last lookup is kept.
	uint32_t lastColour = pixels[0];
	int lastIndex = frame.table.Find(lastColour);
	for (int i = 0; i < fli::kPixelCount; ++i) {
		if (pixels[i] != lastColour) {
			lastColour = pixels[i];
			lastIndex = frame.table.Find(lastColour);
		}
		if (lastIndex == ColourTable::kAbsent) {
			++missing;
			continue;
		}
		frame.indices[static_cast<size_t>(i)] = static_cast<unsigned char>(lastIndex);
		used[static_cast<size_t>(lastIndex)] = true;
	}
	return missing;
}

} // namespace

bool IndexFrame(const uint32_t* pixels, const uint32_t* palette, IndexedFrame& frame)
{
	frame.table.Clear();
	for (int i = 0; i < fli::kPaletteSize; ++i)
		frame.table.Add(palette[i]);
	UsedEntries used{};
	if (IndexPixels(pixels, frame, used) == 0)
		return true;

	ColourTable missing;
	for (int i = 0; i < fli::kPixelCount; ++i) {
		if (frame.table.Find(pixels[i]) == ColourTable::kAbsent
			&& missing.FindOrAdd(pixels[i]) == ColourTable::kAbsent)
			return false;
	}
	int entry = 0;
	for (const uint32_t colour : missing.Colours()) {
		while (entry < ColourTable::kCapacity && used[static_cast<size_t>(entry)])
			++entry;
		if (entry == ColourTable::kCapacity)
			return false;
		frame.table.Replace(entry++, colour);
	}
	return IndexPixels(pixels, frame, used) == 0;
}

} // namespace flitool
