// The path inside an entry_ref, for the kits that make and read refs.
#pragma once

#include <SupportDefs.h>

struct entry_ref;

namespace BPrivate {

class EntryRefPrivate {
public:
	// NULL for an unset ref.
	static const char* Path(const entry_ref& ref);
	// `absolutePath` must start with '/'; B_BAD_VALUE otherwise.
	static status_t SetPath(entry_ref& ref, const char* absolutePath);
};

}
