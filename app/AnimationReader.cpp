// The one road from a file on disk to an accepted animation buffer.
#include "AnimationReader.h"

#include "FormatException.h"
#include "fli/Acceptance.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

const char* const kUnsupportedFormatText = "Unsupported file format.";
const char* const kFileNotFoundText = "File not found";

namespace {

// How much is read at a time: between two reads a stop is noticed, and the pages just read
// that hold only zeros are given back.
constexpr uint32 kReadChunk = 8 << 20;

[[noreturn]] void Refuse()
{
	throw FormatException(kUnsupportedFormatText);
}

uintptr_t PageSize()
{
	static const uintptr_t size = uintptr_t(sysconf(_SC_PAGESIZE));
	return size;
}

// Sets [start, end) to zeros. Its whole pages are given back to the system instead of being
// written: an animation buffer is private anonymous memory (the heap's, or a mapping of
// its own when large), whose pages read as zeros once given back.
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
void NextData(BFile& file, off_t position, off_t size, off_t* start, off_t* end)
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

// A sparse file's holes are not read, and pages that read as zeros are given back: a file
// of 4 GiB with a few frames and zeros after them holds the memory of its frames only.
bool ReadExactly(BFile& file, unsigned char* data, uint32 size, const std::atomic<bool>* stop)
{
	off_t position = 0;
	while (position < off_t(size)) {
		off_t start, end;
		NextData(file, position, off_t(size), &start, &end);
		Zero(data + position, data + start);
		for (position = start; position < end; position += kReadChunk) {
			if (stop != nullptr && stop->load())
				return false;
			const size_t count = size_t(std::min<off_t>(kReadChunk, end - position));
			if (file.ReadAt(position, data + position, count) != ssize_t(count))
				return false;
			ReleaseZeroPages(data + position, data + position + count);
		}
		position = std::max(position, end);
	}
	// Holes reach to the end of the file, not beyond it: a file that shrank gives less.
	off_t now = 0;
	return file.GetSize(&now) == B_OK && now >= off_t(size);
}

LoadedAnimation ReadAnimation(const entry_ref& ref, const std::atomic<bool>* stop)
{
	// A ref can name nothing: a file dropped from another program that has gone since.
	if (!BEntry(&ref).Exists())
		throw FormatException(kFileNotFoundText);
	BEntry entry(&ref, true);
	if (entry.InitCheck() != B_OK)
		Refuse();
	BFile file(&entry, B_READ_ONLY);
	if (file.InitCheck() != B_OK)
		Refuse();
	off_t fileSize = 0;
	if (file.GetSize(&fileSize) != B_OK || !fli::PassesSizeTest(fileSize))
		Refuse();

	LoadedAnimation animation;
	animation.size = uint32(fileSize);
	std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[animation.size]);
	if (!buffer)
		Refuse();
	if (!ReadExactly(file, buffer.get(), animation.size, stop))
		Refuse();
	if (!fli::PassesHeaderTest(buffer.get(), animation.size))
		Refuse();
	if (entry.GetName(animation.name) != B_OK)
		Refuse();
	animation.data = buffer.release();
	return animation;
}
