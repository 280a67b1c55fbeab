// BMenu: a list of menu items, shown by the native menu bar of its window.
#pragma once

#include <InterfaceDefs.h>
#include <Messenger.h>
#include <View.h>

#include <vector>

class BMenuItem;
class BMenuBar;

class BMenu : public BView {
public:
	BMenu(const char* name, menu_layout layout = B_ITEMS_IN_COLUMN);
	// Deletes its items (and their submenus).
	virtual ~BMenu();

	bool AddItem(BMenuItem* item);
	bool AddItem(BMenuItem* item, int32 index);
	// Adds an item that opens `submenu`.
	bool AddItem(BMenu* submenu);
	bool AddItem(BMenu* submenu, int32 index);
	bool AddSeparatorItem();
	BMenuItem* RemoveItem(int32 index);
	BMenuItem* ItemAt(int32 index) const;
	int32 CountItems() const;
	int32 IndexOf(BMenuItem* item) const;
	BMenuItem* FindItem(const char* label) const;
	BMenuItem* FindItem(uint32 command) const;
	BMenu* Supermenu() const;
	menu_layout Layout() const { return fLayout; }
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	// Sets the target of every item (submenus included).
	virtual status_t SetTargetForItems(BHandler* target);
	virtual status_t SetTargetForItems(BMessenger messenger);

protected:
	// An item was added, removed or changed: the menu tells the menu it hangs in, up to
	// the menu bar, which shows the change.
	virtual void ItemsChanged();

private:
	friend class BMenuItem;
	friend class BMenuBar;
	friend class BWindow;

	std::vector<BMenuItem*> fItems;
	BMenuItem* fSuperitem;
	menu_layout fLayout;
	bool fEnabled;
};
