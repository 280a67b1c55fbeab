// The native side of a BWindow, for the kits' own tests and tools.
#ifndef ZOETRA_WINDOW_PRIVATE_H
#define ZOETRA_WINDOW_PRIVATE_H

#include <Window.h>

namespace BPrivate {

class WindowPrivate {
public:
	static zoetra::display::DisplayWindow& Display(BWindow* window) { return *window->fDisplay; }
};

}

#endif
