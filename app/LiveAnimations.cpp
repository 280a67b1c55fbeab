// The set of live animation buffers and the guarded copy out of one.
#include "LiveAnimations.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace {

struct Registry {
	std::mutex lock;
	std::map<const unsigned char*, uint32> sizes;
};

Registry& TheRegistry()
{
	static Registry* registry = new Registry;
	return *registry;
}

} // namespace

namespace LiveAnimations {

void Add(const unsigned char* data, uint32 size)
{
	if (data == nullptr)
		return;
	Registry& registry = TheRegistry();
	std::lock_guard guard(registry.lock);
	registry.sizes[data] = size;
}

void Remove(const unsigned char* data)
{
	Registry& registry = TheRegistry();
	std::lock_guard guard(registry.lock);
	registry.sizes.erase(data);
}

unsigned char* Copy(const void* data, uint32 size)
{
	if (size == 0)
		return nullptr;
	Registry& registry = TheRegistry();
	std::lock_guard guard(registry.lock);
	auto found = registry.sizes.find(static_cast<const unsigned char*>(data));
	if (found == registry.sizes.end() || found->second < size)
		return nullptr;
	auto* copy = static_cast<unsigned char*>(std::malloc(size));
	if (copy != nullptr)
		std::memcpy(copy, found->first, size);
	return copy;
}

} // namespace LiveAnimations
