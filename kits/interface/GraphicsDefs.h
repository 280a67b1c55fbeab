// Colours, colour spaces and drawing patterns of the interface kit.
#pragma once

#include <SupportDefs.h>

struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;

	rgb_color& set_to(uint8 r, uint8 g, uint8 b, uint8 a = 255)
	{
		red = r;
		green = g;
		blue = b;
		alpha = a;
		return *this;
	}
	bool operator==(const rgb_color& other) const
	{
		return red == other.red && green == other.green && blue == other.blue
			&& alpha == other.alpha;
	}
	bool operator!=(const rgb_color& other) const { return !(*this == other); }
};

inline rgb_color make_color(uint8 red, uint8 green, uint8 blue, uint8 alpha = 255)
{
	return rgb_color{red, green, blue, alpha};
}

// A view colour of this value means "paint nothing behind Draw()".
inline constexpr rgb_color B_TRANSPARENT_COLOR = {0x77, 0x74, 0x77, 0x00};
inline constexpr rgb_color B_TRANSPARENT_32_BIT = {0x77, 0x74, 0x77, 0x00};

// An 8x8 one-bit pattern: set bits take the high colour, clear bits the low colour.
struct pattern {
	uint8 data[8];
};

inline constexpr pattern B_SOLID_HIGH = {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
inline constexpr pattern B_MIXED_COLORS = {{0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55, 0xaa, 0x55}};
inline constexpr pattern B_SOLID_LOW = {{0, 0, 0, 0, 0, 0, 0, 0}};

enum color_space {
	B_NO_COLOR_SPACE = 0x0000,
	B_RGB32 = 0x0008, // bytes blue, green, red, and a fourth that is ignored
	B_RGBA32 = 0x2008, // bytes blue, green, red, alpha
	B_RGB24 = 0x0003,
	B_RGB16 = 0x0005,
	B_RGB15 = 0x0010,
	B_RGBA15 = 0x2010,
	B_CMAP8 = 0x0004,
	B_GRAY8 = 0x0002,
	B_GRAY1 = 0x0001,
	B_RGB32_BIG = 0x1008,
	B_RGBA32_BIG = 0x3008,
};

enum drawing_mode {
	B_OP_COPY,
	B_OP_OVER,
	B_OP_ERASE,
	B_OP_INVERT,
	B_OP_ADD,
	B_OP_SUBTRACT,
	B_OP_BLEND,
	B_OP_MIN,
	B_OP_MAX,
	B_OP_SELECT,
	B_OP_ALPHA,
};
