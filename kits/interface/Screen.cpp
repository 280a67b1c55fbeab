// BScreen: the main screen's frame as the display last reported it.
#include <Screen.h>

#include <Errors.h>

#include "DisplayServer.h"

BScreen::BScreen(screen_id id)
	: fID(id)
{
}

bool BScreen::IsValid() const
{
	return fID.id == B_MAIN_SCREEN_ID.id && !zoetra::display::MainScreenFrame().IsEmpty();
}

BRect BScreen::Frame() const
{
	if (!IsValid())
		return BRect();
	const zoetra::display::PixelRect frame = zoetra::display::MainScreenFrame();
	return BRect(float(frame.left), float(frame.top), float(frame.right), float(frame.bottom));
}
