// A native top-level window as the interface kit sees it: requests in, events out, a backing store.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Canvas.h"
#include "WindowEvents.h"

namespace zoetra::display {

struct WindowState;
struct DisplayWindowAccess;

// Every call but Surface(), Flush() and Sync() may come from any thread; each queues a
// request to the display thread and returns at once, and requests keep their order.
// Surface(), Flush() and Sync() belong to whichever thread holds the owning window's lock.
class DisplayWindow {
public:
	DisplayWindow(const WindowOptions& options, std::unique_ptr<WindowEvents> events);
	// Takes the native window down (queued); the events object is never called again
	// after the display thread has carried that out.
	~DisplayWindow();
	DisplayWindow(const DisplayWindow&) = delete;
	DisplayWindow& operator=(const DisplayWindow&) = delete;

	void Show();
	void Hide();
	void Minimize(bool minimize);
	void Activate(bool activate);
	void SetTitle(const std::string& title);
	// Places the content area. `serial` grows with each call; change reports carry the
	// serial of the last request carried out before them.
	void SetGeometry(int32_t x, int32_t y, int32_t width, int32_t height, uint64_t serial);
	void SetSizeLimits(int32_t minWidth, int32_t maxWidth, int32_t minHeight, int32_t maxHeight);
	// Covers the whole screen without frame or menu bar, or goes back to the window as it was.
	void SetFullScreen(bool fullScreen);
	void SetMenuBar(const MenuBarModel& menuBar);
	void RemoveMenuBar();
	// Starts a drag from the content-area rectangle `rect` if a mouse button is still down.
	// `carriesPointers`: the payload means something only inside this process.
	void StartDrag(
		const std::vector<uint8_t>& payload, const PixelRect& rect, bool carriesPointers);

	Canvas& Surface();
	// Hands what was drawn since the last flush to the display thread; returns the flush's
	// serial (0 when nothing has ever been drawn).
	uint64_t Flush();
	// Flushes and waits until the display thread has put the picture on the screen, or
	// the window is hidden or minimised, or the display is shutting down.
	void Sync();
	// Shown and not minimised, as the display thread last saw it.
	bool IsExposed() const;

private:
	friend struct DisplayWindowAccess;
	std::shared_ptr<WindowState> fState;
};

} // namespace zoetra::display
