// The file-system steps shared by flitool's outputs.
#include "FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace flitool {

std::string FolderOf(const std::string& path)
{
	const size_t slash = path.find_last_of('/');
	if (slash == std::string::npos)
		return ".";
	return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
	const size_t slash = path.find_last_of('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool MayAccess(const std::string& path, int mode)
{
	return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) == 0;
}

mode_t CurrentUmask()
{
	const mode_t mask = ::umask(0);
	::umask(mask);
	return mask;
}

bool WriteAll(int fd, const unsigned char* data, size_t size)
{
	while (size > 0) {
		const ssize_t written = ::write(fd, data, size);
		if (written < 0 && errno == EINTR)
			continue;
		if (written < 0)
			return false;
		if (written == 0) {
			errno = ENOSPC;
			return false;
		}
		data += written;
		size -= size_t(written);
	}
	return true;
}

bool WriteFile(const std::string& path, int flags, const std::vector<unsigned char>& bytes)
{
	const int fd = ::open(path.c_str(), flags, 0666);
	if (fd < 0)
		return false;
	if (!WriteAll(fd, bytes.data(), bytes.size())) {
		const int error = errno;
		::close(fd);
		errno = error;
		return false;
	}
	return ::close(fd) == 0;
}

} // namespace flitool
