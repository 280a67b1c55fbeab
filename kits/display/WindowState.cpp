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
	presenting.Clear();
	{
		std::lock_guard lock(frontMutex);
		serial = flushSerial;
		presenting.Swap(frontDirty);
		presentQueued = false;
	}
	// Only the areas flushed are sent: a frame that changed little sends little.
	if (widget && widget->isVisible() && !widget->isMinimized() && !presenting.IsEmpty())
		widget->ShowChanges(presenting.Rects());
	{
		std::lock_guard lock(syncMutex);
		presentedSerial = std::max(presentedSerial, serial);
	}
	synced.notify_all();
}

} // namespace zoetra::display
