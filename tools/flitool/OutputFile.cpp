// Outputs written as cp writes them: through links, directly to devices, and whole to files.
#include "OutputFile.h"

#include "FileSystem.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <variant>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace flitool {

namespace {

constexpr char kStandardOutput[] = "-";

enum class Way { StandardOutput, ReplaceFile, Direct, Socket };

// Where the bytes for a path go. `path` is the file to write: the link's target for a
// symbolic link. `existing` holds the file's status when there is one.
struct Destination {
	Way way;
	std::string path;
	std::optional<struct stat> existing;
};

struct Refusal {
	std::string cause;
};

// A new file goes into an existing folder the user may write.
std::optional<Refusal> CheckFolderFor(const std::string& path)
{
	const std::string folder = FolderOf(path);
	struct stat info {};
	if (::stat(folder.c_str(), &info) != 0)
		return Refusal{std::strerror(errno)};
	if (!S_ISDIR(info.st_mode))
		return Refusal{std::strerror(ENOTDIR)};
	if (!MayAccess(folder, W_OK | X_OK))
		return Refusal{std::strerror(errno)};
	return std::nullopt;
}

// What writing `path` means, or why it cannot be written.
std::variant<Destination, Refusal> Find(const std::string& path)
{
	if (path == kStandardOutput)
		return Destination{Way::StandardOutput, path, std::nullopt};
	struct stat link {};
	if (::lstat(path.c_str(), &link) != 0) {
		if (errno != ENOENT)
			return Refusal{std::strerror(errno)};
		if (const std::optional<Refusal> refusal = CheckFolderFor(path))
			return *refusal;
		return Destination{Way::ReplaceFile, path, std::nullopt};
	}
	std::string target = path;
	struct stat info = link;
	if (S_ISLNK(link.st_mode)) {
		if (::stat(path.c_str(), &info) != 0) {
			if (errno == ENOENT)
				return Refusal{"not writing through a dangling symbolic link"};
			return Refusal{std::strerror(errno)};
		}
		char resolved[PATH_MAX];
		if (::realpath(path.c_str(), resolved) == nullptr)
			return Refusal{std::strerror(errno)};
		target = resolved;
	}
	if (S_ISDIR(info.st_mode))
		return Refusal{std::strerror(EISDIR)};
	if (S_ISSOCK(info.st_mode))
		return Destination{Way::Socket, target, info};
	if (!MayAccess(target, W_OK))
		return Refusal{std::strerror(errno)};
	if (!S_ISREG(info.st_mode))
		return Destination{Way::Direct, target, info};
	if (const std::optional<Refusal> refusal = CheckFolderFor(target))
		return *refusal;
	return Destination{Way::ReplaceFile, target, info};
}

// A temporary file beside the target, renamed over it once whole. Its name starts with a
// dot so that file managers do not show it while it grows.
bool ReplaceFile(const Destination& destination, const std::vector<unsigned char>& bytes)
{
	std::string temporary =
		FolderOf(destination.path) + "/." + NameOf(destination.path) + ".XXXXXX";
	const int fd = ::mkstemp(temporary.data());
	if (fd < 0)
		return false;
	const mode_t mode =
		destination.existing ? destination.existing->st_mode & 07777 : 0666 & ~CurrentUmask();
	if (destination.existing) {
		// Only root may give a file away: anyone else's new file stays their own, as an
		// editor's does, so a failure here is no failure of the write.
		[[maybe_unused]] const int given =
			::fchown(fd, destination.existing->st_uid, destination.existing->st_gid);
	}
	bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size());
	int error = errno;
	// A file system may report a full disk only when the file is closed.
	if (::close(fd) != 0 && written) {
		written = false;
		error = errno;
	}
	if (written && ::rename(temporary.c_str(), destination.path.c_str()) != 0) {
		written = false;
		error = errno;
	}
	if (!written) {
		::unlink(temporary.c_str());
		errno = error;
	}
	return written;
}

bool WriteToSocket(const Destination& destination, const std::vector<unsigned char>& bytes)
{
	sockaddr_un address{};
	address.sun_family = AF_UNIX;
	if (destination.path.size() >= sizeof address.sun_path) {
		errno = ENAMETOOLONG;
		return false;
	}
	std::memcpy(address.sun_path, destination.path.c_str(), destination.path.size() + 1);
	const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	if (fd < 0)
		return false;
	const bool written =
		::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
		&& WriteAll(fd, bytes.data(), bytes.size());
	const int error = errno;
	::close(fd);
	errno = error;
	return written;
}

bool Write(const Destination& destination, const std::vector<unsigned char>& bytes)
{
	switch (destination.way) {
		case Way::StandardOutput:
			return WriteAll(STDOUT_FILENO, bytes.data(), bytes.size());
		case Way::ReplaceFile:
			return ReplaceFile(destination, bytes);
		case Way::Direct:
			return WriteFile(destination.path, O_WRONLY | O_NOCTTY | O_CLOEXEC, bytes);
		case Way::Socket:
			return WriteToSocket(destination, bytes);
	}
	return false;
}

std::string Shown(const std::string& path)
{
	return path == kStandardOutput ? "to standard output" : path;
}

} // namespace

bool CannotWrite(const std::string& path, const std::string& cause)
{
	std::fprintf(stderr, "flitool: cannot write %s: %s\n", Shown(path).c_str(), cause.c_str());
	return false;
}

bool CheckOutputPath(const std::string& path, const Animation& input)
{
	const auto found = Find(path);
	if (const Refusal* refusal = std::get_if<Refusal>(&found))
		return CannotWrite(path, refusal->cause);
	const Destination& destination = std::get<Destination>(found);
	if (destination.existing
		&& input.IsFile(destination.existing->st_dev, destination.existing->st_ino))
		return CannotWrite(path, "it is the file being read");
	return true;
}

bool WriteOutputFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
	const auto found = Find(path);
	if (const Refusal* refusal = std::get_if<Refusal>(&found))
		return CannotWrite(path, refusal->cause);
	if (!Write(std::get<Destination>(found), bytes))
		return CannotWrite(path, std::strerror(errno));
	return true;
}

bool WriteEncodedFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
	if (bytes.empty())
		return CannotWrite(path, "the picture could not be encoded");
	return WriteOutputFile(path, bytes);
}

} // namespace flitool
