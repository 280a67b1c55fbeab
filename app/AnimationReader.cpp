// The one road from a file on disk to an accepted animation buffer.
#include "AnimationReader.h"

#include "FormatException.h"
#include "fli/Acceptance.h"

#include <memory>
#include <new>

const char* const kUnsupportedFormatText = "Unsupported file format.";
const char* const kFileNotFoundText = "File not found";

namespace {

[[noreturn]] void Refuse()
{
	throw FormatException(kUnsupportedFormatText);
}

} // namespace

// ReadAt itself goes on until the whole count or the end of the file.
bool ReadExactly(BFile& file, unsigned char* data, uint32 size)
{
	return file.ReadAt(0, data, size) == ssize_t(size);
}

LoadedAnimation ReadAnimation(const entry_ref& ref)
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
	if (!ReadExactly(file, buffer.get(), animation.size))
		Refuse();
	if (!fli::PassesHeaderTest(buffer.get(), animation.size))
		Refuse();
	if (entry.GetName(animation.name) != B_OK)
		Refuse();
	animation.data = buffer.release();
	return animation;
}
