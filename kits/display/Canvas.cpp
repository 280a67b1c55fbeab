// The backing store: direct pixel loops for rectangles and bitmaps, QPainter only for text.
#include "Canvas.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "FrontBuffer.h"
#include "IncrementalScaler.h"
#include "QtBridge.h"

namespace zoetra::display {

namespace {

constexpr uint32_t kWhite = 0xffffffffu;
constexpr uint32_t kOpaque = 0xff000000u;

// A rectangle known to hold one colour since it was last filled.
struct SolidArea {
	PixelRect rect;
	uint32_t pixel = 0;
};

} // namespace

struct Canvas::Impl {
	QImage image;
	PixelRegion dirty; // to copy from the image at the next flush
	PixelRegion deferred; // changes of the scaled picture, scaled straight into the front copy
	IncrementalScaler scaler;
	// The last few fills (views paint the same bars and backgrounds again and again).
	std::array<SolidArea, 8> solids;
	size_t nextSolid = 0;

	// Something is about to write `rect` other than the drawing that the records describe.
	// The image then holds everything drawn, so the next flush copies what the scaler
	// deferred.
	void CatchUp()
	{
		scaler.CatchUp();
		dirty.Add(deferred);
		deferred.Clear();
	}

	void Overwriting(const PixelRect& rect)
	{
		if (scaler.Covers(rect)) {
			CatchUp();
			scaler.Forget();
		}
		ForgetSolids(rect);
	}

	void ForgetSolids(const PixelRect& rect)
	{
		for (SolidArea& solid : solids)
			if (!solid.rect.Intersect(rect).IsEmpty())
				solid.rect = PixelRect{};
	}

	bool HoldsSolid(const PixelRect& rect, uint32_t pixel) const
	{
		for (const SolidArea& solid : solids)
			if (solid.pixel == pixel && !solid.rect.IsEmpty() && solid.rect.Contains(rect))
				return true;
		return false;
	}

	void RecordSolid(const PixelRect& rect, uint32_t pixel)
	{
		solids[nextSolid] = {rect, pixel};
		nextSolid = (nextSolid + 1) % solids.size();
	}
};

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
	// The pixels kept must all be there before they are carried over.
	fImpl->CatchUp();
	fImpl->scaler.Forget();
	QImage resized(width, height, QImage::Format_RGB32);
	resized.fill(kWhite);
	if (!fImpl->image.isNull() && width > 0 && height > 0) {
		QPainter painter(&resized);
		painter.setCompositionMode(QPainter::CompositionMode_Source);
		painter.drawImage(0, 0, fImpl->image);
	}
	fImpl->image = std::move(resized);
	fImpl->Overwriting(Bounds());
	fImpl->dirty.Clear();
	MarkDirty(Bounds());
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
	fImpl->CatchUp();
	return Plane().Row(y)[x];
}

void Canvas::FillRect(const PixelRect& rect, uint32_t pixel, const PixelRect& clip)
{
	const PixelRect area = rect.Intersect(clip).Intersect(Bounds());
	if (area.IsEmpty())
		return;
	pixel |= kOpaque;
	if (fImpl->HoldsSolid(area, pixel))
		return;
	fImpl->Overwriting(area);
	const PixelPlane plane = Plane();
	for (int32_t y = area.top; y <= area.bottom; y++)
		std::fill_n(plane.Row(y) + area.left, area.Width(), pixel);
	fImpl->RecordSolid(area, pixel);
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
	fImpl->Overwriting(
		PixelRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)});
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
	const PixelRect area = destRect.Intersect(clip).Intersect(Bounds());
	if (area.IsEmpty())
		return;
	fImpl->ForgetSolids(area);
	const PixelPlane plane = Plane();
	if (!fImpl->scaler.DrawsChangesOnly(sourceRect, plane, destRect, clip))
		fImpl->CatchUp();
	fImpl->scaler.Draw(source, sourceRect, plane, destRect, clip, fImpl->dirty, &fImpl->deferred);
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
	const QFontMetricsF metrics(qfont);
	const float advance = float(metrics.horizontalAdvance(string));
	const QRectF box(x - 2, y - metrics.ascent() - 2, advance + 4, metrics.height() + 4);
	const PixelRect touched = ToPixelRect(box.toAlignedRect()).Intersect(area);
	// Glyphs may reach past their box: everything the clip allows counts as overwritten.
	fImpl->Overwriting(area);
	QPainter painter(&fImpl->image);
	painter.setClipRect(ToQRect(area));
	painter.setFont(qfont);
	painter.setPen(QColor::fromRgb(pixel | kOpaque));
	painter.drawText(QPointF(x, y), string);
	MarkDirty(touched);
	return advance;
}

bool Canvas::CopyChangesTo(FrontBuffer& front, PixelRegion& changed)
{
	Impl& impl = *fImpl;
	if (impl.dirty.IsEmpty() && impl.deferred.IsEmpty())
		return false;
	if (front.Width() != Width() || front.Height() != Height()) {
		impl.CatchUp();
		front.CopyWhole(impl.image);
		changed.Clear();
		changed.Add(Bounds());
	} else {
		const PixelPlane from = Plane();
		const PixelPlane to = front.Plane();
		for (const PixelRect& rect : impl.dirty.Rects()) {
			const size_t bytes = size_t(rect.Width()) * sizeof(uint32_t);
			for (int32_t y = rect.top; y <= rect.bottom; y++)
				std::memcpy(to.Row(y) + rect.left, from.Row(y) + rect.left, bytes);
			changed.Add(rect);
		}
		// Scaled straight from the source: no second write of the same pixels.
		for (const PixelRect& rect : impl.deferred.Rects()) {
			impl.scaler.Render(to, rect);
			changed.Add(rect);
		}
	}
	impl.dirty.Clear();
	impl.deferred.Clear();
	return true;
}

void Canvas::MarkDirty(const PixelRect& rect)
{
	fImpl->dirty.Add(rect.Intersect(Bounds()));
}

void Canvas::Forget(const PixelRect& rect)
{
	fImpl->Overwriting(rect);
}

} // namespace zoetra::display
