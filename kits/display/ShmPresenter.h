// Puts changed rectangles of a window's front buffer on its X window through shared memory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "PixelRect.h"

class QWidget;

namespace zoetra::display {

class FrontBuffer;

// The X server maps the front buffer's memory file once per size (MIT-SHM 1.2) and copies
// each changed rectangle from it into the window, so this process copies nothing; Qt's own
// road first copies the rectangle into its backing store and sends that. Made on the display
// thread for a native window; none where the display is not X, the server cannot map a
// file, or the window's pixels are not 32-bit 0xRRGGBB words in this machine's byte order.
class ShmPresenter {
public:
	static std::unique_ptr<ShmPresenter> ForWindow(QWidget& window);
	~ShmPresenter();
	ShmPresenter(const ShmPresenter&) = delete;
	ShmPresenter& operator=(const ShmPresenter&) = delete;

	// The native window the rectangles go to.
	uintptr_t Window() const;
	// Sends `rects`, which lie inside `front`, as the buffer holds them now; the caller keeps
	// the buffer locked. False, with nothing sent, when this buffer cannot be shared.
	bool Put(const FrontBuffer& front, const std::vector<PixelRect>& rects);

private:
	struct Impl;
	explicit ShmPresenter(std::unique_ptr<Impl> impl);
	std::unique_ptr<Impl> fImpl;
};

} // namespace zoetra::display
