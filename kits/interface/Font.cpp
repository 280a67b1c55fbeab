// BFont on the display's font database; be_plain_font and be_bold_font.
#include <Font.h>

#include <cstring>

#include "FontEngine.h"

namespace {

using zoetra::display::FontChoice;

void CopyName(char* to, const std::string& from, size_t capacity)
{
	std::strncpy(to, from.c_str(), capacity);
	to[capacity] = '\0';
}

FontChoice ChoiceOf(const font_family family, const font_style style, float size)
{
	return FontChoice{family, style, size};
}

// The system fonts are plain data until the display exists; they never touch Qt here.
BFont sPlainFont(static_cast<const BFont*>(nullptr));
BFont sBoldFont(static_cast<const BFont*>(nullptr));
BFont sFixedFont(static_cast<const BFont*>(nullptr));

} // namespace

struct BFontAccess {
	static void SetUpSystemFonts()
	{
		const FontChoice plain = zoetra::display::PlainFontChoice();
		const FontChoice bold = zoetra::display::BoldFontChoice();
		font_family family;
		font_style style;
		CopyName(family, plain.family, B_FONT_FAMILY_LENGTH);
		CopyName(style, plain.style, B_FONT_STYLE_LENGTH);
		sPlainFont.CopyFromNames(family, style, plain.size);
		CopyName(family, bold.family, B_FONT_FAMILY_LENGTH);
		CopyName(style, bold.style, B_FONT_STYLE_LENGTH);
		sBoldFont.CopyFromNames(family, style, bold.size);
		sFixedFont.CopyFromNames("DejaVu Sans Mono", "Book", plain.size);
	}
};

namespace {

struct SystemFontSetup {
	SystemFontSetup() { BFontAccess::SetUpSystemFonts(); }
} sSystemFontSetup;

} // namespace

const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;
const BFont* be_fixed_font = &sFixedFont;

BFont::BFont()
	: BFont(be_plain_font)
{
}

BFont::BFont(const BFont* font)
	: fFamily{},
	  fStyle{},
	  fSize(12.0f),
	  fShear(90.0f),
	  fRotation(0.0f),
	  fSpacing(B_BITMAP_SPACING),
	  fEncoding(0),
	  fFace(B_REGULAR_FACE),
	  fFlags(0)
{
	if (font)
		*this = *font;
}

void BFont::CopyFromNames(const char* family, const char* style, float size)
{
	CopyName(fFamily, family, B_FONT_FAMILY_LENGTH);
	CopyName(fStyle, style, B_FONT_STYLE_LENGTH);
	fSize = size;
}

status_t BFont::SetFamilyAndStyle(const font_family family, const font_style style)
{
	if (!family || !zoetra::display::FontFamilyExists(family))
		return B_NAME_NOT_FOUND;
	// Without a style, or with one the family lacks, the family's regular face is taken.
	const char* chosen = style;
	if (!chosen || !zoetra::display::FontStyleExists(family, chosen)) {
		if (style && style[0] != '\0')
			return B_NAME_NOT_FOUND;
		chosen = "";
	}
	CopyName(fFamily, family, B_FONT_FAMILY_LENGTH);
	CopyName(fStyle, chosen, B_FONT_STYLE_LENGTH);
	return B_OK;
}

void BFont::GetFamilyAndStyle(font_family* family, font_style* style) const
{
	if (family)
		CopyName(*family, fFamily, B_FONT_FAMILY_LENGTH);
	if (style)
		CopyName(*style, fStyle, B_FONT_STYLE_LENGTH);
}

void BFont::SetSize(float size)
{
	// Sizes below one point or above 10000 points are clamped, as on BeOS.
	fSize = size < 1.0f ? 1.0f : size > 10000.0f ? 10000.0f : size;
}

float BFont::Size() const
{
	return fSize;
}

void BFont::GetHeight(font_height* height) const
{
	if (!height)
		return;
	const auto measured = zoetra::display::MeasureFontHeight(ChoiceOf(fFamily, fStyle, fSize));
	height->ascent = measured.ascent;
	height->descent = measured.descent;
	height->leading = measured.leading;
}

float BFont::StringWidth(const char* string) const
{
	return string ? StringWidth(string, int32(std::strlen(string))) : 0.0f;
}

float BFont::StringWidth(const char* string, int32 length) const
{
	if (!string || length <= 0)
		return 0.0f;
	return zoetra::display::MeasureStringWidth(
		ChoiceOf(fFamily, fStyle, fSize), string, int(length));
}

void BFont::CopyFrom(const BFont& font, uint32 mask)
{
	if (mask & B_FONT_FAMILY_AND_STYLE) {
		std::memcpy(fFamily, font.fFamily, sizeof fFamily);
		std::memcpy(fStyle, font.fStyle, sizeof fStyle);
	}
	if (mask & B_FONT_SIZE)
		fSize = font.fSize;
	if (mask & B_FONT_SHEAR)
		fShear = font.fShear;
	if (mask & B_FONT_ROTATION)
		fRotation = font.fRotation;
	if (mask & B_FONT_SPACING)
		fSpacing = font.fSpacing;
	if (mask & B_FONT_ENCODING)
		fEncoding = font.fEncoding;
	if (mask & B_FONT_FACE)
		fFace = font.fFace;
	if (mask & B_FONT_FLAGS)
		fFlags = font.fFlags;
}

zoetra::display::FontChoice BFont::Choice() const
{
	return ChoiceOf(fFamily, fStyle, fSize);
}
