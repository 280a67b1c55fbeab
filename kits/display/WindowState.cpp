// The display thread's side of a window's shared state: exposure and presenting a flush.
#include "WindowState.h"

#include <algorithm>

#include "QtBridge.h"
#include "WindowWidget.h"

namespace zoetra::display {

void WindowState::SetExposed(bool value)
{
	{
		std::lock_guard lock(syncMutex);
		exposed = value;
	}
	synced.notify_all();
}

void WindowState::Present()
{
	uint64_t serial;
	presenting.Clear();
	{
		std::lock_guard lock(frontMutex);
		serial = flushSerial;
		presenting.Swap(frontDirty);
		presentQueued = false;
	}
	// repaint() paints now, so the picture has reached the native window when Sync returns.
	// Only the areas flushed are painted: a frame that changed little sends little.
	if (widget && widget->isVisible() && !widget->isMinimized() && !presenting.IsEmpty()) {
		QRegion region;
		for (const PixelRect& rect : presenting.Rects())
			region += ToQRect(rect);
		widget->repaint(region);
	}
	{
		std::lock_guard lock(syncMutex);
		presentedSerial = std::max(presentedSerial, serial);
	}
	synced.notify_all();
}

} // namespace zoetra::display
