// entry_ref, BEntry, BFile and get_ref_for_path against a real file tree.
#include <Entry.h>
#include <File.h>
#include <Path.h>

#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "Watchdog.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace zoetra::testing;

class StorageTest : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_NE(fFiles.Path(), "");
		ASSERT_EQ(chmod(fFolder.c_str(), 0755), 0);
		ASSERT_NE(getcwd(fOldDirectory, sizeof(fOldDirectory)), nullptr);
		ASSERT_EQ(chdir(fFolder.c_str()), 0);
		Write("clip.fli", "0123456789");
	}

	void TearDown() override
	{
		EXPECT_EQ(chdir(fOldDirectory), 0);
		EXPECT_TRUE(fFiles.Remove());
	}

	void Write(const char* name, const std::string& contents)
	{
		int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
		ASSERT_GE(fd, 0);
		ASSERT_EQ(
			write(fd, contents.data(), contents.size()), static_cast<ssize_t>(contents.size()));
		close(fd);
	}

	std::string Path(const entry_ref& ref) { return BPath(&ref).Path(); }

	TemporaryFolder fFiles{"zoetra-storage-test"};
	const std::string fFolder = fFiles.Path();
	char fOldDirectory[PATH_MAX];
};

TEST_F(StorageTest, RefForAPathIsAbsoluteAndKeepsLinks)
{
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("clip.fli", &ref), B_OK);
	EXPECT_EQ(Path(ref), fFolder + "/clip.fli");
	EXPECT_STREQ(ref.name, "clip.fli");
	ASSERT_EQ(symlink("clip.fli", "link.fli"), 0);
	ASSERT_EQ(get_ref_for_path(".//./link.fli", &ref), B_OK);
	EXPECT_EQ(Path(ref), fFolder + "/link.fli");
	EXPECT_STREQ(ref.name, "link.fli");

	entry_ref copy(ref);
	EXPECT_EQ(copy, ref);
	ASSERT_EQ(copy.set_name("clip.fli"), B_OK);
	EXPECT_EQ(Path(copy), fFolder + "/clip.fli");
	EXPECT_NE(copy, ref);
	EXPECT_EQ(copy.set_name("a/b"), B_BAD_VALUE);
	entry_ref unset;
	EXPECT_EQ(unset.set_name("x"), B_NO_INIT);
	EXPECT_NE(unset, ref);
}

// An entry made from a path, copied and assigned names the same file; a path knows its
// leaf; a file opened for reading says so.
TEST_F(StorageTest, EntriesCopyAndPathsKnowTheirLeaf)
{
	const BEntry entry("clip.fli");
	ASSERT_EQ(entry.InitCheck(), B_OK);
	const BEntry copy(entry);
	BEntry assigned;
	assigned = copy;
	entry_ref fromEntry, fromAssigned;
	ASSERT_EQ(entry.GetRef(&fromEntry), B_OK);
	ASSERT_EQ(assigned.GetRef(&fromAssigned), B_OK);
	EXPECT_EQ(fromAssigned, fromEntry);
	EXPECT_EQ(Path(fromEntry), fFolder + "/clip.fli");
	EXPECT_TRUE(assigned.IsFile());
	entry_ref none;
	EXPECT_NE(BEntry().GetRef(&none), B_OK);

	const BPath path(&fromEntry);
	EXPECT_EQ(path.InitCheck(), B_OK);
	EXPECT_STREQ(path.Leaf(), "clip.fli");
	EXPECT_NE(BPath().InitCheck(), B_OK);
	EXPECT_EQ(BPath().Leaf(), nullptr);

	BFile file(&fromEntry, B_READ_ONLY);
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_TRUE(file.IsReadable());
	EXPECT_FALSE(BFile().IsReadable());
}

TEST_F(StorageTest, MissingPathIsEntryNotFound)
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path("missing.fli", &ref), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(get_ref_for_path("clip.fli/inside", &ref), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(get_ref_for_path("/no/such/folder/clip.fli", &ref), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(get_ref_for_path("", &ref), B_BAD_VALUE);
	EXPECT_EQ(get_ref_for_path(nullptr, &ref), B_BAD_VALUE);
	EXPECT_EQ(get_ref_for_path("clip.fli", nullptr), B_BAD_VALUE);
	EXPECT_EQ(ref.name, nullptr);
}

TEST_F(StorageTest, RegularFileReadsWhole)
{
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("clip.fli", &ref), B_OK);
	BEntry entry(&ref, true);
	ASSERT_EQ(entry.InitCheck(), B_OK);
	EXPECT_TRUE(entry.IsFile());
	BFile file(&entry, B_READ_ONLY);
	ASSERT_EQ(file.InitCheck(), B_OK);
	off_t size = 0;
	EXPECT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 10);
	char buffer[32] = {};
	EXPECT_EQ(file.Read(buffer, 32), 10);
	EXPECT_STREQ(buffer, "0123456789");
	EXPECT_EQ(file.Read(buffer, 32), 0);
	EXPECT_EQ(file.ReadAt(4, buffer, 3), 3);
	EXPECT_EQ(std::string(buffer, 3), "456");
	EXPECT_EQ(file.Seek(2, SEEK_SET), 2);
	EXPECT_EQ(file.Position(), 2);
	EXPECT_EQ(file.Read(nullptr, 3), B_BAD_VALUE);
	EXPECT_EQ(file.GetSize(nullptr), B_BAD_VALUE);
}

TEST_F(StorageTest, DirectoryIsRefusedAsAFile)
{
	ASSERT_EQ(mkdir("folder", 0755), 0);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("folder", &ref), B_OK);
	BEntry entry(&ref, true);
	EXPECT_TRUE(entry.IsDirectory());
	BFile file(&entry, B_READ_ONLY);
	EXPECT_EQ(file.InitCheck(), B_IS_A_DIRECTORY);
	off_t size = 123;
	EXPECT_EQ(file.GetSize(&size), B_IS_A_DIRECTORY);
	char buffer[4];
	EXPECT_LT(file.Read(buffer, sizeof(buffer)), 0);
}

TEST_F(StorageTest, UnreadableFileIsPermissionDenied)
{
	Write("secret.fli", "hidden");
	ASSERT_EQ(chmod("secret.fli", 0), 0);
	std::string path = fFolder + "/secret.fli";
	if (geteuid() != 0) {
		BFile file(path.c_str(), B_READ_ONLY);
		EXPECT_EQ(file.InitCheck(), B_PERMISSION_DENIED);
		return;
	}
	// Root reads anything; look as an ordinary user from a child process.
	EXPECT_EQ(RunInForkedChild([&] {
		if (setgid(65534) != 0 || setuid(65534) != 0)
			return 2;
		BFile file(path.c_str(), B_READ_ONLY);
		return file.InitCheck() == B_PERMISSION_DENIED ? 0 : 1;
	}),
		0);
}

TEST_F(StorageTest, FifoIsRefusedWithoutBlocking)
{
	ASSERT_EQ(mkfifo("pipe.fli", 0644), 0);
	Watchdog watchdog(std::chrono::seconds(10), "opening a FIFO");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("pipe.fli", &ref), B_OK);
	BEntry entry(&ref, true);
	BFile file(&entry, B_READ_ONLY);
	EXPECT_EQ(file.InitCheck(), B_BAD_TYPE);
	BFile byPath("/dev/null", B_READ_ONLY);
	EXPECT_EQ(byPath.InitCheck(), B_BAD_TYPE);
}

TEST_F(StorageTest, SymbolicLinkIsFollowedOnRequest)
{
	ASSERT_EQ(mkdir("target", 0755), 0);
	ASSERT_EQ(rename("clip.fli", "target/real.fli"), 0);
	ASSERT_EQ(symlink("target/real.fli", "shown.fli"), 0);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("shown.fli", &ref), B_OK);

	char name[B_FILE_NAME_LENGTH];
	BEntry followed(&ref, true);
	ASSERT_EQ(followed.InitCheck(), B_OK);
	ASSERT_EQ(followed.GetName(name), B_OK);
	EXPECT_STREQ(name, "real.fli");
	EXPECT_TRUE(followed.IsFile());

	BEntry itself(&ref, false);
	ASSERT_EQ(itself.GetName(name), B_OK);
	EXPECT_STREQ(name, "shown.fli");
	EXPECT_TRUE(itself.IsSymLink());
	EXPECT_EQ(itself.GetName(nullptr), B_BAD_VALUE);

	BFile file(&followed, B_READ_ONLY);
	off_t size = 0;
	EXPECT_EQ(file.GetSize(&size), B_OK);
	EXPECT_EQ(size, 10);
}

TEST_F(StorageTest, LinkLoopAndDanglingLinkEndInErrors)
{
	ASSERT_EQ(symlink("b.fli", "a.fli"), 0);
	ASSERT_EQ(symlink("a.fli", "b.fli"), 0);
	ASSERT_EQ(symlink("nowhere.fli", "dangling.fli"), 0);
	Watchdog watchdog(std::chrono::seconds(10), "following a loop of links");

	entry_ref loop;
	ASSERT_EQ(get_ref_for_path("a.fli", &loop), B_OK);
	BEntry entry(&loop, true);
	EXPECT_EQ(entry.InitCheck(), B_LINK_LIMIT);
	char name[B_FILE_NAME_LENGTH];
	EXPECT_EQ(entry.GetName(name), B_LINK_LIMIT);
	BFile file(&loop, B_READ_ONLY);
	EXPECT_EQ(file.InitCheck(), B_LINK_LIMIT);

	entry_ref dangling;
	ASSERT_EQ(get_ref_for_path("dangling.fli", &dangling), B_OK);
	EXPECT_EQ(BEntry(&dangling, true).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BFile(&dangling, B_READ_ONLY).InitCheck(), B_ENTRY_NOT_FOUND);
}

TEST_F(StorageTest, BadArgumentsAreErrors)
{
	EXPECT_EQ(BEntry(static_cast<const entry_ref*>(nullptr)).InitCheck(), B_BAD_VALUE);
	entry_ref unset;
	EXPECT_EQ(BEntry(&unset).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BFile(&unset, B_READ_ONLY).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BFile(static_cast<const BEntry*>(nullptr), B_READ_ONLY).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BFile("clip.fli", B_READ_WRITE).InitCheck(), B_NOT_ALLOWED);
	BFile unopened;
	off_t size;
	char buffer[4];
	EXPECT_EQ(unopened.GetSize(&size), B_NO_INIT);
	EXPECT_EQ(unopened.Read(buffer, 4), B_NO_INIT);
	BEntry empty;
	EXPECT_EQ(empty.InitCheck(), B_NO_INIT);
	EXPECT_FALSE(empty.Exists());
	EXPECT_EQ(BPath(static_cast<const char*>(nullptr)).Path(), nullptr);
}

}
