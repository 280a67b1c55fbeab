// BFile: a regular file opened read-only, never blocking on open.
#include <File.h>
#include <Path.h>

#include "private/storage/EntryRefPrivate.h"
#include "private/storage/ErrnoStatus.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using BPrivate::StatusForErrno;

BFile::BFile()
	: fFd(-1),
	  fStatus(B_NO_INIT)
{
}

BFile::BFile(const entry_ref* ref, uint32 openMode)
	: fFd(-1),
	  fStatus(B_NO_INIT)
{
	SetTo(ref, openMode);
}

BFile::BFile(const BEntry* entry, uint32 openMode)
	: fFd(-1),
	  fStatus(B_NO_INIT)
{
	SetTo(entry, openMode);
}

BFile::BFile(const char* path, uint32 openMode)
	: fFd(-1),
	  fStatus(B_NO_INIT)
{
	SetTo(path, openMode);
}

BFile::~BFile()
{
	Unset();
}

status_t BFile::SetTo(const entry_ref* ref, uint32 openMode)
{
	if (ref == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	return SetTo(BPrivate::EntryRefPrivate::Path(*ref), openMode);
}

status_t BFile::SetTo(const BEntry* entry, uint32 openMode)
{
	Unset();
	if (entry == nullptr)
		return fStatus = B_BAD_VALUE;
	BPath path;
	status_t status = entry->GetPath(&path);
	if (status != B_OK)
		return fStatus = status;
	return SetTo(path.Path(), openMode);
}

status_t BFile::SetTo(const char* path, uint32 openMode)
{
	Unset();
	if (path == nullptr)
		return fStatus = B_BAD_VALUE;
	if (openMode != B_READ_ONLY)
		return fStatus = B_NOT_ALLOWED;

	// O_NONBLOCK keeps the open of a FIFO without a writer from waiting for one.
	int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
	if (fd < 0)
		return fStatus = StatusForErrno(errno);
	struct stat info;
	if (fstat(fd, &info) != 0) {
		status_t status = StatusForErrno(errno);
		close(fd);
		return fStatus = status;
	}
	if (!S_ISREG(info.st_mode)) {
		close(fd);
		return fStatus = S_ISDIR(info.st_mode) ? B_IS_A_DIRECTORY : B_BAD_TYPE;
	}
	fFd = fd;
	return fStatus = B_OK;
}

void BFile::Unset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fStatus = B_NO_INIT;
}

status_t BFile::InitCheck() const
{
	return fStatus;
}

bool BFile::IsReadable() const
{
	return fStatus == B_OK;
}

status_t BFile::GetSize(off_t* size) const
{
	if (size == nullptr)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	struct stat info;
	if (fstat(fFd, &info) != 0)
		return StatusForErrno(errno);
	*size = info.st_size;
	return B_OK;
}

namespace {

// Reads until `size` bytes or the end, so callers get the whole file in one call; a
// failure after some bytes reports the bytes. `readSome(destination, count, done)` is one
// read(2) or pread(2).
template <typename ReadSome>
ssize_t ReadWhole(void* buffer, size_t size, ReadSome readSome)
{
	size_t done = 0;
	while (done < size) {
		ssize_t count = readSome(static_cast<char*>(buffer) + done, size - done, done);
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0)
			return done > 0 ? static_cast<ssize_t>(done) : StatusForErrno(errno);
		if (count == 0)
			break;
		done += static_cast<size_t>(count);
	}
	return static_cast<ssize_t>(done);
}

} // namespace

ssize_t BFile::Read(void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	if (buffer == nullptr)
		return B_BAD_VALUE;
	return ReadWhole(buffer, size,
		[this](char* destination, size_t count, size_t) { return read(fFd, destination, count); });
}

ssize_t BFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (fStatus != B_OK)
		return fStatus;
	if (buffer == nullptr || position < 0)
		return B_BAD_VALUE;
	return ReadWhole(buffer, size, [this, position](char* destination, size_t count, size_t done) {
		return pread(fFd, destination, count, position + static_cast<off_t>(done));
	});
}

off_t BFile::Seek(off_t position, uint32 seekMode)
{
	if (fStatus != B_OK)
		return fStatus;
	off_t result = lseek(fFd, position, static_cast<int>(seekMode));
	return result < 0 ? StatusForErrno(errno) : result;
}

off_t BFile::Position() const
{
	if (fStatus != B_OK)
		return fStatus;
	off_t result = lseek(fFd, 0, SEEK_CUR);
	return result < 0 ? StatusForErrno(errno) : result;
}
