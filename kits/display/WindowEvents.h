// What a native window reports to its owner, and the plain descriptions the owner hands it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zoetra::display {

// Modifier bits as the kit reports them (same values as the BeOS key modifiers).
enum Modifier : uint32_t {
	kShiftModifier = 0x01,
	kCommandModifier = 0x02,
	kControlModifier = 0x04,
	kOptionModifier = 0x40,
};

// Mouse buttons as bits: primary 1, secondary 2, tertiary 4.
struct MouseEvent {
	float x = 0; // content-area coordinates
	float y = 0;
	uint32_t buttons = 0;
	uint32_t modifiers = 0;
	int32_t clicks = 1;
};

// The kit's code for a function key, in KeyEvent::bytes; KeyEvent::key then says which one,
// kFirstFunctionKey for F1 up to kFirstFunctionKey + 11 for F12.
inline constexpr char kFunctionKeyByte = 0x10;
inline constexpr int32_t kFirstFunctionKey = 0x02;

struct KeyEvent {
	std::string bytes; // UTF-8 of the character, or the kit's code for a key without one
	int32_t key = 0; // the native key code, or which function key
	uint32_t modifiers = 0;
	bool repeat = false;
};

// Called on the display thread only. Implementations must not block: they post messages.
class WindowEvents {
public:
	virtual ~WindowEvents() = default;
	virtual void MouseDown(const MouseEvent& event) = 0;
	virtual void MouseUp(const MouseEvent& event) = 0;
	virtual void KeyDown(const KeyEvent& event) = 0;
	// The close box or the window manager asks to close; the window stays until told otherwise.
	virtual void CloseRequested() = 0;
	// The content area changed by the user or the window manager. `requestSerial` is the
	// serial of the last geometry request carried out before this change, so the owner
	// can tell a stale report from a fresh one.
	virtual void Resized(int32_t width, int32_t height, uint64_t requestSerial) = 0;
	virtual void Moved(int32_t x, int32_t y, uint64_t requestSerial) = 0;
	virtual void Activated(bool active) = 0;
	virtual void Minimized(bool minimized) = 0;
	virtual void MenuItemChosen(int32_t itemId) = 0;
	// A message dragged from a window of this process, or from another process when it
	// carries no pointers: the payload as the dragging side flattened it.
	virtual void MessageDropped(float x, float y, const std::vector<uint8_t>& payload) = 0;
	// Files dropped from a file manager, as absolute paths.
	virtual void FilesDropped(float x, float y, const std::vector<std::string>& paths) = 0;
};

struct MenuItemModel {
	std::string label;
	int32_t id = 0; // reported by MenuItemChosen
	char32_t shortcut = 0; // with the command key (Ctrl); 0 for none
	uint32_t modifiers = 0; // extra modifiers beside the command key
	bool separator = false;
	bool enabled = true;
	bool marked = false;
	std::vector<MenuItemModel> submenu; // non-empty: the item opens this menu
	bool isSubmenu = false;
};

// The menus of a menu bar, left to right; each top-level entry is a menu.
struct MenuBarModel {
	std::vector<MenuItemModel> menus;
	int32_t height = 0; // rows the bar occupies at the top of the content area
};

struct WindowOptions {
	std::string title;
	int32_t x = 0, y = 0, width = 1, height = 1; // content area in screen pixels
	bool bordered = true; // false: no frame at all
	bool titled = true;
	bool closable = true;
	bool zoomable = true;
	bool minimizable = true;
	bool resizable = true;
	bool acceptsFirstClick = false;
	bool modal = false; // blocks input to the other windows of the process
	bool floating = false; // stays above the other windows of the process
	bool avoidsFocus = false;
};

} // namespace zoetra::display
