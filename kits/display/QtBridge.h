// Conversions between the display layer's plain types and Qt's (Qt side only).
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include "FontEngine.h"
#include "PixelRect.h"

namespace zoetra::display {

QFont ToQFont(const FontChoice& options);

inline QRect ToQRect(const PixelRect& rect)
{
	return QRect(QPoint(rect.left, rect.top), QPoint(rect.right, rect.bottom));
}

inline PixelRect ToPixelRect(const QRect& rect)
{
	return {rect.left(), rect.top(), rect.right(), rect.bottom()};
}

inline QString ToQString(const std::string& text)
{
	return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace zoetra::display
