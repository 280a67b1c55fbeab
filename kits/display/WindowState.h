// State shared between a window's drawing thread and the display thread (Qt side only).
#pragma once

#include <QImage>
#include <QRect>

#include <condition_variable>
#include <memory>
#include <mutex>

#include "Canvas.h"
#include "FrontBuffer.h"
#include "PixelRegion.h"
#include "WindowEvents.h"

namespace zoetra::display {

class WindowWidget;

struct WindowState {
	WindowOptions options;

	// Drawn into by the thread that holds the owning window's lock.
	Canvas back;

	// The front buffer: what the display thread shows. The drawing thread copies what it
	// drew since the last flush in at Flush time under this mutex (a bitmap's changed tiles
	// are scaled in), which neither side holds for longer than that copy (or the paint or the
	// put that reads it; a put after a new size waits once for the X server to map the new
	// buffer), so the display thread never waits on a drawing thread's lock and the drawing
	// thread may go on drawing into the back buffer at once.
	std::mutex frontMutex;
	FrontBuffer front;
	PixelRegion frontDirty;
	uint64_t flushSerial = 0;
	bool presentQueued = false;

	// Sync waits here until the display thread has presented a given flush.
	std::mutex syncMutex;
	std::condition_variable synced;
	uint64_t presentedSerial = 0;
	bool exposed = false;

	// Display thread only.
	PixelRegion presenting; // the flushed areas being put on the screen
	std::unique_ptr<WindowEvents> events;
	// Cleared by the widget's destructor. A plain pointer, not a QPointer: the state may be
	// destroyed on a looper thread, where a QPointer's reference count must not be touched.
	WindowWidget* widget = nullptr;
	QRect requestedGeometry;
	uint64_t geometrySerial = 0;
	int shutdownHook = 0;

	void SetExposed(bool value);
	void Present();
};

} // namespace zoetra::display
