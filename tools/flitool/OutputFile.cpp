// A temporary file beside the target, renamed over it once it is whole.
#include "OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace flitool {

namespace {

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
		if (written <= 0)
			return false;
		data += written;
		size -= static_cast<size_t>(written);
	}
	return true;
}

} // namespace

bool WriteOutputFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
	// The temporary name keeps the target's folder, so the rename never crosses a file system.
	std::string temporary = path + ".XXXXXX";
	const int fd = ::mkstemp(temporary.data());
	if (fd < 0)
		return false;
	const bool written =
		::fchmod(fd, 0666 & ~CurrentUmask()) == 0 && WriteAll(fd, bytes.data(), bytes.size());
	if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
		::unlink(temporary.c_str());
		return false;
	}
	return true;
}

bool WriteEncodedFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
	if (!bytes.empty() && WriteOutputFile(path, bytes))
		return true;
	std::fprintf(stderr, "flitool: cannot write %s\n", path.c_str());
	return false;
}

} // namespace flitool
