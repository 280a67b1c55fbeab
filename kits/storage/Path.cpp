// BPath: an absolute path as text.
#include <Path.h>

#include "private/storage/AbsolutePath.h"
#include "private/storage/EntryRefPrivate.h"

BPath::BPath()
	: fStatus(B_NO_INIT)
{
}

BPath::BPath(const char* path)
	: fStatus(B_NO_INIT)
{
	SetTo(path);
}

BPath::BPath(const entry_ref* ref)
	: fStatus(B_NO_INIT)
{
	SetTo(ref);
}

status_t BPath::SetTo(const char* path)
{
	fStatus = BPrivate::MakeAbsolutePath(path, &fPath);
	if (fStatus != B_OK)
		fPath.clear();
	return fStatus;
}

status_t BPath::SetTo(const entry_ref* ref)
{
	if (ref == nullptr || BPrivate::EntryRefPrivate::Path(*ref) == nullptr) {
		Unset();
		return fStatus = B_BAD_VALUE;
	}
	fPath = BPrivate::EntryRefPrivate::Path(*ref);
	return fStatus = B_OK;
}

void BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

status_t BPath::InitCheck() const
{
	return fStatus;
}

const char* BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char* BPath::Leaf() const
{
	if (fStatus != B_OK)
		return nullptr;
	if (fPath == "/")
		return fPath.c_str();
	return fPath.c_str() + fPath.rfind('/') + 1;
}
