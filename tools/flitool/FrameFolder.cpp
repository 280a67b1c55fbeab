// An export's frames written aside and moved into their folder at once.
#include "FrameFolder.h"

#include "FileSystem.h"
#include "OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace flitool {

namespace {

constexpr char kPrefix[] = "frame-";
constexpr char kSuffix[] = ".png";
constexpr size_t kLeastDigits = 4;

// A path without the slashes that may end it ("out/" names the folder "out").
std::string Trimmed(const std::string& path)
{
	std::string trimmed = path;
	while (trimmed.size() > 1 && trimmed.back() == '/')
		trimmed.pop_back();
	return trimmed;
}

std::string ParentOf(const std::string& path)
{
	return FolderOf(Trimmed(path));
}

std::string Join(const std::string& folder, const std::string& name)
{
	return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool MayWrite(const std::string& path)
{
	return MayAccess(path, W_OK | X_OK);
}

struct DirectoryCloser {
	void operator()(DIR* directory) const { ::closedir(directory); }
};

// The names in `folder` that an export gives its frames, folders of such names left out.
bool ListFrames(const std::string& folder, std::vector<std::string>& names)
{
	std::unique_ptr<DIR, DirectoryCloser> directory(::opendir(folder.c_str()));
	if (!directory)
		return false;
	while (const dirent* entry = ::readdir(directory.get())) {
		const std::string name = entry->d_name;
		struct stat info {};
		if (FrameFolder::IsFrameName(name) && ::lstat(Join(folder, name).c_str(), &info) == 0
			&& !S_ISDIR(info.st_mode))
			names.push_back(name);
	}
	return true;
}

// Where Commit puts DIR's earlier frames while the new ones move in.
std::string EarlierFolderIn(const std::string& privateFolder)
{
	return Join(privateFolder, "earlier");
}

} // namespace

FrameFolder::FrameFolder(std::string directory)
	: fDirectory(std::move(directory))
{
}

FrameFolder::~FrameFolder()
{
	if (fCommitted)
		return;
	RemovePrivateFolder();
	for (auto folder = fMadeFolders.rbegin(); folder != fMadeFolders.rend(); ++folder)
		::rmdir(folder->c_str());
}

bool FrameFolder::IsFrameName(const std::string& name)
{
	const size_t prefix = sizeof kPrefix - 1, suffix = sizeof kSuffix - 1;
	if (name.size() < prefix + kLeastDigits + suffix || name.rfind(kPrefix, 0) != 0
		|| name.compare(name.size() - suffix, suffix, kSuffix) != 0)
		return false;
	const std::string digits = name.substr(prefix, name.size() - prefix - suffix);
	return digits.find_first_not_of("0123456789") == std::string::npos;
}

bool FrameFolder::Open(const Animation& input)
{
	struct stat info {};
	std::string home = ParentOf(fDirectory);
	if (::stat(fDirectory.c_str(), &info) == 0) {
		if (!S_ISDIR(info.st_mode))
			return CannotWrite(fDirectory, std::strerror(ENOTDIR));
		if (!MayWrite(fDirectory))
			return CannotWrite(fDirectory, std::strerror(errno));
		fDirectoryExists = true;
		std::vector<std::string> earlier;
		if (!ListFrames(fDirectory, earlier))
			return CannotWrite(fDirectory, std::strerror(errno));
		for (const std::string& name : earlier) {
			struct stat frame {};
			if (::stat(Join(fDirectory, name).c_str(), &frame) == 0
				&& input.IsFile(frame.st_dev, frame.st_ino))
				return CannotWrite(Join(fDirectory, name), "it is the file being read");
		}
		// Beside DIR where its parent is on the same file system and may be written;
		// otherwise inside DIR, so that every move is a rename.
		struct stat parent {};
		if (::stat(home.c_str(), &parent) != 0 || parent.st_dev != info.st_dev || !MayWrite(home))
			home = fDirectory;
	} else if (errno != ENOENT) {
		return CannotWrite(fDirectory, std::strerror(errno));
	} else if (::lstat(fDirectory.c_str(), &info) == 0) {
		return CannotWrite(fDirectory, "not writing through a dangling symbolic link");
	} else if (!MakeFolders(home)) {
		return CannotWrite(fDirectory, std::strerror(errno));
	}
	std::string pattern = Join(home, "." + NameOf(Trimmed(fDirectory)) + ".export-XXXXXX");
	if (::mkdtemp(pattern.data()) == nullptr)
		return CannotWrite(fDirectory, std::strerror(errno));
	fPrivate = pattern;
	return true;
}

// Makes `folder` and the folders above it that are missing, noting each for the destructor
// to remove again.
bool FrameFolder::MakeFolders(const std::string& folder)
{
	struct stat info {};
	if (::stat(folder.c_str(), &info) == 0) {
		if (S_ISDIR(info.st_mode))
			return true;
		errno = ENOTDIR;
		return false;
	}
	if (errno != ENOENT || !MakeFolders(ParentOf(folder)))
		return false;
	if (::mkdir(folder.c_str(), 0777) != 0)
		return false;
	fMadeFolders.push_back(folder);
	return true;
}

bool FrameFolder::Add(const std::string& name, const std::vector<unsigned char>& bytes)
{
	const std::string shown = Join(fDirectory, name);
	if (bytes.empty())
		return CannotWrite(shown, "the picture could not be encoded");
	if (!WriteFile(Join(fPrivate, name), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, bytes)) {
		const int error = errno;
		::unlink(Join(fPrivate, name).c_str());
		return CannotWrite(shown, std::strerror(error));
	}
	fNames.push_back(name);
	return true;
}

bool FrameFolder::Commit()
{
	if (!fDirectoryExists) {
		// mkdtemp made the folder for its owner alone; the new DIR gets a new folder's mode.
		if (::chmod(fPrivate.c_str(), 0777 & ~CurrentUmask()) != 0
			|| ::rename(fPrivate.c_str(), fDirectory.c_str()) != 0)
			return CannotWrite(fDirectory, std::strerror(errno));
		fCommitted = true;
		return true;
	}
	const std::string aside = EarlierFolderIn(fPrivate);
	if (::mkdir(aside.c_str(), 0700) != 0)
		return CannotWrite(fDirectory, std::strerror(errno));
	std::vector<std::string> earlier;
	if (!ListFrames(fDirectory, earlier))
		return CannotWrite(fDirectory, std::strerror(errno));
	std::vector<Move> moved;
	if (!MoveFrames(earlier, fDirectory, aside, moved)
		|| !MoveFrames(fNames, fPrivate, fDirectory, moved)) {
		Undo(moved);
		return false;
	}
	fCommitted = true;
	RemovePrivateFolder();
	return true;
}

// Renames each of `names` from folder `from` to folder `to`, noting every move in `moved`
// for Undo. A failure names the frame's path in DIR, whichever side of the move that is.
bool FrameFolder::MoveFrames(const std::vector<std::string>& names, const std::string& from,
	const std::string& to, std::vector<Move>& moved) const
{
	for (const std::string& name : names) {
		const Move move{Join(from, name), Join(to, name)};
		if (::rename(move.from.c_str(), move.to.c_str()) != 0) {
			const int error = errno;
			return CannotWrite(Join(fDirectory, name), std::strerror(error));
		}
		moved.push_back(move);
	}
	return true;
}

// Puts everything moved back where it was, the last move first: the new frames leave DIR
// before the earlier ones return to their names.
void FrameFolder::Undo(const std::vector<Move>& moves)
{
	for (auto move = moves.rbegin(); move != moves.rend(); ++move) {
		if (::rename(move->to.c_str(), move->from.c_str()) != 0)
			std::fprintf(stderr, "flitool: cannot move %s back to %s: %s\n", move->to.c_str(),
				move->from.c_str(), std::strerror(errno));
	}
}

void FrameFolder::RemovePrivateFolder()
{
	if (fPrivate.empty())
		return;
	for (const std::string& folder : {EarlierFolderIn(fPrivate), fPrivate}) {
		std::vector<std::string> names;
		if (!ListFrames(folder, names))
			continue;
		for (const std::string& name : names)
			::unlink(Join(folder, name).c_str());
		::rmdir(folder.c_str());
	}
	fPrivate.clear();
}

} // namespace flitool
