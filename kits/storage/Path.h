// BPath: an absolute path, as taken from an entry_ref or a string.
#pragma once

#include <Entry.h>
#include <SupportDefs.h>

#include <string>

class BPath {
public:
	BPath();
	BPath(const char* path);
	BPath(const entry_ref* ref);

	// Relative paths are made absolute against the working directory; links stay as
	// they are.
	status_t SetTo(const char* path);
	status_t SetTo(const entry_ref* ref);
	void Unset();
	status_t InitCheck() const;

	// NULL while uninitialised.
	const char* Path() const;
	const char* Leaf() const;

private:
	std::string fPath;
	status_t fStatus;
};
