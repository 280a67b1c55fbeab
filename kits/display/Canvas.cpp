// The backing store: direct pixel loops for rectangles and bitmaps, QPainter only for text.
#include "Canvas.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

#include "QtBridge.h"

namespace zoetra::display {

struct Canvas::Impl {
	QImage image;
	PixelRect dirty;
	std::vector<int32_t> columnTable;
};

namespace {

constexpr uint32_t kWhite = 0xffffffffu;
constexpr uint32_t kOpaque = 0xff000000u;

} // namespace

Canvas::Canvas()
	: fImpl(std::make_unique<Impl>())
{
}

Canvas::~Canvas() = default;

void Canvas::Resize(int32_t width, int32_t height)
{
	width = std::max(width, 0);
	height = std::max(height, 0);
	if (width == Width() && height == Height())
		return;
	QImage resized(width, height, QImage::Format_RGB32);
	resized.fill(kWhite);
	if (!fImpl->image.isNull() && width > 0 && height > 0) {
		QPainter painter(&resized);
		painter.setCompositionMode(QPainter::CompositionMode_Source);
		painter.drawImage(0, 0, fImpl->image);
	}
	fImpl->image = std::move(resized);
	fImpl->dirty = Bounds();
	// The widest row the scaler can be asked for: growing the table now keeps drawing free
	// of allocations.
	fImpl->columnTable.reserve(size_t(width));
}

int32_t Canvas::Width() const
{
	return fImpl->image.width();
}

int32_t Canvas::Height() const
{
	return fImpl->image.height();
}

PixelPlane Canvas::Plane() const
{
	QImage& image = fImpl->image;
	if (image.isNull())
		return {};
	// bits() on a const-less image that is not shared does not detach.
	return {reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
		int32_t(image.bytesPerLine())};
}

uint32_t Canvas::PixelAt(int32_t x, int32_t y) const
{
	if (x < 0 || y < 0 || x >= Width() || y >= Height())
		return 0;
	return Plane().Row(y)[x];
}

void Canvas::FillRect(const PixelRect& rect, uint32_t pixel, const PixelRect& clip)
{
	const PixelRect area = rect.Intersect(clip).Intersect(Bounds());
	if (area.IsEmpty())
		return;
	const PixelPlane plane = Plane();
	pixel |= kOpaque;
	for (int32_t y = area.top; y <= area.bottom; y++)
		std::fill_n(plane.Row(y) + area.left, area.Width(), pixel);
	MarkDirty(area);
}

void Canvas::StrokeRect(const PixelRect& rect, uint32_t pixel, const PixelRect& clip)
{
	if (rect.IsEmpty())
		return;
	FillRect({rect.left, rect.top, rect.right, rect.top}, pixel, clip);
	FillRect({rect.left, rect.bottom, rect.right, rect.bottom}, pixel, clip);
	FillRect({rect.left, rect.top, rect.left, rect.bottom}, pixel, clip);
	FillRect({rect.right, rect.top, rect.right, rect.bottom}, pixel, clip);
}

void Canvas::StrokeLine(
	int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t pixel, const PixelRect& clip)
{
	if (x0 == x1 || y0 == y1) {
		FillRect(
			{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)}, pixel, clip);
		return;
	}
	// Bresenham for the rare slanted line; each pixel checked against the clip.
	const PixelRect area = clip.Intersect(Bounds());
	const PixelPlane plane = Plane();
	const int32_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
	const int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
	int32_t error = dx + dy;
	PixelRect touched;
	for (;;) {
		if (x0 >= area.left && x0 <= area.right && y0 >= area.top && y0 <= area.bottom) {
			plane.Row(y0)[x0] = pixel | kOpaque;
			touched = touched.Union({x0, y0, x0, y0});
		}
		if (x0 == x1 && y0 == y1)
			break;
		const int32_t twice = 2 * error;
		if (twice >= dy) {
			error += dy;
			x0 += sx;
		}
		if (twice <= dx) {
			error += dx;
			y0 += sy;
		}
	}
	MarkDirty(touched);
}

void Canvas::DrawBitmap(const PixelPlane& source, const PixelRect& sourceRect,
	const PixelRect& destRect, const PixelRect& clip)
{
	ScaleNearest(source, sourceRect, Plane(), destRect, clip, fImpl->columnTable);
	MarkDirty(destRect.Intersect(clip).Intersect(Bounds()));
}

float Canvas::DrawString(const FontChoice& font, const char* text, int length, float x, float y,
	uint32_t pixel, const PixelRect& clip)
{
	if (!text || length <= 0 || fImpl->image.isNull())
		return 0;
	const QString string = QString::fromUtf8(text, length);
	const QFont qfont = ToQFont(font);
	const PixelRect area = clip.Intersect(Bounds());
	if (area.IsEmpty())
		return float(QFontMetricsF(qfont).horizontalAdvance(string));
	QPainter painter(&fImpl->image);
	painter.setClipRect(ToQRect(area));
	painter.setFont(qfont);
	painter.setPen(QColor::fromRgb(pixel | kOpaque));
	painter.drawText(QPointF(x, y), string);
	const QFontMetricsF metrics(qfont);
	const float advance = float(metrics.horizontalAdvance(string));
	const QRectF box(x - 2, y - metrics.ascent() - 2, advance + 4, metrics.height() + 4);
	MarkDirty(ToPixelRect(box.toAlignedRect()).Intersect(area));
	return advance;
}

PixelRect Canvas::TakeDirty()
{
	const PixelRect dirty = fImpl->dirty;
	fImpl->dirty = PixelRect{};
	return dirty;
}

void Canvas::MarkDirty(const PixelRect& rect)
{
	if (!rect.IsEmpty())
		fImpl->dirty = fImpl->dirty.Union(rect);
}

const QImage& Canvas::Image() const
{
	return fImpl->image;
}

} // namespace zoetra::display
