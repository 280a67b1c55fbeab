// Header of a dragged message: magic, sender's process id, a flag for in-process-only content.
#include "DragPayload.h"

#include <cstring>

namespace zoetra::display {

namespace {

constexpr uint8_t kMagic[4] = {'Z', 'D', 'R', 'G'};
constexpr size_t kHeaderSize = 4 + 8 + 1;

} // namespace

std::vector<uint8_t> WrapDragPayload(
	const std::vector<uint8_t>& message, int64_t sourcePid, bool carriesPointers)
{
	std::vector<uint8_t> out(kHeaderSize + message.size());
	std::memcpy(out.data(), kMagic, 4);
	for (int i = 0; i < 8; i++)
		out[4 + size_t(i)] = uint8_t(uint64_t(sourcePid) >> (8 * i));
	out[12] = carriesPointers ? 1 : 0;
	if (!message.empty())
		std::memcpy(out.data() + kHeaderSize, message.data(), message.size());
	return out;
}

DragVerdict UnwrapDragPayload(
	const uint8_t* data, size_t size, int64_t ownPid, std::vector<uint8_t>& message)
{
	message.clear();
	if (!data || size < kHeaderSize || std::memcmp(data, kMagic, 4) != 0 || data[12] > 1)
		return DragVerdict::Malformed;
	uint64_t pid = 0;
	for (int i = 0; i < 8; i++)
		pid |= uint64_t(data[4 + i]) << (8 * i);
	if (data[12] == 1 && int64_t(pid) != ownPid)
		return DragVerdict::Foreign;
	message.assign(data + kHeaderSize, data + size);
	return DragVerdict::Accepted;
}

} // namespace zoetra::display
