// A window and a view that write what reaches them into an EventLog, for kit tests.
//
// How to use (inside RunWithDisplay, see DisplayHarness.h):
//   EventLog log;
//   auto* window = new LoggingWindow(BRect(0, 0, 99, 99), "Clicks", log);
//   window->AddChild(new LoggingView(window->Bounds(), "view", B_FOLLOW_ALL_SIDES, log));
//   window->Show();
//   EXPECT_TRUE(log.WaitFor("view draw"));      // also "view down X,Y", "view got CODE", ...
//   EXPECT_TRUE(QuitAndWait(window, log));
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
