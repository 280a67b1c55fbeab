// Logging window and view for the interface kit's tests.
#include "KitTestWindows.h"

#include <cstdio>

namespace zoetra::testing {

std::string Code(uint32 what)
{
	std::string code;
	for (int shift = 24; shift >= 0; shift -= 8)
		code += char((what >> shift) & 0xff);
	return code;
}

LoggingView::LoggingView(BRect frame, const char* name, uint32 mode, EventLog& log, uint32 flags)
	: BView(frame, name, mode, flags),
	  fLog(log)
{
}

void LoggingView::MouseDown(BPoint where)
{
	char text[96];
	std::snprintf(text, sizeof text, "%s down %g,%g", Name(), double(where.x), double(where.y));
	fLog.Add(text);
}

void LoggingView::FrameResized(float width, float height)
{
	char text[96];
	std::snprintf(text, sizeof text, "%s resized %gx%g", Name(), double(width), double(height));
	fLog.Add(text);
}

void LoggingView::MessageReceived(BMessage* message)
{
	std::string entry = std::string(Name()) + " got " + Code(message->what);
	if (message->WasDropped()) {
		const BPoint where = message->DropPoint();
		char text[64];
		std::snprintf(text, sizeof text, " dropped at %g,%g", double(where.x), double(where.y));
		entry += text;
	}
	fLog.Add(entry);
}

void LoggingView::Draw(BRect)
{
	fLog.Add(std::string(Name()) + " draw");
}

LoggingWindow::LoggingWindow(BRect frame, const char* title, EventLog& log, uint32 flags)
	: BWindow(frame, title, B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, flags),
	  fLog(log)
{
}

LoggingWindow::~LoggingWindow()
{
	fLog.Add(std::string("destroyed ") + Title());
}

void LoggingWindow::MessageReceived(BMessage* message)
{
	fLog.Add("window got " + Code(message->what));
	BWindow::MessageReceived(message);
}

bool LoggingWindow::QuitRequested()
{
	fLog.Add("quit-requested");
	return agreeToQuit;
}

void LoggingWindow::FrameResized(float width, float height)
{
	char text[96];
	std::snprintf(text, sizeof text, "window resized %gx%g", double(width), double(height));
	fLog.Add(text);
}

bool QuitAndWait(LoggingWindow* window, EventLog& log)
{
	const std::string title = window->Title();
	if (!window->Lock())
		return false;
	window->Quit();
	return log.WaitFor("destroyed " + title);
}

} // namespace zoetra::testing
