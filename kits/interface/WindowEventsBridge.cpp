// Native window events as BMessages posted to the window's looper.
#include "private/interface/WindowEventsBridge.h"

#include <AppDefs.h>
#include <Message.h>
#include <OS.h>

#include "private/app/MessagePrivate.h"

namespace BPrivate {

namespace {

BMessage MouseMessage(uint32 what, const zoetra::display::MouseEvent& event)
{
	BMessage message(what);
	message.AddInt64("when", system_time());
	message.AddPoint("where", BPoint(event.x, event.y));
	message.AddInt32("modifiers", int32(event.modifiers));
	message.AddInt32("buttons", int32(event.buttons));
	message.AddInt32("clicks", event.clicks);
	return message;
}

} // namespace

void WindowEventsBridge::Send(BMessage& message)
{
	// A full port or a window that has quit loses the event; the display goes on.
	fTarget.SendMessage(&message);
}

void WindowEventsBridge::MouseDown(const zoetra::display::MouseEvent& event)
{
	BMessage message = MouseMessage(B_MOUSE_DOWN, event);
	Send(message);
}

void WindowEventsBridge::MouseUp(const zoetra::display::MouseEvent& event)
{
	BMessage message = MouseMessage(B_MOUSE_UP, event);
	Send(message);
}

void WindowEventsBridge::KeyDown(const zoetra::display::KeyEvent& event)
{
	BMessage message(B_KEY_DOWN);
	message.AddInt64("when", system_time());
	message.AddString("bytes", event.bytes.c_str());
	message.AddInt32("key", event.key);
	message.AddInt32("modifiers", int32(event.modifiers));
	message.AddInt32("be:key_repeat", event.repeat ? 1 : 0);
	Send(message);
}

void WindowEventsBridge::CloseRequested()
{
	BMessage message(B_QUIT_REQUESTED);
	Send(message);
}

void WindowEventsBridge::Resized(int32_t width, int32_t height, uint64_t requestSerial)
{
	BMessage message(B_WINDOW_RESIZED);
	message.AddInt64("when", system_time());
	message.AddInt32("width", width - 1);
	message.AddInt32("height", height - 1);
	message.AddInt64("_serial", int64(requestSerial));
	Send(message);
}

void WindowEventsBridge::Moved(int32_t x, int32_t y, uint64_t requestSerial)
{
	BMessage message(B_WINDOW_MOVED);
	message.AddInt64("when", system_time());
	message.AddPoint("where", BPoint(float(x), float(y)));
	message.AddInt64("_serial", int64(requestSerial));
	Send(message);
}

void WindowEventsBridge::Activated(bool active)
{
	BMessage message(B_WINDOW_ACTIVATED);
	message.AddBool("active", active);
	Send(message);
}

void WindowEventsBridge::Minimized(bool minimized)
{
	BMessage message(B_MINIMIZE);
	message.AddBool("minimize", minimized);
	message.AddBool("_native", true);
	Send(message);
}

void WindowEventsBridge::MenuItemChosen(int32_t itemId)
{
	BMessage message(kMenuItemChosen);
	message.AddInt32("id", itemId);
	Send(message);
}

void WindowEventsBridge::MessageDropped(float x, float y, const std::vector<uint8_t>& payload)
{
	BMessage dropped;
	// The bytes crossed a process boundary or came through the desktop: read them only
	// within their bounds, and forget them if they do not make a message.
	if (MessagePrivate(&dropped).Unflatten(payload.data(), payload.size()) != B_OK)
		return;
	BMessage message(kDropped);
	message.AddPoint("where", BPoint(x, y));
	message.AddMessage("message", &dropped);
	Send(message);
}

void WindowEventsBridge::FilesDropped(float x, float y, const std::vector<std::string>& paths)
{
	if (paths.empty())
		return;
	BMessage message(kDropped);
	message.AddPoint("where", BPoint(x, y));
	for (const std::string& path : paths)
		message.AddString("path", path.c_str());
	Send(message);
}

}
