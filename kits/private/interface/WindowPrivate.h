// The native side of a BWindow, for the kits' own tests and tools.
#pragma once

#include <Window.h>

namespace BPrivate {

class WindowPrivate {
public:
	static zoetra::display::DisplayWindow& Display(BWindow* window) { return *window->fDisplay; }
};

}
