// BScreen: the main screen's frame as the display last reported it.
#include <Screen.h>

#include <Errors.h>

#include "DisplayServer.h"

BScreen::BScreen(screen_id id)
	: fID(id)
{
}

BScreen::BScreen(BWindow*)
	: fID(B_MAIN_SCREEN_ID)
{
}

bool BScreen::IsValid() const
{
	return fID.id == B_MAIN_SCREEN_ID.id && !zoetra::display::MainScreenFrame().IsEmpty();
}

status_t BScreen::SetToNext()
{
	return B_ERROR;
}

BRect BScreen::Frame() const
{
	if (!IsValid())
		return BRect();
	const zoetra::display::PixelRect frame = zoetra::display::MainScreenFrame();
	return BRect(float(frame.left), float(frame.top), float(frame.right), float(frame.bottom));
}

color_space BScreen::ColorSpace() const
{
	return IsValid() ? B_RGB32 : B_NO_COLOR_SPACE;
}
