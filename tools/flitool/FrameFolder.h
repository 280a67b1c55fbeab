// The frames of an export, moved into their folder together or not at all.
//
// How to use it:
//   FrameFolder folder(directory);
//   if (!folder.Open(animation)) return 1;          // DIR checked, a private folder made
//   folder.Add("frame-0000.png", bytes);            // ... for every frame
//   if (!folder.Commit()) return 1;                 // moved in; earlier frames gone
//
// The frames are written into a private folder beside DIR (inside it, as a hidden folder,
// where DIR's parent cannot hold one on the same file system). Commit moves the earlier
// files named frame-NNNN.png out of DIR, the new ones in, and only then removes the earlier
// ones; when a move fails, every earlier file goes back. A missing DIR is made by renaming
// the private folder to it (missing folders above it are made, and removed again when the
// export fails). Nothing else in DIR is touched, and a FrameFolder that was not
// committed leaves nothing behind. Each failure is said on standard error.
#pragma once

#include "AnimationFile.h"

#include <string>
#include <vector>

namespace flitool {

class FrameFolder {
public:
	explicit FrameFolder(std::string directory);
	~FrameFolder();
	FrameFolder(const FrameFolder&) = delete;
	FrameFolder& operator=(const FrameFolder&) = delete;

	// Checks DIR (a folder the user may write, or a new one in an existing folder, that
	// holds no frame file that is the input itself) and makes the private folder.
	bool Open(const Animation& input);
	bool Add(const std::string& name, const std::vector<unsigned char>& bytes);
	bool Commit();

	// Whether `name` is one of the names an export gives its frames.
	static bool IsFrameName(const std::string& name);

private:
	struct Move {
		std::string from;
		std::string to;
	};

	bool MakeFolders(const std::string& folder);
	bool MoveFrames(const std::vector<std::string>& names, const std::string& from,
		const std::string& to, std::vector<Move>& moved) const;
	static void Undo(const std::vector<Move>& moves);
	void RemovePrivateFolder();

	std::string fDirectory;
	bool fDirectoryExists = false;
	std::string fPrivate; // the private folder, "" before Open
	std::vector<std::string> fNames;
	std::vector<std::string> fMadeFolders; // the folders above a new DIR that Open made
	bool fCommitted = false;
};

} // namespace flitool
