// InfoWindow: a fixed-size window holding the About text, which tells the application when it goes.
#include "InfoWindow.h"

#include "InfoView.h"
#include "ZoetraApp.h"

#include <Application.h>
#include <Message.h>

namespace {

const BRect kFrame(210.0f, 150.0f, 489.0f, 299.0f);

} // namespace

InfoWindow::InfoWindow()
	: BWindow(kFrame, "About Zoetra", B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE, B_CURRENT_WORKSPACE)
{
	InfoView* view = new InfoView(Bounds());
	ResizeTo(view->Bounds().Width(), view->Bounds().Height());
	AddChild(view);
	view->MakeFocus(true);
}

void InfoWindow::MessageReceived(BMessage* message)
{
	if (message->what == kAboutActivate) {
		Activate(true);
		return;
	}
	BWindow::MessageReceived(message);
}

bool InfoWindow::QuitRequested()
{
	BMessage closed(kAboutClosed);
	closed.AddPointer("window", this);
	be_app->PostMessage(&closed);
	return true;
}
