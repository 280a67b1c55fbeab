// entry_ref: an absolute path with its leaf name, and get_ref_for_path.
#include <Entry.h>

#include "private/storage/AbsolutePath.h"
#include "private/storage/EntryRefPrivate.h"
#include "private/storage/ErrnoStatus.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace BPrivate {

const char* EntryRefPrivate::Path(const entry_ref& ref)
{
	return ref.fPath;
}

status_t EntryRefPrivate::SetPath(entry_ref& ref, const char* absolutePath)
{
	if (absolutePath == nullptr || absolutePath[0] != '/')
		return B_BAD_VALUE;
	char* copy = strdup(absolutePath);
	if (copy == nullptr)
		return B_NO_MEMORY;
	free(ref.fPath);
	ref.fPath = copy;
	// The root has no leaf of its own; its name is the whole path.
	char* slash = strrchr(copy, '/');
	ref.name = slash[1] != '\0' ? slash + 1 : copy;
	return B_OK;
}

}

using BPrivate::EntryRefPrivate;

entry_ref::entry_ref()
	: name(nullptr),
	  fPath(nullptr)
{
}

entry_ref::entry_ref(const entry_ref& other)
	: name(nullptr),
	  fPath(nullptr)
{
	*this = other;
}

entry_ref::~entry_ref()
{
	free(fPath);
}

entry_ref& entry_ref::operator=(const entry_ref& other)
{
	if (this == &other)
		return *this;
	if (other.fPath == nullptr) {
		free(fPath);
		fPath = nullptr;
		name = nullptr;
	} else {
		EntryRefPrivate::SetPath(*this, other.fPath);
	}
	return *this;
}

bool entry_ref::operator==(const entry_ref& other) const
{
	if (fPath == nullptr || other.fPath == nullptr)
		return fPath == other.fPath;
	return strcmp(fPath, other.fPath) == 0;
}

bool entry_ref::operator!=(const entry_ref& other) const
{
	return !(*this == other);
}

status_t entry_ref::set_name(const char* newName)
{
	if (fPath == nullptr)
		return B_NO_INIT;
	if (newName == nullptr || newName[0] == '\0' || strchr(newName, '/') != nullptr)
		return B_BAD_VALUE;
	std::string path(fPath, name - fPath);
	if (path.empty() || path.back() != '/')
		path += '/';
	path += newName;
	return EntryRefPrivate::SetPath(*this, path.c_str());
}

status_t get_ref_for_path(const char* path, entry_ref* ref)
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	std::string absolute;
	status_t status = BPrivate::MakeAbsolutePath(path, &absolute);
	if (status != B_OK)
		return status;
	// lstat: the ref names the entry itself, a link included, even a dangling one.
	struct stat info;
	if (lstat(absolute.c_str(), &info) != 0)
		return BPrivate::StatusForErrno(errno);
	return EntryRefPrivate::SetPath(*ref, absolute.c_str());
}
