// Lookup of colours by open addressing with linear probes.
#include "ColourTable.h"

namespace flitool {

static_assert(ColourTable::kCapacity * 4 == 1 << 10, "SlotOf keeps the top 10 bits of a hash");

void ColourTable::Clear()
{
	colours_.clear();
	colours_.reserve(kCapacity);
	slots_.fill({kEmptySlot, kAbsent});
}

int ColourTable::Find(uint32_t colour) const
{
	for (size_t slot = SlotOf(colour);; slot = (slot + 1) % kSlots) {
		if (slots_[slot].colour == colour)
			return slots_[slot].index;
		if (slots_[slot].colour == kEmptySlot)
			return kAbsent;
	}
}

int ColourTable::Add(uint32_t colour)
{
	if (Size() >= kCapacity)
		return kAbsent;
	const int index = Size();
	colours_.push_back(colour);
	Insert(colour, index);
	return index;
}

int ColourTable::FindOrAdd(uint32_t colour, int limit)
{
	const int index = Find(colour);
	if (index != kAbsent || Size() >= limit)
		return index;
	return Add(colour);
}

void ColourTable::Replace(int index, uint32_t colour)
{
	// Rare (a colour a frame lacks in its palette), so the lookup is simply built again.
	colours_[static_cast<size_t>(index)] = colour;
	slots_.fill({kEmptySlot, kAbsent});
	for (int i = 0; i < Size(); ++i)
		Insert(colours_[static_cast<size_t>(i)], i);
}

void ColourTable::Insert(uint32_t colour, int index)
{
	size_t slot = SlotOf(colour);
	while (slots_[slot].colour != kEmptySlot && slots_[slot].colour != colour)
		slot = (slot + 1) % kSlots;
	if (slots_[slot].colour == kEmptySlot)
		slots_[slot] = {colour, index};
}

} // namespace flitool
