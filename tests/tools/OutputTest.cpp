// Where flitool's output goes, as cp would write it, and what it says when it cannot: links,
// FIFOs, devices, standard output, another user's folders, a full file system, an export
// over an older one, and files cut short.
#include "FliBuilder.h"
#include "FlitoolRun.h"
#include "TestFiles.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

namespace fli::test {
namespace {

namespace fs = std::filesystem;
using zoetra::testing::ChildOptions;
using zoetra::testing::ChildProcess;
using zoetra::testing::RunInForkedChild;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;

std::string Demo()
{
	return std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli";
}

std::string Flitool()
{
	return std::string(ZOETRA_BUILD_DIR) + "/flitool";
}

std::string Contents(const fs::path& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry under `folder`: a file's bytes, a link's target, or what else it is.
std::map<std::string, std::string> Tree(const fs::path& folder)
{
	std::map<std::string, std::string> tree;
	for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
		const std::string name = entry.path().lexically_relative(folder).string();
		if (entry.is_symlink())
			tree[name] = "-> " + fs::read_symlink(entry.path()).string();
		else if (entry.is_regular_file())
			tree[name] = Contents(entry.path());
		else
			tree[name] = entry.is_directory() ? "<folder>" : "<special>";
	}
	return tree;
}

mode_t TypeOf(const fs::path& path)
{
	struct stat info {};
	return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

TEST_F(FlitoolCommand, OutputsGoWhereCpWouldWriteThem)
{
	const ToolRun toStandardOutput = RunFlitool({"gif", Demo(), "-"}, scratch_.string());
	ASSERT_EQ(toStandardOutput.exitCode, 0) << toStandardOutput.err;
	const std::string gif = toStandardOutput.out;
	EXPECT_EQ(gif.rfind("GIF89a", 0), 0u);
	const ToolRun thumbnail = RunFlitool({"thumbnail", Demo(), "-"}, scratch_.string());
	EXPECT_EQ(thumbnail.exitCode, 0) << thumbnail.err;
	EXPECT_EQ(thumbnail.out.rfind("\x89PNG\r\n\x1a\n", 0), 0u);
	EXPECT_TRUE(fs::is_empty(scratch_)) << "no file named -";

	// An existing file is replaced whole and keeps its mode; a link is written through.
	const std::string kept = files_.Write("kept.gif", "older");
	fs::permissions(kept, fs::perms(0640));
	const std::string link = files_.Link("kept.gif", "link.gif");
	for (const std::string& target : {kept, link}) {
		const ToolRun run = RunFlitool({"gif", Demo(), target});
		EXPECT_EQ(run.exitCode, 0) << run.err;
		EXPECT_EQ(Contents(kept), gif) << target;
	}
	EXPECT_EQ(fs::status(kept).permissions(), fs::perms(0640));
	EXPECT_EQ(TypeOf(link), S_IFLNK);

	// The input itself, named or linked, is refused before anything is written.
	const std::string input = files_.Copy(Demo(), "input.fli");
	const std::string inputLink = files_.Link("input.fli", "input-link.gif");
	for (const std::string& target : {input, inputLink}) {
		const ToolRun run = RunFlitool({"gif", input, target});
		EXPECT_EQ(run.exitCode, 1);
		EXPECT_EQ(run.err, "flitool: cannot write " + target + ": it is the file being read\n");
	}
	EXPECT_EQ(Contents(input), Contents(Demo()));
	const ToolRun dangling = RunFlitool({"gif", input, files_.Link("gone", "dangling.gif")});
	EXPECT_EQ(dangling.exitCode, 1);
	EXPECT_NE(dangling.err.find("dangling symbolic link"), std::string::npos) << dangling.err;
	EXPECT_EQ(Tree(scratch_).size(), 5u) << "no temporary file is left";
}

TEST_F(FlitoolCommand, FifosAndDevicesAreWrittenDirectly)
{
	const std::string gif = RunFlitool({"gif", Demo(), "-"}).out;
	const fs::path fifo = scratch_ / "fifo", read = scratch_ / "read";
	ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
	ChildProcess reader({"sh", "-c", "cat \"$0\" >\"$1\"", fifo.string(), read.string()});
	const ToolRun run = RunFlitool({"gif", Demo(), fifo.string()});
	EXPECT_EQ(run.exitCode, 0) << run.err;
	EXPECT_EQ(reader.WaitForExit(), 0);
	EXPECT_TRUE(Contents(read) == gif) << "the reader got what flitool gif - writes";
	EXPECT_EQ(TypeOf(fifo), S_IFIFO);

	// Copies of /dev/null and /dev/full: one takes everything, the other nothing.
	const fs::path null = scratch_ / "null", full = scratch_ / "full";
	if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0
		|| ::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
		GTEST_SKIP() << "making device nodes needs root: " << std::strerror(errno);
	const ToolRun toNull = RunFlitool({"gif", Demo(), null.string()});
	EXPECT_EQ(toNull.exitCode, 0) << toNull.err;
	const ToolRun toFull = RunFlitool({"thumbnail", Demo(), full.string()});
	EXPECT_EQ(toFull.exitCode, 1);
	EXPECT_EQ(toFull.err, "flitool: cannot write " + full.string() + ": No space left on device\n");
	EXPECT_EQ(TypeOf(null), S_IFCHR);
	EXPECT_EQ(TypeOf(full), S_IFCHR);
	EXPECT_EQ(Tree(scratch_).size(), 4u) << "no temporary file is left";
}

// flitool run as `nobody` in `folder`, its standard error kept in `errors`.
int RunAsNobody(
	const std::vector<std::string>& arguments, const fs::path& folder, const fs::path& errors)
{
	return RunInForkedChild([&] {
		const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (fd < 0 || ::dup2(fd, STDERR_FILENO) < 0 || ::setgroups(0, nullptr) != 0
			|| ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0 || ::chdir(folder.c_str()) != 0)
			return 125;
		std::vector<char*> argv{const_cast<char*>(Flitool().c_str())};
		for (const std::string& argument : arguments)
			argv.push_back(const_cast<char*>(argument.c_str()));
		argv.push_back(nullptr);
		const std::string program = Flitool();
		::execv(program.c_str(), argv.data());
		return 126;
	});
}

TEST_F(FlitoolCommand, AnotherUserIsRefusedWhatCpWouldRefuse)
{
	if (::geteuid() != 0)
		GTEST_SKIP() << "running flitool as another user needs root";
	fs::permissions(scratch_, fs::perms(0755));
	const fs::path errors = scratch_ / "errors";
	files_.Copy(Demo(), "a.fli");
	fs::create_directory(scratch_ / "ro");
	fs::create_directory(scratch_ / "mine");
	const std::string readOnly = files_.Write("mine/x.gif", "earlier");
	const std::string secret = files_.Copy(Demo(), "secret.fli");
	fs::permissions(secret, fs::perms(0600));
	fs::permissions(readOnly, fs::perms(0444));
	ASSERT_EQ(::chown((scratch_ / "mine").c_str(), kNobody, kNoGroup), 0);
	ASSERT_EQ(::chown(readOnly.c_str(), kNobody, kNoGroup), 0);
	const auto before = Tree(scratch_);

	const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
		{{"gif", "a.fli", "ro/x.gif"}, "flitool: cannot write ro/x.gif: Permission denied\n"},
		{{"export", "a.fli", "ro"}, "flitool: cannot write ro: Permission denied\n"},
		{{"thumbnail", "a.fli", "mine/x.gif"},
			"flitool: cannot write mine/x.gif: Permission denied\n"},
		{{"info", "secret.fli"}, "flitool: cannot read secret.fli: Permission denied\n"}};
	for (const auto& [arguments, message] : refused) {
		EXPECT_EQ(RunAsNobody(arguments, scratch_, errors), 1)
			<< ::testing::PrintToString(arguments);
		EXPECT_EQ(Contents(errors), message);
		fs::remove(errors);
		EXPECT_EQ(Tree(scratch_), before) << ::testing::PrintToString(arguments);
	}
}

// A small file system of its own, mounted for one test and unmounted after it.
class SmallFileSystem {
public:
	explicit SmallFileSystem(const fs::path& where)
		: fPath(where)
	{
		fs::create_directory(where);
		fMounted = ::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=1m,mode=0700") == 0;
		fError = errno;
	}
	~SmallFileSystem()
	{
		if (fMounted)
			::umount2(fPath.c_str(), MNT_DETACH);
	}
	bool Mounted() const { return fMounted; }
	int Error() const { return fError; }

private:
	fs::path fPath;
	bool fMounted = false;
	int fError = 0;
};

TEST_F(FlitoolCommand, AFullFileSystemLeavesEarlierOutputsWhole)
{
	const fs::path small = scratch_ / "small";
	const SmallFileSystem mount(small);
	if (!mount.Mounted())
		GTEST_SKIP() << "cannot mount a small file system: " << std::strerror(mount.Error());
	const fs::path frames = small / "frames";
	ASSERT_EQ(RunFlitool({"export", Demo(), frames.string(), "--count", "3"}).exitCode, 0);
	ASSERT_EQ(RunFlitool({"gif", Demo(), (small / "a.gif").string()}).exitCode, 0);
	// Filled up to a few pages, which no picture of these fits in.
	struct statvfs space {};
	ASSERT_EQ(::statvfs(small.c_str(), &space), 0);
	const uint64_t free = uint64_t(space.f_bavail) * space.f_frsize;
	files_.Write("small/filler", std::string(free - 2 * space.f_frsize, 'x'));
	const auto before = Tree(small);
	ASSERT_EQ(before.size(), 6u);

	for (const auto& [arguments, path] :
		std::vector<std::pair<std::vector<std::string>, std::string>>{
			{{"export", Demo(), frames.string()}, ""},
			{{"gif", Demo(), (small / "a.gif").string(), "--scale", "8"},
				(small / "a.gif").string()}}) {
		const ToolRun run = RunFlitool(arguments);
		EXPECT_EQ(run.exitCode, 1) << run.err;
		EXPECT_EQ(run.err.rfind("flitool: cannot write " + path, 0), 0u) << run.err;
		EXPECT_NE(run.err.find(": No space left on device\n"), std::string::npos) << run.err;
		EXPECT_EQ(Tree(small), before) << ::testing::PrintToString(arguments);
	}
}

TEST_F(FlitoolCommand, ExportReplacesAnEarlierExportWholeAndTouchesNothingElse)
{
	const fs::path frames = scratch_ / "frames", fresh = scratch_ / "fresh";
	ASSERT_EQ(RunFlitool({"export", Demo(), frames.string()}).exitCode, 0);
	EXPECT_EQ(Tree(frames).size(), 129u);
	files_.Write("frames/notes.txt", "mine");
	fs::create_directory(frames / "frame-9999.png");
	files_.Write("frames/frame-12.png", "not a frame name");

	const ToolRun run = RunFlitool({"export", Demo(), frames.string(), "--count", "3"});
	ASSERT_EQ(run.exitCode, 0) << run.err;
	ASSERT_EQ(RunFlitool({"export", Demo(), fresh.string(), "--count", "3"}).exitCode, 0);
	auto expected = Tree(fresh);
	expected["notes.txt"] = "mine";
	expected["frame-9999.png"] = "<folder>";
	expected["frame-12.png"] = "not a frame name";
	EXPECT_EQ(Tree(frames), expected);
	EXPECT_EQ((std::set<fs::path>{fs::directory_iterator(scratch_), {}}),
		(std::set<fs::path>{frames, fresh}))
		<< "no private folder is left beside the exports";

	// An input that an export would replace is refused before anything changes.
	const std::string input = files_.Copy(Demo(), "frames/frame-0200.png");
	const auto before = Tree(frames);
	const ToolRun overInput = RunFlitool({"export", input, frames.string()});
	EXPECT_EQ(overInput.exitCode, 1);
	EXPECT_EQ(overInput.err, "flitool: cannot write " + input + ": it is the file being read\n");
	EXPECT_EQ(Tree(frames), before);
}

TEST_F(FlitoolCommand, TruncatedFilesAreNamedAndPlayAsThePlayerPlaysThem)
{
	// Frames 0 to 3 promised, cut where frame 3 begins: the player shows frames 0, 1, 2,
	// then from frame 1 on.
	const Bytes whole = NumberedFrames(4, 4);
	const Bytes three = NumberedFrames(4, 3);
	const std::string cut = WriteFile("cut.fli", three);
	const ToolRun info = RunFlitool({"info", cut});
	EXPECT_EQ(info.exitCode, 3);
	EXPECT_NE(info.out.find("\nfirst_pass: 3\ntruncated: 3 of 4 frames whole\n"), std::string::npos)
		<< info.out;

	const ToolRun frames = RunFlitool({"frames", cut, "--count", "7"});
	EXPECT_EQ(frames.exitCode, 0);
	EXPECT_EQ(FrameNumbers(frames.out), (std::vector<int>{0, 1, 2, 1, 2, 1, 2}));
	for (const ToolRun& run : {frames, RunFlitool({"export", cut, (scratch_ / "x").string()}),
			 RunFlitool({"gif", cut, (scratch_ / "x.gif").string()})}) {
		EXPECT_EQ(run.exitCode, 0) << run.err;
		EXPECT_EQ(run.err.rfind("flitool: " + cut + " is truncated: 3 of its 4 frames", 0), 0u)
			<< run.err;
	}
	EXPECT_EQ(Tree(scratch_ / "x").size(), 5u);

	// Cut inside a frame's chunk, the frame counts as cut; a whole file says nothing.
	const Bytes inside(whole.begin(), whole.end() - 1);
	EXPECT_NE(RunFlitool({"info", WriteFile("inside.fli", inside)}).out.find("truncated: 3 of 4"),
		std::string::npos);
	const ToolRun wholeInfo = RunFlitool({"info", WriteFile("whole.fli", whole)});
	EXPECT_EQ(wholeInfo.exitCode, 0);
	EXPECT_EQ(wholeInfo.out.find("truncated"), std::string::npos);

	// A 4 GiB − 1 sparse file after a whole animation is read, not refused, and not cut.
	const std::string huge = files_.Copy(Demo(), "huge.fli");
	fs::resize_file(huge, (uint64_t(4) << 30) - 1);
	const ToolRun hugeInfo = RunFlitool({"info", huge});
	EXPECT_EQ(hugeInfo.exitCode, 0) << hugeInfo.err;
	EXPECT_NE(hugeInfo.out.find("size: 4294967295\nfirst_pass: 65\n"), std::string::npos)
		<< hugeInfo.out;
}

TEST_F(FlitoolCommand, StandardOutputThatCannotBeWrittenFails)
{
	const std::string demo = Demo();
	for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
			 {"--help"}, {"--version"}, {"info", demo}, {"frames", demo}, {"gif", demo, "-"}}) {
		std::vector<std::string> command{"sh", "-c", "exec \"$0\" \"$@\" >/dev/full", Flitool()};
		command.insert(command.end(), arguments.begin(), arguments.end());
		ChildProcess full(command, {.errors = ChildOptions::Errors::Read});
		EXPECT_EQ(full.WaitForExit(), 1) << ::testing::PrintToString(arguments);
		EXPECT_EQ(
			full.Errors(), "flitool: cannot write to standard output: No space left on device\n")
			<< ::testing::PrintToString(arguments);
	}

	// A pipe whose reader has gone, with SIGPIPE ignored as some shells and services do.
	ChildProcess closed(
		{"sh", "-c", "trap '' PIPE; { \"$0\" frames \"$1\"; echo status $? >&2; } | :", Flitool(),
			demo},
		{.errors = ChildOptions::Errors::Read});
	EXPECT_EQ(closed.WaitForExit(), 0);
	EXPECT_EQ(closed.Errors(), "flitool: cannot write to standard output: Broken pipe\nstatus 1\n");

	const ToolRun version = RunFlitool({"--version"});
	EXPECT_EQ(version.exitCode, 0);
	EXPECT_EQ(version.out, "flitool " ZOETRA_SHORT_VERSION "\n");
}

} // namespace
} // namespace fli::test
