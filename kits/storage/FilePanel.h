// BFilePanel: the open (and save) dialog; its choice arrives as a message at its target.
#pragma once

#include <Entry.h>
#include <Messenger.h>
#include <SupportDefs.h>

#include <memory>
#include <string>
#include <vector>

class BMessage;
class BRefFilter;
namespace zoetra::display {
class OpenPanel;
}
namespace BPrivate {
struct FilePanelSink;
}

enum file_panel_mode {
	B_OPEN_PANEL = 0,
	B_SAVE_PANEL = 1,
};

enum {
	B_FILE_NODE = 0x01,
	B_SYMLINK_NODE = 0x02,
	B_DIRECTORY_NODE = 0x04,
};

// Implemented by the interface kit, on the desktop's display. Only B_OPEN_PANEL is
// supported. On a choice the panel sends its message (a copy of the one given, or
// B_REFS_RECEIVED) with one "refs" entry per chosen file to its target, be_app when none
// is set. The panel can be shown again after it has hidden itself. Without a panel
// directory it opens in the folder of the last choice (at first the working folder), with
// its file name field selected.
class BFilePanel {
public:
	BFilePanel(file_panel_mode mode = B_OPEN_PANEL, BMessenger* target = NULL,
		const entry_ref* startDirectory = NULL, uint32 nodeFlavors = 0,
		bool allowMultipleSelection = true, BMessage* message = NULL, BRefFilter* filter = NULL,
		bool modal = false, bool hideWhenDone = true);
	virtual ~BFilePanel();
	BFilePanel(const BFilePanel&) = delete;
	BFilePanel& operator=(const BFilePanel&) = delete;

	void Show();
	void Hide();
	bool IsShowing() const;

	void SetTarget(BMessenger target);
	void SetPanelDirectory(const entry_ref* directory);
	void SetPanelDirectory(const char* directory);
	// The file types the panel offers, each a label followed by its name patterns in
	// parentheses: "FLI animations (*.fli *.FLI)". The first is chosen each time the panel
	// shows. Without any, the panel shows every file.
	void SetNameFilters(const std::vector<std::string>& filters);
	file_panel_mode PanelMode() const { return fMode; }

private:
	file_panel_mode fMode;
	std::string fDirectory;
	std::vector<std::string> fNameFilters;
	uint32 fNodeFlavors;
	bool fMultipleSelection;
	bool fModal;
	bool fHideWhenDone;
	std::unique_ptr<zoetra::display::OpenPanel> fPanel;
	// Where choices go; shared with the display thread, which may answer after the panel
	// object is gone.
	std::shared_ptr<BPrivate::FilePanelSink> fSink;
};
