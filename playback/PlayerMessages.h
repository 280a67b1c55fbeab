// The player's own messages that the playback layer sends or reads: codes and field names.
// The kill looper's messages are in app/KillLooper.h.
#pragma once

#include <SupportDefs.h>

// The window a message comes from (a BWindow pointer): the window an animation is dragged
// out of, or the window that files were dropped on or chosen in. With files (B_REFS_RECEIVED
// to the application, beside "refs") that window plays the first one instead of a new window.
inline constexpr const char* kSourceWindowField = "source_window";

// The drag of a playing animation from one player window to another: the buffer's address
// and size (int32), the source window's title and kSourceWindowField, and the buffer's
// generation (int64), which CopyAnimation (AnimationBuffers.h) checks before it copies.
inline constexpr uint32 FLI_DRAG = 'FLdg';
inline constexpr const char* kDragDataField = "fli_data";
inline constexpr const char* kDragSizeField = "size";
inline constexpr const char* kDragTitleField = "title";
inline constexpr const char* kDragGenerationField = "fli_generation";

// Requests of the animation view's keys to its window (the window's layout is the window's).
inline constexpr uint32 kToggleFullScreen = 'FLfs';
inline constexpr uint32 kLeaveFullScreen = 'FLnf';
// kZoomField (int32, 1 to 4): the picture at that many times 320 x 200.
inline constexpr uint32 kZoomPicture = 'FLzm';
inline constexpr const char* kZoomField = "zoom";
