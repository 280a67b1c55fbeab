// The display thread's side of a window's shared state: exposure and presenting a flush.
#include "WindowState.h"

#include <algorithm>

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
	QRect dirty;
	{
		std::lock_guard lock(frontMutex);
		serial = flushSerial;
		dirty = frontDirty;
		frontDirty = QRect();
		presentQueued = false;
	}
	// repaint() paints now, so the picture has reached the native window when Sync returns.
	if (widget && widget->isVisible() && !widget->isMinimized() && !dirty.isEmpty())
		widget->repaint(dirty);
	{
		std::lock_guard lock(syncMutex);
		presentedSerial = std::max(presentedSerial, serial);
	}
	synced.notify_all();
}

} // namespace zoetra::display
