// Reads a whole file into memory while holding only its data: holes are not read, and pages
// that read as zeros are given back.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace io {

// A file opened for reading, as the reader sees it. The player reads through its storage
// kit's BFile, flitool through a plain descriptor; both answer these three.
class RandomAccessFile {
public:
	virtual ~RandomAccessFile() = default;
	// Up to `size` bytes at `position`: the count read, 0 at the end, below 0 on failure.
	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size) = 0;
	// lseek's answer for SEEK_DATA and SEEK_HOLE: the new position, or below 0.
	virtual off_t Seek(off_t position, int whence) = 0;
	// The file's size now, or below 0 when it cannot be told.
	virtual off_t Size() = 0;
};

// A RandomAccessFile over a descriptor the caller keeps open (and closes).
class DescriptorFile final : public RandomAccessFile {
public:
	explicit DescriptorFile(int fd)
		: fFd(fd)
	{
	}
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	off_t Seek(off_t position, int whence) override;
	off_t Size() override;
	// The errno of the last read that failed, 0 when none did: why a file could not be read.
	int ReadError() const { return fReadError; }

private:
	int fFd;
	int fReadError = 0;
};

// Reads exactly `size` bytes from the start of the file into `data`. False when the file
// gives fewer (it shrank since its size was taken, or reports a size it does not hold),
// the read fails, or `stop` is set: such a buffer has an undefined tail and is never used.
// `data` should be freshly allocated private memory (the heap's, or a mapping of its own
// when large): pages of it that the file leaves at zero are given back to the system, so
// a 4 GiB file of a few frames and zeros after them holds the memory of its frames only.
bool ReadWholeFile(RandomAccessFile& file, unsigned char* data, uint64_t size,
	const std::atomic<bool>* stop = nullptr);

} // namespace io
