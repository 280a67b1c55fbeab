// Reading a whole file without touching its holes or keeping its pages of zeros.
#include "io/WholeFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace io {

namespace {

// How much is read at a time: between two reads a stop is noticed, and the pages just read
// that hold only zeros are given back.
constexpr uint64_t kReadChunk = 8 << 20;

uintptr_t PageSize()
{
	static const uintptr_t size = uintptr_t(sysconf(_SC_PAGESIZE));
	return size;
}

// Sets [start, end) to zeros. Its whole pages are given back to the system instead of being
// written: the buffer is private anonymous memory, whose pages read as zeros once given back.
void Zero(unsigned char* start, unsigned char* end)
{
	const uintptr_t first = (uintptr_t(start) + PageSize() - 1) & ~(PageSize() - 1);
	const uintptr_t last = uintptr_t(end) & ~(PageSize() - 1);
	if (first >= last) {
		std::memset(start, 0, size_t(end - start));
		return;
	}
	std::memset(start, 0, first - uintptr_t(start));
	madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
	std::memset(reinterpret_cast<void*>(last), 0, uintptr_t(end) - last);
}

bool IsZeroPage(const unsigned char* page)
{
	static const std::unique_ptr<unsigned char[]> zeros(new unsigned char[PageSize()]());
	return std::memcmp(page, zeros.get(), PageSize()) == 0;
}

// Gives back the whole pages in [start, end) that were read as zeros.
void ReleaseZeroPages(unsigned char* start, unsigned char* end)
{
	uintptr_t page = (uintptr_t(start) + PageSize() - 1) & ~(PageSize() - 1);
	uintptr_t run = page;
	for (; page + PageSize() <= uintptr_t(end); page += PageSize()) {
		if (IsZeroPage(reinterpret_cast<unsigned char*>(page)))
			continue;
		if (run < page)
			madvise(reinterpret_cast<void*>(run), page - run, MADV_DONTNEED);
		run = page + PageSize();
	}
	if (run < page)
		madvise(reinterpret_cast<void*>(run), page - run, MADV_DONTNEED);
}

// The next stretch of data at or after `position`, as [*start, *end). When there is none
// up to the end of the file, *start is `size`. A file system that cannot tell holes from
// data, and a position past the end of a file that shrank, give data up to `size`, which
// the reads then find or miss.
void NextData(RandomAccessFile& file, off_t position, off_t size, off_t* start, off_t* end)
{
	*start = file.Seek(position, SEEK_DATA);
	if (*start < 0)
		*start = file.Seek(position, SEEK_HOLE) >= 0 ? size : position;
	*start = std::min(*start, size);
	*end = *start < size ? file.Seek(*start, SEEK_HOLE) : size;
	if (*end <= *start || *end > size)
		*end = size;
}

} // namespace

ssize_t DescriptorFile::ReadAt(off_t position, void* buffer, size_t size)
{
	size_t done = 0;
	while (done < size) {
		const ssize_t count = pread(
			fFd, static_cast<unsigned char*>(buffer) + done, size - done, position + off_t(done));
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0) {
			fReadError = errno;
			return done > 0 ? ssize_t(done) : count;
		}
		if (count == 0)
			break;
		done += size_t(count);
	}
	return ssize_t(done);
}

off_t DescriptorFile::Seek(off_t position, int whence)
{
	return lseek(fFd, position, whence);
}

off_t DescriptorFile::Size()
{
	struct stat status;
	return fstat(fFd, &status) == 0 ? status.st_size : -1;
}

bool ReadWholeFile(
	RandomAccessFile& file, unsigned char* data, uint64_t size, const std::atomic<bool>* stop)
{
	off_t position = 0;
	while (position < off_t(size)) {
		off_t start, end;
		NextData(file, position, off_t(size), &start, &end);
		Zero(data + position, data + start);
		for (position = start; position < end;) {
			if (stop != nullptr && stop->load())
				return false;
			const size_t count = size_t(std::min<off_t>(off_t(kReadChunk), end - position));
			if (file.ReadAt(position, data + position, count) != ssize_t(count))
				return false;
			ReleaseZeroPages(data + position, data + position + count);
			// Exactly to the end of this stretch, never past it: the next hole is zeroed
			// from there, and the next stretch of data may start right after it.
			position += off_t(count);
		}
	}
	// Holes reach to the end of the file, not beyond it: a file that shrank gives less.
	return file.Size() >= off_t(size);
}

} // namespace io
