// InfoWindow: the About window.
#ifndef ZOETRA_INFO_WINDOW_H
#define ZOETRA_INFO_WINDOW_H

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

#endif
