// The player's messages between its windows, views and loopers: every field name they carry,
// each with the one type it always has, and the codes the playback layer sends or reads.
// The codes that only the application's loopers handle live beside those loopers
// (app/KillLooper.h, app/PlayerWindow.h); the large-file loader's report to the application,
// which is read below the playback layer, keeps its one field in app/AnimationLoader.h.
#pragma once

#include <Message.h>
#include <SupportDefs.h>

// An animation buffer (pointer): the source of a drag, or a buffer the application has read,
// handed over with the message.
inline constexpr const char* kAnimationDataField = "fli_data";
// That buffer's length in bytes (int32). A length is a 32-bit count: it travels as the int32
// with the same bits, through AddAnimationSize and FindAnimationSize.
inline constexpr const char* kAnimationSizeField = "size";
// The title the receiving window takes (string): the file's name, or the source window's.
inline constexpr const char* kTitleField = "title";
// The window a message comes from (pointer): the window an animation is dragged out of, or
// the window that files were dropped on or chosen in. With files (B_REFS_RECEIVED to the
// application, beside "refs") that window plays the first one instead of a new window.
inline constexpr const char* kSourceWindowField = "source_window";
// The dragged buffer's generation (int64), which CopyAnimation (AnimationBuffers.h) checks
// before it copies.
inline constexpr const char* kDragGenerationField = "fli_generation";
// The semaphore a kill looper releases once it has stopped for the application's quit
// (int32, a sem_id).
inline constexpr const char* kStopDoneField = "done";

// The drag of a playing animation from one player window to another: kAnimationDataField,
// kAnimationSizeField, kTitleField (the source window's), kSourceWindowField and
// kDragGenerationField, in that order.
inline constexpr uint32 FLI_DRAG = 'FLdg';

inline status_t AddAnimationSize(BMessage* message, uint32 size)
{
	return message->AddInt32(kAnimationSizeField, static_cast<int32>(size));
}

// False when the field is missing or the length is zero.
inline bool FindAnimationSize(const BMessage* message, uint32* size)
{
	int32 field = 0;
	if (message->FindInt32(kAnimationSizeField, &field) != B_OK || field == 0)
		return false;
	*size = static_cast<uint32>(field);
	return true;
}

// Requests of the animation view's keys to its window (the window's layout is the window's).
inline constexpr uint32 kToggleFullScreen = 'FLfs';
inline constexpr uint32 kLeaveFullScreen = 'FLnf';
// kZoomField (int32, 1 to 4): the picture at that many times 320 x 200.
inline constexpr uint32 kZoomPicture = 'FLzm';
inline constexpr const char* kZoomField = "zoom";
