// BMenuItem: one entry of a menu, with its message, shortcut and target; and separators.
#pragma once

#include <Invoker.h>

#include <string>

class BMenu;
class BMessage;

class BMenuItem : public BInvoker {
public:
	// The shortcut is a character typed with the command key (Ctrl) and `modifiers`.
	BMenuItem(const char* label, BMessage* message, char shortcut = 0, uint32 modifiers = 0);
	// An item that opens `submenu`, which it owns.
	BMenuItem(BMenu* submenu, BMessage* message = NULL);
	virtual ~BMenuItem();

	virtual void SetLabel(const char* label);
	const char* Label() const;
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;
	virtual void SetMarked(bool marked);
	bool IsMarked() const;
	virtual void SetShortcut(char shortcut, uint32 modifiers);
	char Shortcut(uint32* modifiers = NULL) const;
	BMenu* Submenu() const;
	BMenu* Menu() const;

	// Without a target of its own, the item's message goes to the window of its menu.
	virtual status_t Invoke(BMessage* message = NULL);

protected:
	virtual bool IsSeparator() const { return false; }

private:
	friend class BMenu;
	friend class BWindow;

	void Changed();

	std::string fLabel;
	BMenu* fSubmenu;
	BMenu* fMenu;
	char fShortcut;
	uint32 fModifiers;
	bool fEnabled;
	bool fMarked;
	const int32 fId;
};

class BSeparatorItem : public BMenuItem {
public:
	BSeparatorItem();
	virtual ~BSeparatorItem();
	virtual void SetEnabled(bool enabled);

protected:
	virtual bool IsSeparator() const { return true; }

private:
	friend class BMenu;
};
