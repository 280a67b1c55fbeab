// Font lookup and measurement through Qt's font database, sizes taken as pixels.
#include "FontEngine.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetricsF>

#include <cmath>

#include "QtBridge.h"

namespace zoetra::display {

namespace {

bool HaveFontDatabase()
{
	return QCoreApplication::instance() != nullptr;
}

} // namespace

FontChoice PlainFontChoice()
{
	return {"DejaVu Sans", "Book", 12.0f};
}

FontChoice BoldFontChoice()
{
	return {"DejaVu Sans", "Bold", 12.0f};
}

QFont ToQFont(const FontChoice& options)
{
	QFont font(ToQString(options.family));
	// Pixel sizes are whole numbers in Qt; a fractional size rounds to the nearest pixel.
	font.setPixelSize(std::max(1, int(std::lround(options.size))));
	if (!options.style.empty() && HaveFontDatabase()
		&& QFontDatabase::styles(font.family()).contains(ToQString(options.style)))
		font.setStyleName(ToQString(options.style));
	font.setKerning(true);
	font.setStyleStrategy(QFont::PreferAntialias);
	return font;
}

bool FontFamilyExists(const std::string& family)
{
	return HaveFontDatabase() && !family.empty() && QFontDatabase::hasFamily(ToQString(family));
}

bool FontStyleExists(const std::string& family, const std::string& style)
{
	return FontFamilyExists(family)
		&& QFontDatabase::styles(ToQString(family)).contains(ToQString(style));
}

std::vector<std::string> FontFamilies()
{
	std::vector<std::string> names;
	if (!HaveFontDatabase())
		return names;
	for (const QString& family : QFontDatabase::families())
		names.push_back(family.toStdString());
	return names;
}

FontHeight MeasureFontHeight(const FontChoice& font)
{
	if (!HaveFontDatabase() || font.family.empty())
		return {};
	const QFontMetricsF metrics(ToQFont(font));
	// Some fonts report a negative leading (lines set tighter than their height); a line
	// height below ascent + descent would make lines overlap, so it counts as none.
	return {
		float(metrics.ascent()), float(metrics.descent()), float(std::max(0.0, metrics.leading()))};
}

float MeasureStringWidth(const FontChoice& font, const char* text, int length)
{
	if (!HaveFontDatabase() || font.family.empty() || !text || length <= 0)
		return 0;
	const QFontMetricsF metrics(ToQFont(font));
	return float(metrics.horizontalAdvance(QString::fromUtf8(text, length)));
}

} // namespace zoetra::display
