// BFile: a regular file opened for reading.
#pragma once

#include <Entry.h>
#include <StorageDefs.h>
#include <SupportDefs.h>

#include <cstdio>

// Only B_READ_ONLY is supported. Opening never blocks: a FIFO, socket or device is
// refused with B_BAD_TYPE and a directory with B_IS_A_DIRECTORY, so nothing can stall
// the thread that opens it.
class BFile {
public:
	BFile();
	BFile(const entry_ref* ref, uint32 openMode);
	BFile(const BEntry* entry, uint32 openMode);
	BFile(const char* path, uint32 openMode);
	~BFile();

	BFile(const BFile&) = delete;
	BFile& operator=(const BFile&) = delete;

	status_t SetTo(const entry_ref* ref, uint32 openMode);
	status_t SetTo(const BEntry* entry, uint32 openMode);
	status_t SetTo(const char* path, uint32 openMode);
	void Unset();
	status_t InitCheck() const;

	bool IsReadable() const;
	status_t GetSize(off_t* size) const;

	// Reads up to `size` bytes; returns the count read (0 at the end) or an error.
	ssize_t Read(void* buffer, size_t size);
	ssize_t ReadAt(off_t position, void* buffer, size_t size);
	off_t Seek(off_t position, uint32 seekMode);
	off_t Position() const;

private:
	int fFd;
	status_t fStatus;
};
