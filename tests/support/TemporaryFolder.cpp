// Making and removing a test's private folder.
#include "TemporaryFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace zoetra::testing {

namespace fs = std::filesystem;

TemporaryFolder::TemporaryFolder(const std::string& prefix)
{
	std::string pattern = "/tmp/" + prefix + "-XXXXXX";
	if (mkdtemp(pattern.data()) != nullptr)
		fPath = pattern;
}

TemporaryFolder::~TemporaryFolder()
{
	Remove();
}

std::string TemporaryFolder::File(const std::string& name) const
{
	return fPath + "/" + name;
}

std::string TemporaryFolder::Write(const std::string& name, const std::string& bytes) const
{
	std::ofstream(File(name), std::ios::binary) << bytes;
	return File(name);
}

std::string TemporaryFolder::Copy(const std::string& from, const std::string& name) const
{
	fs::copy_file(from, File(name));
	return File(name);
}

std::string TemporaryFolder::Link(const std::string& target, const std::string& name) const
{
	fs::create_symlink(target, File(name));
	return File(name);
}

bool TemporaryFolder::Remove()
{
	if (fPath.empty())
		return true;
	std::error_code error;
	fs::remove_all(fPath, error);
	const bool removed = !error && !fs::exists(fPath, error);
	fPath.clear();
	return removed;
}

} // namespace zoetra::testing
