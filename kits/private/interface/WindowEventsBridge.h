// Turns what a native window reports into messages posted to its BWindow (display thread).
#pragma once

#include <Messenger.h>

#include "WindowEvents.h"

namespace BPrivate {

// Private message codes between the display side and a window.
enum {
	kMenuItemChosen = '_ZMI', // "id": the item
	kDropped = '_ZDR', // "where": window point; "message" or "path" entries
	kUpdate = '_UPD', // draw what is invalid
};

// Holds only a messenger: if the window is gone, posting fails and nothing else happens.
// Posting never blocks, so the display thread never waits here.
class WindowEventsBridge final : public zoetra::display::WindowEvents {
public:
	explicit WindowEventsBridge(BMessenger target)
		: fTarget(target)
	{
	}

	void MouseDown(const zoetra::display::MouseEvent& event) override;
	void MouseUp(const zoetra::display::MouseEvent& event) override;
	void KeyDown(const zoetra::display::KeyEvent& event) override;
	void CloseRequested() override;
	void Resized(int32_t width, int32_t height, uint64_t requestSerial) override;
	void Moved(int32_t x, int32_t y, uint64_t requestSerial) override;
	void Activated(bool active) override;
	void Minimized(bool minimized) override;
	void MenuItemChosen(int32_t itemId) override;
	void MessageDropped(float x, float y, const std::vector<uint8_t>& payload) override;
	void FilesDropped(float x, float y, const std::vector<std::string>& paths) override;

private:
	void Send(BMessage& message);

	BMessenger fTarget;
};

}
