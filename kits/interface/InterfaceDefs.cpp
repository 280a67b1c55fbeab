// The interface kit's system colours and tints.
#include <InterfaceDefs.h>

#include <algorithm>

rgb_color ui_color(color_which which)
{
	switch (which) {
		case B_PANEL_BACKGROUND_COLOR:
			return make_color(216, 216, 216);
		case B_MENU_BACKGROUND_COLOR:
			return make_color(216, 216, 216);
		case B_DOCUMENT_BACKGROUND_COLOR:
			return make_color(255, 255, 255);
		case B_PANEL_TEXT_COLOR:
		case B_MENU_ITEM_TEXT_COLOR:
		case B_DOCUMENT_TEXT_COLOR:
			return make_color(0, 0, 0);
	}
	return make_color(0, 0, 0);
}

rgb_color tint_color(rgb_color color, float tint)
{
	// Below 1 the colour moves towards white, above 1 towards black; 2 is black.
	auto channel = [tint](uint8 value) {
		float result;
		if (tint < 1.0f)
			result = value + (255.0f - value) * (1.0f - tint);
		else
			result = value * (2.0f - tint);
		return uint8(std::clamp(result + 0.5f, 0.0f, 255.0f));
	};
	return make_color(channel(color.red), channel(color.green), channel(color.blue), color.alpha);
}
