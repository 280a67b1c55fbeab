// BScreen: the size of a screen.
#pragma once

#include <GraphicsDefs.h>
#include <InterfaceDefs.h>
#include <Rect.h>

class BScreen {
public:
	BScreen(screen_id id = B_MAIN_SCREEN_ID);

	// False before the display has started, or for a screen other than the main one.
	bool IsValid() const;
	BRect Frame() const;
	screen_id ID() const { return fID; }

private:
	screen_id fID;
};
