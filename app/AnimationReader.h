// Reads a whole animation file into a new animation buffer, or refuses it.
#pragma once

#include <Entry.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include <atomic>

// An accepted file: the buffer (new unsigned char[]; the caller owns it and frees it with
// delete[], or hands it to a FliView, which takes it over), its length and the entry's
// leaf name.
struct LoadedAnimation {
	unsigned char* data = nullptr;
	uint32 size = 0;
	char name[B_FILE_NAME_LENGTH] = {};
};

// The text of every refusal.
extern const char* const kUnsupportedFormatText;
// The text for a path or ref that names nothing.
extern const char* const kFileNotFoundText;

// Follows symbolic links, so the name is the target's. A ref that names nothing throws
// FormatException(kFileNotFoundText). Every other way a file can fail to give a whole,
// accepted animation throws FormatException(kUnsupportedFormatText): an entry that
// cannot be opened as a regular file (a dangling link, directory, FIFO, device, socket, no
// permission; the kit's BFile opens none of these and never blocks), a size below the
// 128-byte header or of 4 GiB and more (refused before anything is allocated), a buffer
// that cannot be allocated, a read that ends short or fails, and a header that is not
// FLI 320x200. Nothing is left allocated when it throws. A read that sees `stop` set
// gives up as a failed read does.
LoadedAnimation ReadAnimation(const entry_ref& ref, const std::atomic<bool>* stop = nullptr);
