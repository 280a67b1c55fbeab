// A table of at most 256 colours, looked up by colour: how an indexed image (PNG or GIF)
// names the true colours of a frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace flitool {

class ColourTable {
public:
	static constexpr int kCapacity = 256;
	static constexpr int kAbsent = -1;

	ColourTable() { Clear(); }

	void Clear();
	// The index of `colour`: the first entry that holds it, or kAbsent.
	int Find(uint32_t colour) const;
	// Appends `colour` as a new entry (even when an earlier entry holds it); its index, or
	// kAbsent when the table is full.
	int Add(uint32_t colour);
	// The index of `colour`, added as a new entry when the table holds none and fewer than
	// `limit` entries; kAbsent when it is not there and there is no room.
	int FindOrAdd(uint32_t colour, int limit = kCapacity);
	// Puts `colour` into entry `index`, which must exist; the entry's old colour can no
	// longer be found through it.
	void Replace(int index, uint32_t colour);

	int Size() const { return static_cast<int>(colours_.size()); }
	const std::vector<uint32_t>& Colours() const { return colours_; }

private:
	// Open addressing over four times the capacity keeps probes short. Pixel values never
	// have their top byte set, so kEmptySlot is never a colour.
	static constexpr uint32_t kEmptySlot = 0xFFFFFFFF;
	static constexpr size_t kSlots = 4 * kCapacity;
	struct Slot {
		uint32_t colour;
		int index;
	};

	static size_t SlotOf(uint32_t colour) { return (colour * 2654435761u) >> 22; }
	void Insert(uint32_t colour, int index);

	std::vector<uint32_t> colours_;
	std::array<Slot, kSlots> slots_;
};

} // namespace flitool
