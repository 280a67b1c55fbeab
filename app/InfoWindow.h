// InfoWindow: the About window.
#pragma once

#include <Window.h>

// Asks a showing About window to come to the front.
enum { kAboutActivate = 'ABac' };

class InfoWindow : public BWindow {
public:
	// Sized to its view; hidden until Show().
	InfoWindow();

	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;
};
