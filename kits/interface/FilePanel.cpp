// BFilePanel on the display's open dialog; choices go to the target as refs messages.
#include <FilePanel.h>

#include <AppDefs.h>
#include <Application.h>
#include <Message.h>

#include <mutex>

#include "Dialogs.h"
#include "private/storage/EntryRefPrivate.h"

namespace BPrivate {

// The target and message, shared with the display thread's callback: a choice made
// after the panel object was deleted finds them still here.
struct FilePanelSink {
	std::mutex mutex;
	BMessenger target;
	std::unique_ptr<BMessage> message;

	void Chosen(const std::vector<std::string>& paths)
	{
		BMessage choice(B_REFS_RECEIVED);
		BMessenger to;
		{
			std::lock_guard lock(mutex);
			if (message)
				choice = *message;
			to = target.IsValid() ? target : BMessenger(be_app);
		}
		for (const std::string& path : paths) {
			entry_ref ref;
			if (get_ref_for_path(path.c_str(), &ref) == B_OK)
				choice.AddRef("refs", &ref);
		}
		if (choice.HasRef("refs"))
			to.SendMessage(&choice);
	}
};

}

BFilePanel::BFilePanel(file_panel_mode mode, BMessenger* target, const entry_ref* startDirectory,
	uint32 nodeFlavors, bool allowMultipleSelection, BMessage* message, BRefFilter*, bool modal,
	bool hideWhenDone)
	: fMode(mode),
	  fNodeFlavors(nodeFlavors),
	  fMultipleSelection(allowMultipleSelection),
	  fModal(modal),
	  fHideWhenDone(hideWhenDone),
	  fPanel(std::make_unique<zoetra::display::OpenPanel>()),
	  fSink(std::make_shared<BPrivate::FilePanelSink>())
{
	if (target)
		fSink->target = *target;
	if (message)
		fSink->message = std::make_unique<BMessage>(*message);
	SetPanelDirectory(startDirectory);
}

BFilePanel::~BFilePanel() = default;

void BFilePanel::Show()
{
	zoetra::display::OpenPanelOptions options;
	options.directory = fDirectory;
	options.multipleSelection = fMultipleSelection;
	options.directoriesAllowed = (fNodeFlavors & B_DIRECTORY_NODE) != 0;
	options.modal = fModal;
	options.hideWhenDone = fHideWhenDone;
	options.nameFilters = fNameFilters;
	std::weak_ptr<BPrivate::FilePanelSink> sink = fSink;
	fPanel->Show(
		options,
		[sink](const std::vector<std::string>& paths) {
			if (auto live = sink.lock())
				live->Chosen(paths);
		},
		nullptr);
}

void BFilePanel::Hide()
{
	fPanel->Hide();
}

bool BFilePanel::IsShowing() const
{
	return fPanel->IsShowing();
}

void BFilePanel::SetTarget(BMessenger target)
{
	std::lock_guard lock(fSink->mutex);
	fSink->target = target;
}

void BFilePanel::SetPanelDirectory(const entry_ref* directory)
{
	fDirectory = directory
		? (BPrivate::EntryRefPrivate::Path(*directory) ? BPrivate::EntryRefPrivate::Path(*directory)
													   : "")
		: std::string();
}

void BFilePanel::SetPanelDirectory(const char* directory)
{
	fDirectory = directory ? directory : "";
}

void BFilePanel::SetNameFilters(const std::vector<std::string>& filters)
{
	fNameFilters = filters;
}
