// The bytes a drag between windows carries: who made it, and whether it may leave the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zoetra::display {

// The MIME type under which drags of kit messages travel.
inline constexpr const char* kMessageMimeType = "application/x-zoetra-message";

std::vector<uint8_t> WrapDragPayload(
	const std::vector<uint8_t>& message, int64_t sourcePid, bool carriesPointers);

enum class DragVerdict {
	Accepted, // `message` holds the flattened message
	Foreign, // it carries pointers and comes from another process: refused
	Malformed, // not a payload this kit wrote
};

// Checks a dropped payload for process `ownPid`. Pointers are addresses in the sender's
// memory, so such a message is refused by every other process.
DragVerdict UnwrapDragPayload(
	const uint8_t* data, size_t size, int64_t ownPid, std::vector<uint8_t>& message);

} // namespace zoetra::display
