// A window and a view that write what reaches them into an EventLog, for kit tests.
#pragma once

#include <Message.h>
#include <View.h>
#include <Window.h>

#include <string>

#include "EventLog.h"

namespace zoetra::testing {

std::string Code(uint32 what);

class LoggingView : public BView {
public:
	LoggingView(
		BRect frame, const char* name, uint32 mode, EventLog& log, uint32 flags = B_WILL_DRAW);
	void MouseDown(BPoint where) override;
	void FrameResized(float width, float height) override;
	void MessageReceived(BMessage* message) override;
	void Draw(BRect updateRect) override;

private:
	EventLog& fLog;
};

class LoggingWindow : public BWindow {
public:
	LoggingWindow(BRect frame, const char* title, EventLog& log, uint32 flags = 0);
	~LoggingWindow() override;
	void MessageReceived(BMessage* message) override;
	bool QuitRequested() override;
	void FrameResized(float width, float height) override;

	// Whether QuitRequested agrees; it always logs "quit-requested".
	bool agreeToQuit = false;

private:
	EventLog& fLog;
};

// Quits `window` from another thread and waits (bounded) until its destructor has run.
bool QuitAndWait(LoggingWindow* window, EventLog& log);

} // namespace zoetra::testing
