// BAlert: a modal message box with up to three buttons.
#pragma once

#include <InterfaceDefs.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

// Unlike on BeOS this is not a BWindow: the box is the desktop's own modal dialog, and
// the object exists only to describe it and to be run.
class BAlert {
public:
	BAlert(const char* title, const char* text, const char* button0, const char* button1 = NULL,
		const char* button2 = NULL, button_width width = B_WIDTH_AS_USUAL,
		alert_type type = B_INFO_ALERT);
	virtual ~BAlert();
	BAlert(const BAlert&) = delete;
	BAlert& operator=(const BAlert&) = delete;

	// Shows the box, waits for a button and returns its index (closing the box counts as
	// the last button), then deletes the alert. The calling thread waits; other windows
	// go on drawing. -1 when there is no display to show it on.
	int32 Go();
	const char* Title() const { return fTitle.c_str(); }
	const char* Text() const { return fText.c_str(); }
	int32 CountButtons() const { return int32(fButtons.size()); }
	alert_type Type() const { return fType; }

private:
	std::string fTitle;
	std::string fText;
	std::vector<std::string> fButtons;
	button_width fWidth;
	alert_type fType;
};
