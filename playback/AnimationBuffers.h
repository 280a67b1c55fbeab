// The animation buffers that views play, as a process-wide registry, so that a drag between
// windows never copies a buffer that its view has freed or replaced meanwhile.
//
// How it is used
//   view, when SetData takes a buffer:   generation = RegisterAnimationBuffer(data, size);
//   view, before it frees that buffer:   UnregisterAnimationBuffer(generation);
//   view, building its FLI_DRAG drag:    the fields of PlayerMessages.h
//   receiving looper (FLI_DRAG handler):  CopyAnimation(message, &copy, &size) -> SetData
//
// A generation is unique for the life of the process; a buffer is copied only while that
// generation is still registered with the very pointer and size that the message names,
// and the copy is made under the registry's lock, which the owner must take (through
// Unregister) before it frees the buffer. The lock is a leaf: nothing else is locked or
// waited for while it is held.
#pragma once

#include <Message.h>
#include <SupportDefs.h>

#include <cstddef>

#include "PlayerMessages.h"

// Records a buffer that a view now owns; returns its generation (never 0).
uint64 RegisterAnimationBuffer(const uint8* data, uint32 size);
// Forgets a generation; after it returns, no copy of that buffer is running or will start.
void UnregisterAnimationBuffer(uint64 generation);

// How many buffers are registered: every view that holds a buffer has exactly one.
size_t CountAnimationBuffers();

// Copies the animation a FLI_DRAG message names into a new buffer (new uint8[], the kind
// that FliView::SetData takes over). B_OK with *copy and *size set; B_BAD_VALUE for a
// message without the fields or with a zero size; B_ENTRY_NOT_FOUND when the buffer has
// been freed or replaced since the drag began; B_NO_MEMORY.
status_t CopyAnimation(const BMessage* message, uint8** copy, uint32* size);
