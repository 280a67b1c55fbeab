// Reading an FLI file from disk and applying the acceptance test, as the player does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace flitool {

// An accepted file's bytes, in memory of their own: a fresh anonymous mapping whose pages
// the reader never touches where the file has holes or zeros, so a huge sparse file costs
// only its data.
class Animation {
public:
	Animation() = default;
	~Animation();
	Animation(Animation&& other) noexcept;
	Animation& operator=(Animation&& other) noexcept;
	Animation(const Animation&) = delete;
	Animation& operator=(const Animation&) = delete;

	const unsigned char* data() const { return fData; }
	size_t size() const { return fSize; }

	// The frames the first pass should show (the frame count, and the ring frame where the
	// file holds part of it), and how many of them it shows whole, in play order up to the
	// first that is cut. Fewer whole than promised means the file was cut short.
	int32_t FramesInHeader() const { return fFramesInHeader; }
	int32_t ReadableFrames() const { return fReadableFrames; }
	bool Truncated() const { return fReadableFrames < fFramesInHeader; }

	// The file it was read from, so that no output replaces it.
	bool IsFile(dev_t device, ino_t inode) const
	{
		return fSize > 0 && device == fDevice && inode == fInode;
	}

private:
	friend struct AnimationLoader;

	unsigned char* fData = nullptr;
	size_t fSize = 0;
	int32_t fFramesInHeader = 0;
	int32_t fReadableFrames = 0;
	dev_t fDevice = 0;
	ino_t fInode = 0;
};

enum class LoadStatus { Loaded, Unreadable, Unsupported };

struct LoadedAnimation {
	LoadStatus status = LoadStatus::Unsupported;
	// Why an unreadable file could not be read: strerror's text.
	std::string cause;
	Animation animation;
};

// The size test runs before the file is read, the header test on the bytes read. A path
// that names nothing, a folder, or a file that cannot be opened or read is unreadable; any
// other file that is not regular fails the size test, as in the player, and so does a file
// that shrinks while it is read.
LoadedAnimation LoadAnimation(const std::string& path);

// What flitool says on standard error about an accepted file it shows only in part.
void NoteTruncation(const Animation& animation, const std::string& path);

} // namespace flitool
