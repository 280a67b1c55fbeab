// Font lookup and measurement for the interface kit, without Qt types.
#pragma once

#include <string>
#include <vector>

namespace zoetra::display {

// A font as the kit knows it. `size` is in pixels: one point of a BFont is one pixel on
// every screen, whatever its resolution, so text measures the same everywhere.
struct FontChoice {
	std::string family;
	std::string style;
	float size = 12.0f;
};

struct FontHeight {
	float ascent = 0;
	float descent = 0;
	float leading = 0;
};

// The fonts behind be_plain_font and be_bold_font: DejaVu Sans at 12 pixels, which Debian's
// fonts-dejavu-core provides, in its "Book" and "Bold" styles.
FontChoice PlainFontChoice();
FontChoice BoldFontChoice();

// Measuring needs the display started (Qt's font database lives in its application
// object); before that, and for an empty font, the answers are zero.
bool FontFamilyExists(const std::string& family);
bool FontStyleExists(const std::string& family, const std::string& style);
std::vector<std::string> FontFamilies();
FontHeight MeasureFontHeight(const FontChoice& font);
float MeasureStringWidth(const FontChoice& font, const char* text, int length);

} // namespace zoetra::display
