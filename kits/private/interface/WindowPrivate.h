// The native side of a BWindow, for the kits' own tests and tools.
#pragma once

class BWindow;

namespace zoetra::display {
class DisplayWindow;
}

namespace BPrivate {

class WindowPrivate {
public:
	static zoetra::display::DisplayWindow& Display(BWindow* window);
};

}
