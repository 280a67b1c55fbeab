// BFont: a family, a style and a size; measures text. be_plain_font and be_bold_font.
#pragma once

#include <InterfaceDefs.h>
#include <SupportDefs.h>

namespace zoetra::display {
struct FontChoice;
}

#define B_FONT_FAMILY_LENGTH 63
#define B_FONT_STYLE_LENGTH 63
typedef char font_family[B_FONT_FAMILY_LENGTH + 1];
typedef char font_style[B_FONT_STYLE_LENGTH + 1];

// Which attributes SetFont() copies.
enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_ALL = 0x000000ff,
};

enum {
	B_CHAR_SPACING = 0,
	B_STRING_SPACING = 1,
	B_BITMAP_SPACING = 2,
	B_FIXED_SPACING = 3,
};

enum {
	B_ITALIC_FACE = 0x0001,
	B_UNDERSCORE_FACE = 0x0002,
	B_NEGATIVE_FACE = 0x0004,
	B_OUTLINED_FACE = 0x0008,
	B_STRIKEOUT_FACE = 0x0010,
	B_BOLD_FACE = 0x0020,
	B_REGULAR_FACE = 0x0040,
};

struct font_height {
	float ascent;
	float descent;
	float leading;
};

struct escapement_delta {
	float nonspace;
	float space;
};

// Sizes are in points, and a point is one pixel on every screen: text measures the same
// whatever the screen's resolution.
class BFont {
public:
	// A copy of be_plain_font.
	BFont();
	BFont(const BFont& font) = default;
	BFont(const BFont* font);
	BFont& operator=(const BFont& font) = default;

	// B_NAME_NOT_FOUND for a family that is not installed, or a style the family lacks;
	// the font then keeps the family and style it had.
	status_t SetFamilyAndStyle(const font_family family, const font_style style);
	void GetFamilyAndStyle(font_family* family, font_style* style) const;
	void SetSize(float size);
	float Size() const;
	void SetShear(float shear) { fShear = shear; }
	float Shear() const { return fShear; }
	void SetRotation(float rotation) { fRotation = rotation; }
	float Rotation() const { return fRotation; }
	void SetSpacing(uint8 spacing) { fSpacing = spacing; }
	uint8 Spacing() const { return fSpacing; }
	void SetEncoding(uint8 encoding) { fEncoding = encoding; }
	uint8 Encoding() const { return fEncoding; }
	uint16 Face() const { return fFace; }
	void SetFlags(uint32 flags) { fFlags = flags; }
	uint32 Flags() const { return fFlags; }

	void GetHeight(font_height* height) const;
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;

private:
	friend class BView;
	friend struct BFontAccess;
	void CopyFrom(const BFont& font, uint32 mask);
	void CopyFromNames(const char* family, const char* style, float size);
	zoetra::display::FontChoice Choice() const;

	font_family fFamily;
	font_style fStyle;
	float fSize;
	float fShear;
	float fRotation;
	uint8 fSpacing;
	uint8 fEncoding;
	uint16 fFace;
	uint32 fFlags;
};

extern const BFont* be_plain_font;
extern const BFont* be_bold_font;
extern const BFont* be_fixed_font;
