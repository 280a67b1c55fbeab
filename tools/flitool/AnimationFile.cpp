// Loads an FLI file whole into memory after the size test, then applies the header test.
#include "AnimationFile.h"

#include "fli/Acceptance.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace flitool {

namespace {

struct FileCloser {
	void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

LoadedAnimation LoadAnimation(const std::string& path)
{
	LoadedAnimation result;
	struct stat info {};
	if (::stat(path.c_str(), &info) != 0) {
		result.status =
			(errno == ENOENT || errno == ENOTDIR) ? LoadStatus::NotFound : LoadStatus::Unsupported;
		return result;
	}
	const int64_t size = info.st_size;
	if (!S_ISREG(info.st_mode) || !fli::PassesSizeTest(size))
		return result;

	std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
	if (!file)
		return result;
	result.bytes.resize(static_cast<size_t>(size));
	if (std::fread(result.bytes.data(), 1, result.bytes.size(), file.get())
		!= result.bytes.size()) {
		result.bytes.clear();
		return result;
	}
	if (!fli::PassesHeaderTest(result.bytes.data(), static_cast<uint32_t>(result.bytes.size()))) {
		result.bytes.clear();
		return result;
	}
	result.status = LoadStatus::Loaded;
	return result;
}

} // namespace flitool
