// entry_ref, a name for an entry in the file system, and BEntry, which looks at it.
#pragma once

#include <StorageDefs.h>
#include <SupportDefs.h>

class BPath;
namespace BPrivate {
class EntryRefPrivate;
}

// On Linux an entry_ref is an absolute path; its symbolic links are not resolved, so
// the ref names the link itself. `name` is the leaf of that path (owned by the ref).
struct entry_ref {
	entry_ref();
	entry_ref(const entry_ref& other);
	~entry_ref();

	entry_ref& operator=(const entry_ref& other);
	bool operator==(const entry_ref& other) const;
	bool operator!=(const entry_ref& other) const;

	// Gives the entry another leaf name in the same directory.
	status_t set_name(const char* name);

	char* name;

private:
	friend class BPrivate::EntryRefPrivate;
	char* fPath;
};

// Makes a ref for `path`, made absolute against the working directory; links are not
// resolved. B_ENTRY_NOT_FOUND where nothing exists at the path.
status_t get_ref_for_path(const char* path, entry_ref* ref);

class BEntry {
public:
	BEntry();
	// With traverse, symbolic links are followed to their final target; a loop of links
	// ends in B_LINK_LIMIT and a dangling link in B_ENTRY_NOT_FOUND (see InitCheck).
	BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const char* path, bool traverse = false);
	BEntry(const BEntry& other);
	~BEntry();
	BEntry& operator=(const BEntry& other);

	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const char* path, bool traverse = false);
	void Unset();
	status_t InitCheck() const;

	bool Exists() const;
	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;

	status_t GetRef(entry_ref* ref) const;
	status_t GetPath(BPath* path) const;
	// Copies the leaf name into `buffer`, which holds B_FILE_NAME_LENGTH bytes.
	status_t GetName(char* buffer) const;

private:
	entry_ref fRef;
	status_t fStatus;
};
