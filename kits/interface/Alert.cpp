// BAlert: describes a message box and runs it on the display, synchronously or not.
#include <Alert.h>

#include <Errors.h>

#include "Dialogs.h"

namespace {

zoetra::display::AlertIcon IconFor(alert_type type)
{
	switch (type) {
		case B_INFO_ALERT:
			return zoetra::display::AlertIcon::Info;
		case B_IDEA_ALERT:
			return zoetra::display::AlertIcon::Idea;
		case B_WARNING_ALERT:
			return zoetra::display::AlertIcon::Warning;
		case B_STOP_ALERT:
			return zoetra::display::AlertIcon::Stop;
		case B_EMPTY_ALERT:
			break;
	}
	return zoetra::display::AlertIcon::None;
}

zoetra::display::ButtonWidth WidthFor(button_width width)
{
	switch (width) {
		case B_WIDTH_FROM_WIDEST:
			return zoetra::display::ButtonWidth::FromWidest;
		case B_WIDTH_FROM_LABEL:
			return zoetra::display::ButtonWidth::FromLabel;
		case B_WIDTH_AS_USUAL:
			break;
	}
	return zoetra::display::ButtonWidth::AsUsual;
}

} // namespace

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
	const char* button2, button_width width, alert_type type)
	: fTitle(title ? title : ""),
	  fText(text ? text : ""),
	  fWidth(width),
	  fType(type)
{
	for (const char* label : {button0, button1, button2})
		if (label)
			fButtons.emplace_back(label);
}

BAlert::~BAlert() = default;

int32 BAlert::Go()
{
	zoetra::display::AlertOptions options;
	options.title = fTitle;
	options.text = fText;
	options.buttons = fButtons;
	options.width = WidthFor(fWidth);
	options.icon = IconFor(fType);
	delete this;
	return zoetra::display::RunAlert(options);
}
