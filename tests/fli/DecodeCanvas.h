// A frame buffer and palette with guard zones behind them, and animation bytes held in a
// heap block of exactly their size, so that stray writes show up in the guards and stray
// reads under AddressSanitizer.
#pragma once

#include "FliBuilder.h"

#include "fli/Decoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace fli::test {

inline constexpr uint32_t kWhite = 0xFFFFFFFF;
inline constexpr uint32_t kGuardValue = 0xDEADBEEF;

// Bytes copied into an allocation of exactly their length.
class ExactBuffer {
public:
	explicit ExactBuffer(const Bytes& bytes);
	const unsigned char* Data() const { return data_.get(); }
	const unsigned char* End() const { return data_.get() + size_; }
	uint32_t Size() const { return size_; }

private:
	std::unique_ptr<unsigned char[]> data_;
	uint32_t size_;
};

class DecodeCanvas {
public:
	static constexpr int kGuardEntries = 1024;

	// Every pixel starts as `fill`; palette entry i is the distinct colour EntryColour(i).
	explicit DecodeCanvas(uint32_t fill = kWhite);

	static uint32_t EntryColour(int index)
	{
		return 0x00400000u | (static_cast<uint32_t>(index) << 4) | 1u;
	}

	uint32_t* Pixels() { return pixels_.data(); }
	uint32_t* Palette() { return palette_.data(); }
	uint32_t Pixel(int x, int y) const { return pixels_[static_cast<size_t>(y) * kWidth + x]; }
	DecodeContext ContextFor(const ExactBuffer& buffer);

	// Decodes a chunk held alone in a buffer of its exact size.
	void Decode(const Chunk& chunk);
	// Decodes a frame held alone in a buffer of its exact size.
	void Decode(const Frame& frame);

	bool GuardsIntact() const;
	// How many pixels differ from `value`.
	int CountOtherThan(uint32_t value) const;

private:
	std::vector<uint32_t> pixels_;
	std::vector<uint32_t> palette_;
};

} // namespace fli::test
