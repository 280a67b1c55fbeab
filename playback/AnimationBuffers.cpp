// The process-wide registry of live animation buffers and the guarded copy a drop makes.
#include "AnimationBuffers.h"

#include <Errors.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace {

struct Registration {
	const uint8* data;
	uint32 size;
};

struct Registry {
	std::mutex lock;
	std::unordered_map<uint64, Registration> buffers;
	uint64 lastGeneration = 0;
};

// Never destroyed: a looper may still copy while the process exits.
Registry& TheRegistry()
{
	static Registry* registry = new Registry;
	return *registry;
}

} // namespace

uint64 RegisterAnimationBuffer(const uint8* data, uint32 size)
{
	Registry& registry = TheRegistry();
	std::lock_guard guard(registry.lock);
	const uint64 generation = ++registry.lastGeneration;
	registry.buffers[generation] = Registration{data, size};
	return generation;
}

void UnregisterAnimationBuffer(uint64 generation)
{
	Registry& registry = TheRegistry();
	std::lock_guard guard(registry.lock);
	registry.buffers.erase(generation);
}

size_t CountAnimationBuffers()
{
	Registry& registry = TheRegistry();
	std::lock_guard guard(registry.lock);
	return registry.buffers.size();
}

status_t CopyAnimation(const BMessage* message, uint8** copy, uint32* size)
{
	if (message == nullptr || copy == nullptr || size == nullptr)
		return B_BAD_VALUE;
	void* data = nullptr;
	uint32 length = 0;
	int64 generation = 0;
	if (message->FindPointer(kAnimationDataField, &data) != B_OK
		|| !FindAnimationSize(message, &length)
		|| message->FindInt64(kDragGenerationField, &generation) != B_OK || data == nullptr)
		return B_BAD_VALUE;

	// Allocated outside the lock: the lock is held only for the check and the copy.
	uint8* buffer = new (std::nothrow) uint8[length];
	if (buffer == nullptr)
		return B_NO_MEMORY;
	{
		Registry& registry = TheRegistry();
		std::lock_guard guard(registry.lock);
		auto found = registry.buffers.find(static_cast<uint64>(generation));
		if (found == registry.buffers.end() || found->second.data != data
			|| found->second.size != length) {
			delete[] buffer;
			return B_ENTRY_NOT_FOUND;
		}
		std::memcpy(buffer, data, length);
	}
	*copy = buffer;
	*size = length;
	return B_OK;
}
