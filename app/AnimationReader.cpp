// The one road from a file on disk to an accepted animation buffer.
#include "AnimationReader.h"

#include "FormatException.h"
#include "fli/Acceptance.h"
#include "io/WholeFileReader.h"

#include <File.h>

#include <memory>
#include <new>

const char* const kUnsupportedFormatText = "Unsupported file format.";
const char* const kFileNotFoundText = "File not found";

namespace {

[[noreturn]] void Refuse()
{
	throw FormatException(kUnsupportedFormatText);
}

// The whole-file reader over the kit's BFile, which opened the file without blocking.
class FileSource final : public io::RandomAccessFile {
public:
	explicit FileSource(BFile& file)
		: fFile(file)
	{
	}
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override
	{
		return fFile.ReadAt(position, buffer, size);
	}
	off_t Seek(off_t position, int whence) override { return fFile.Seek(position, uint32(whence)); }
	off_t Size() override
	{
		off_t size = 0;
		return fFile.GetSize(&size) == B_OK ? size : -1;
	}

private:
	BFile& fFile;
};

} // namespace

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
	FileSource source(file);
	if (!io::ReadWholeFile(source, buffer.get(), animation.size, stop))
		Refuse();
	if (!fli::PassesHeaderTest(buffer.get(), animation.size))
		Refuse();
	if (entry.GetName(animation.name) != B_OK)
		Refuse();
	animation.data = buffer.release();
	return animation;
}
