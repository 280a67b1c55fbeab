// Loads an FLI file whole into memory after the size test, then applies the header test.
#include "AnimationFile.h"

#include "fli/Acceptance.h"
#include "fli/Format.h"
#include "fli/FrameWalk.h"
#include "io/WholeFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace flitool {

namespace {

class Descriptor {
public:
	explicit Descriptor(int fd)
		: fFd(fd)
	{
	}
	~Descriptor()
	{
		if (fFd >= 0)
			::close(fFd);
	}
	Descriptor(const Descriptor&) = delete;
	Descriptor& operator=(const Descriptor&) = delete;
	int Get() const { return fFd; }

private:
	int fFd;
};

LoadedAnimation Unreadable(int error)
{
	LoadedAnimation result;
	result.status = LoadStatus::Unreadable;
	result.cause = std::strerror(error);
	return result;
}

} // namespace

// Fills an Animation; the one place that sets its fields.
struct AnimationLoader {
	static unsigned char* Bytes(Animation& animation) { return animation.fData; }

	static bool Allocate(Animation& animation, const struct stat& file)
	{
		const size_t size = size_t(file.st_size);
		animation.fDevice = file.st_dev;
		animation.fInode = file.st_ino;
		void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
			MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
		if (memory == MAP_FAILED)
			return false;
		animation.fData = static_cast<unsigned char*>(memory);
		animation.fSize = size;
		return true;
	}

	// Walks the first pass as the player does and counts the frames it shows whole: every
	// chunk the frame's count promises lies in the file (a missing pad byte after the last
	// chunk, as some exporters leave it, costs nothing). The frames promised are the frame
	// count, and the ring frame too once its header is there: many files have none. Only
	// headers are read, so holes stay untouched.
	static void CountFrames(Animation& animation)
	{
		fli::FrameWalk walk(animation.fData, uint32_t(animation.fSize));
		const int32_t frameCount = std::max<int32_t>(walk.FrameCount(), 0);
		bool cut = false;
		while (const unsigned char* frame = walk.NextFrame()) {
			if (!cut && IsWhole(frame, animation.fData + animation.fSize))
				++animation.fReadableFrames;
			else
				cut = true;
		}
		animation.fFramesInHeader = std::max(frameCount, walk.FramesShownInPass());
		if (cut && animation.fFramesInHeader == animation.fReadableFrames)
			++animation.fFramesInHeader;
	}

	static bool IsWhole(const unsigned char* frame, const unsigned char* end)
	{
		const uint64_t available = uint64_t(end - frame);
		const uint16_t chunkCount = fli::GetInt16(frame + fli::kFrameChunkCountOffset);
		uint64_t offset = fli::kFrameHeaderSize;
		for (uint32_t i = 0; i < chunkCount; ++i) {
			if (offset + fli::kChunkHeaderSize > available)
				return false;
			const uint32_t chunkSize = fli::GetInt32(frame + offset);
			if (offset + chunkSize > available)
				return false;
			if (chunkSize == 0)
				break;
			offset += chunkSize;
		}
		return true;
	}
};

Animation::~Animation()
{
	if (fData != nullptr)
		::munmap(fData, fSize);
}

Animation::Animation(Animation&& other) noexcept
	: fData(std::exchange(other.fData, nullptr)),
	  fSize(std::exchange(other.fSize, 0)),
	  fFramesInHeader(other.fFramesInHeader),
	  fReadableFrames(other.fReadableFrames),
	  fDevice(other.fDevice),
	  fInode(other.fInode)
{
}

Animation& Animation::operator=(Animation&& other) noexcept
{
	if (this != &other) {
		if (fData != nullptr)
			::munmap(fData, fSize);
		fData = std::exchange(other.fData, nullptr);
		fSize = std::exchange(other.fSize, 0);
		fFramesInHeader = other.fFramesInHeader;
		fReadableFrames = other.fReadableFrames;
		fDevice = other.fDevice;
		fInode = other.fInode;
	}
	return *this;
}

LoadedAnimation LoadAnimation(const std::string& path)
{
	LoadedAnimation result;
	// Opened without blocking, so a FIFO named as the input is refused instead of waited on.
	const Descriptor file(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
	if (file.Get() < 0)
		return Unreadable(errno);
	struct stat info {};
	if (::fstat(file.Get(), &info) != 0)
		return Unreadable(errno);
	if (S_ISDIR(info.st_mode))
		return Unreadable(EISDIR);
	if (!S_ISREG(info.st_mode) || !fli::PassesSizeTest(info.st_size))
		return result;

	const size_t size = size_t(info.st_size);
	if (!AnimationLoader::Allocate(result.animation, info))
		return Unreadable(ENOMEM);
	io::DescriptorFile source(file.Get());
	if (!io::ReadWholeFile(source, AnimationLoader::Bytes(result.animation), size)) {
		if (source.ReadError() != 0)
			return Unreadable(source.ReadError());
		return result;
	}
	if (!fli::PassesHeaderTest(result.animation.data(), uint32_t(size))) {
		result.animation = Animation();
		return result;
	}
	AnimationLoader::CountFrames(result.animation);
	result.status = LoadStatus::Loaded;
	return result;
}

void NoteTruncation(const Animation& animation, const std::string& path)
{
	if (animation.Truncated())
		std::fprintf(stderr,
			"flitool: %s is truncated: %d of its %d frames are whole; showing what the player "
			"shows\n",
			path.c_str(), animation.ReadableFrames(), animation.FramesInHeader());
}

} // namespace flitool
