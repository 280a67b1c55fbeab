// Codes of the messages the kits themselves send and understand.
#pragma once

enum {
	B_ABOUT_REQUESTED = '_ABR',
	B_APP_ACTIVATED = '_ACT',
	B_ARGV_RECEIVED = '_ARG',
	B_QUIT_REQUESTED = '_QRQ',
	B_READY_TO_RUN = '_RTR',
	B_REFS_RECEIVED = '_RRC',
	B_SIMPLE_DATA = 'DATA',
	B_MESSAGE_NOT_UNDERSTOOD = '_MNU',
	B_NO_REPLY = '_NRP',
	B_CANCEL = '_CNC',

	B_KEY_DOWN = '_KYD',
	B_KEY_UP = '_KYU',
	B_MODIFIERS_CHANGED = '_MCH',
	B_MOUSE_DOWN = '_MDN',
	B_MOUSE_MOVED = '_MMV',
	B_MOUSE_UP = '_MUP',
	B_MOUSE_WHEEL_CHANGED = '_MWC',
	B_VIEW_MOVED = '_VMV',
	B_VIEW_RESIZED = '_VRS',
	B_WINDOW_ACTIVATED = '_WAC',
	B_WINDOW_MOVED = '_WMV',
	B_WINDOW_RESIZED = '_WRS',
	B_MINIMIZE = '_WMN',
	B_ZOOM = '_WZM',
};

// Launch behaviour of an application, as its identity declares it.
enum {
	B_SINGLE_LAUNCH = 0x0,
	B_MULTIPLE_LAUNCH = 0x1,
	B_EXCLUSIVE_LAUNCH = 0x2,
};
