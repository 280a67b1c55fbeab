// Absolute paths from relative ones, by text alone.
#include "private/storage/AbsolutePath.h"

#include "private/storage/ErrnoStatus.h"

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace BPrivate {

namespace {

status_t WorkingDirectory(std::string* directory)
{
	char buffer[PATH_MAX];
	if (getcwd(buffer, sizeof(buffer)) == nullptr)
		return StatusForErrno(errno);
	*directory = buffer;
	return B_OK;
}

}

status_t MakeAbsolutePath(const char* path, std::string* absolute)
{
	if (path == nullptr || path[0] == '\0' || absolute == nullptr)
		return B_BAD_VALUE;
	std::string joined;
	if (path[0] != '/') {
		status_t status = WorkingDirectory(&joined);
		if (status != B_OK)
			return status;
		joined += '/';
	}
	joined += path;

	std::string result;
	size_t position = 0;
	while (position < joined.size()) {
		size_t next = joined.find('/', position);
		if (next == std::string::npos)
			next = joined.size();
		std::string component = joined.substr(position, next - position);
		if (!component.empty() && component != ".")
			result += '/' + component;
		position = next + 1;
	}
	*absolute = result.empty() ? "/" : result;
	return B_OK;
}

std::string LeafOf(const std::string& absolutePath)
{
	if (absolutePath == "/")
		return absolutePath;
	size_t slash = absolutePath.rfind('/');
	return slash == std::string::npos ? absolutePath : absolutePath.substr(slash + 1);
}

}
