// BMenuItem and BSeparatorItem: labels, shortcuts, and invoking on the window's thread.
#include <MenuItem.h>

#include <Errors.h>
#include <Menu.h>
#include <Message.h>
#include <Window.h>

#include <atomic>

namespace {

// Ids name items to the native menu bar, which reports choices by id.
std::atomic<int32> sNextItemId{1};

} // namespace

BMenuItem::BMenuItem(const char* label, BMessage* message, char shortcut, uint32 modifiers)
	: BInvoker(message, nullptr, nullptr),
	  fLabel(label ? label : ""),
	  fSubmenu(nullptr),
	  fMenu(nullptr),
	  fShortcut(shortcut),
	  fModifiers(modifiers),
	  fEnabled(true),
	  fMarked(false),
	  fId(sNextItemId++)
{
}

BMenuItem::BMenuItem(BMenu* submenu, BMessage* message)
	: BInvoker(message, nullptr, nullptr),
	  fLabel(submenu && submenu->Name() ? submenu->Name() : ""),
	  fSubmenu(submenu),
	  fMenu(nullptr),
	  fShortcut(0),
	  fModifiers(0),
	  fEnabled(true),
	  fMarked(false),
	  fId(sNextItemId++)
{
	if (fSubmenu)
		fSubmenu->fSuperitem = this;
}

BMenuItem::~BMenuItem()
{
	delete fSubmenu;
}

void BMenuItem::SetLabel(const char* label)
{
	fLabel = label ? label : "";
	Changed();
}

const char* BMenuItem::Label() const
{
	return fLabel.c_str();
}

void BMenuItem::SetEnabled(bool enabled)
{
	fEnabled = enabled;
	Changed();
}

bool BMenuItem::IsEnabled() const
{
	return fEnabled;
}

void BMenuItem::SetMarked(bool marked)
{
	fMarked = marked;
	Changed();
}

bool BMenuItem::IsMarked() const
{
	return fMarked;
}

void BMenuItem::SetShortcut(char shortcut, uint32 modifiers)
{
	fShortcut = shortcut;
	fModifiers = modifiers;
	Changed();
}

char BMenuItem::Shortcut(uint32* modifiers) const
{
	if (modifiers)
		*modifiers = fModifiers;
	return fShortcut;
}

BMenu* BMenuItem::Submenu() const
{
	return fSubmenu;
}

BMenu* BMenuItem::Menu() const
{
	return fMenu;
}

status_t BMenuItem::Invoke(BMessage* message)
{
	if (!fEnabled)
		return B_ERROR;
	if (HasTarget())
		return BInvoker::Invoke(message);
	BMessage* source = message ? message : Message();
	if (!source)
		return B_BAD_VALUE;
	// No target of its own: the window that shows the menu.
	BWindow* window = nullptr;
	for (BMenu* menu = fMenu; menu && !window; menu = menu->Supermenu())
		window = menu->Window();
	if (!window)
		return B_BAD_HANDLER;
	BMessage copy(*source);
	copy.AddInt64("when", system_time());
	copy.AddPointer("source", this);
	return window->PostMessage(&copy);
}

void BMenuItem::Changed()
{
	if (fMenu)
		fMenu->ItemsChanged();
}

BSeparatorItem::BSeparatorItem()
	: BMenuItem("", nullptr)
{
	BMenuItem::SetEnabled(false);
}

BSeparatorItem::~BSeparatorItem() = default;

void BSeparatorItem::SetEnabled(bool)
{
}
