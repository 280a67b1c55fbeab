// BEntry: an entry named by a ref or path, with symbolic links followed on request.
#include <Entry.h>
#include <Path.h>

#include "private/storage/AbsolutePath.h"
#include "private/storage/EntryRefPrivate.h"
#include "private/storage/ErrnoStatus.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

using BPrivate::EntryRefPrivate;

namespace {

// The final target of every link on the path. realpath gives up on a loop with ELOOP,
// so a loop ends in B_LINK_LIMIT and never hangs.
status_t ResolveLinks(const char* path, std::string* resolved)
{
	char buffer[PATH_MAX];
	if (realpath(path, buffer) == nullptr)
		return BPrivate::StatusForErrno(errno);
	*resolved = buffer;
	return B_OK;
}

bool LStat(const entry_ref& ref, struct stat* info)
{
	const char* path = EntryRefPrivate::Path(ref);
	return path != nullptr && lstat(path, info) == 0;
}

}

BEntry::BEntry()
	: fStatus(B_NO_INIT)
{
}

BEntry::BEntry(const entry_ref* ref, bool traverse)
	: fStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}

BEntry::BEntry(const char* path, bool traverse)
	: fStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}

BEntry::BEntry(const BEntry& other)
	: fRef(other.fRef),
	  fStatus(other.fStatus)
{
}

BEntry::~BEntry() = default;

BEntry& BEntry::operator=(const BEntry& other)
{
	fRef = other.fRef;
	fStatus = other.fStatus;
	return *this;
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	if (ref == nullptr || EntryRefPrivate::Path(*ref) == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	return SetTo(EntryRefPrivate::Path(*ref), traverse);
}

status_t BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	std::string absolute;
	fStatus = BPrivate::MakeAbsolutePath(path, &absolute);
	if (fStatus == B_OK && traverse)
		fStatus = ResolveLinks(absolute.c_str(), &absolute);
	if (fStatus == B_OK)
		fStatus = EntryRefPrivate::SetPath(fRef, absolute.c_str());
	if (fStatus != B_OK)
		fRef = entry_ref();
	return fStatus;
}

void BEntry::Unset()
{
	fRef = entry_ref();
	fStatus = B_NO_INIT;
}

status_t BEntry::InitCheck() const
{
	return fStatus;
}

bool BEntry::Exists() const
{
	struct stat info;
	return fStatus == B_OK && LStat(fRef, &info);
}

bool BEntry::IsFile() const
{
	struct stat info;
	return fStatus == B_OK && LStat(fRef, &info) && S_ISREG(info.st_mode);
}

bool BEntry::IsDirectory() const
{
	struct stat info;
	return fStatus == B_OK && LStat(fRef, &info) && S_ISDIR(info.st_mode);
}

bool BEntry::IsSymLink() const
{
	struct stat info;
	return fStatus == B_OK && LStat(fRef, &info) && S_ISLNK(info.st_mode);
}

status_t BEntry::GetRef(entry_ref* ref) const
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	*ref = fRef;
	return B_OK;
}

status_t BEntry::GetPath(BPath* path) const
{
	if (path == nullptr)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	return path->SetTo(&fRef);
}

status_t BEntry::GetName(char* buffer) const
{
	if (buffer == nullptr)
		return B_BAD_VALUE;
	if (fStatus != B_OK)
		return fStatus;
	size_t length = strlen(fRef.name);
	if (length >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	memcpy(buffer, fRef.name, length + 1);
	return B_OK;
}
