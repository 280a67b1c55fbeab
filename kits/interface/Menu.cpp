// BMenu: an ordered list of items; changes reach the native menu bar of its window.
#include <Menu.h>

#include <MenuBar.h>
#include <MenuItem.h>
#include <Message.h>
#include <Window.h>

#include <algorithm>
#include <cstring>

BMenu::BMenu(const char* name, menu_layout layout)
	: BView(BRect(0, 0, -1, -1), name, B_FOLLOW_LEFT | B_FOLLOW_TOP, B_WILL_DRAW),
	  fSuperitem(nullptr),
	  fLayout(layout),
	  fEnabled(true)
{
}

BMenu::~BMenu()
{
	for (BMenuItem* item : fItems) {
		item->fMenu = nullptr;
		delete item;
	}
}

bool BMenu::AddItem(BMenuItem* item)
{
	return AddItem(item, CountItems());
}

bool BMenu::AddItem(BMenuItem* item, int32 index)
{
	if (!item || item->fMenu || index < 0 || index > CountItems())
		return false;
	fItems.insert(fItems.begin() + index, item);
	item->fMenu = this;
	ItemsChanged();
	return true;
}

bool BMenu::AddItem(BMenu* submenu)
{
	return AddItem(submenu, CountItems());
}

bool BMenu::AddItem(BMenu* submenu, int32 index)
{
	if (!submenu || submenu->fSuperitem)
		return false;
	auto* item = new BMenuItem(submenu);
	if (!AddItem(item, index)) {
		item->fSubmenu = nullptr;
		submenu->fSuperitem = nullptr;
		delete item;
		return false;
	}
	return true;
}

bool BMenu::AddSeparatorItem()
{
	return AddItem(new BSeparatorItem);
}

BMenuItem* BMenu::RemoveItem(int32 index)
{
	if (index < 0 || index >= CountItems())
		return nullptr;
	BMenuItem* item = fItems[size_t(index)];
	fItems.erase(fItems.begin() + index);
	item->fMenu = nullptr;
	ItemsChanged();
	return item;
}

BMenuItem* BMenu::ItemAt(int32 index) const
{
	return index >= 0 && index < CountItems() ? fItems[size_t(index)] : nullptr;
}

int32 BMenu::CountItems() const
{
	return int32(fItems.size());
}

int32 BMenu::IndexOf(BMenuItem* item) const
{
	auto found = std::find(fItems.begin(), fItems.end(), item);
	return found == fItems.end() ? -1 : int32(found - fItems.begin());
}

BMenuItem* BMenu::FindItem(const char* label) const
{
	if (!label)
		return nullptr;
	for (BMenuItem* item : fItems) {
		if (std::strcmp(item->Label(), label) == 0)
			return item;
		if (item->Submenu())
			if (BMenuItem* found = item->Submenu()->FindItem(label))
				return found;
	}
	return nullptr;
}

BMenuItem* BMenu::FindItem(uint32 command) const
{
	for (BMenuItem* item : fItems) {
		if (item->Message() && item->Message()->what == command)
			return item;
		if (item->Submenu())
			if (BMenuItem* found = item->Submenu()->FindItem(command))
				return found;
	}
	return nullptr;
}

BMenu* BMenu::Supermenu() const
{
	return fSuperitem ? fSuperitem->Menu() : nullptr;
}

void BMenu::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	ItemsChanged();
}

bool BMenu::IsEnabled() const
{
	return fEnabled;
}

status_t BMenu::SetTargetForItems(BHandler* target)
{
	for (BMenuItem* item : fItems) {
		item->SetTarget(target);
		if (item->Submenu())
			item->Submenu()->SetTargetForItems(target);
	}
	return B_OK;
}

status_t BMenu::SetTargetForItems(BMessenger messenger)
{
	for (BMenuItem* item : fItems) {
		item->SetTarget(messenger);
		if (item->Submenu())
			item->Submenu()->SetTargetForItems(messenger);
	}
	return B_OK;
}

void BMenu::ItemsChanged()
{
	if (BMenu* parent = Supermenu())
		parent->ItemsChanged();
}
