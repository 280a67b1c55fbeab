// flitool as a user runs it: its output, its exit codes and its messages.
#include "FliBuilder.h"
#include "FlitoolRun.h"
#include "FrameHash.h"
#include "TestFiles.h"

#include "fli/FrameSequence.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fli::test {
namespace {

namespace fs = std::filesystem;
using zoetra::testing::ProgramInstalled;
using zoetra::testing::RunTool;
using zoetra::testing::ToolResult;

TEST_F(FlitoolCommand, InfoPrintsTheHeaderFieldsAndHowManyFramesTheFirstPassShows)
{
	const ToolRun run = RunFlitool({"info", TestDataPath("bounce.fli")});
	EXPECT_EQ(run.exitCode, 0);
	EXPECT_EQ(run.out, "frames: 35\nspeed: 2\ndelay_us: 33332\nsize: 96525\nfirst_pass: 35\n");
	EXPECT_EQ(run.err, "");
}

TEST_F(FlitoolCommand, InfoShowsSignedFieldsAndTheDelayOfSpeedZero)
{
	Bytes bytes = NumberedFrames(-1, 2);
	bytes[16] = 0; // speed 0
	bytes[17] = 0;
	const ToolRun run = RunFlitool({"info", WriteFile("a.fli", bytes)});
	EXPECT_EQ(run.exitCode, 0);
	EXPECT_EQ(run.out,
		"frames: -1\nspeed: 0\ndelay_us: 33332\nsize: " + std::to_string(bytes.size())
			+ "\nfirst_pass: 0\n");
}

// flitool tells the pause the player takes: a negative speed counts as 2, like 0.
TEST_F(FlitoolCommand, InfoGivesANegativeSpeedThePlayersDelay)
{
	Bytes bytes = NumberedFrames(1, 2);
	bytes[16] = 0xFE; // speed 0xFFFE, -2 as stored
	bytes[17] = 0xFF;
	const ToolRun run = RunFlitool({"info", WriteFile("a.fli", bytes)});
	EXPECT_EQ(run.exitCode, 0);
	EXPECT_NE(run.out.find("speed: -2\ndelay_us: 33332\n"), std::string::npos) << run.out;
}

TEST_F(FlitoolCommand, FramesMatchTheReferenceHashes)
{
	const std::vector<std::string> hashes = ReadLines(TestDataPath("sparse.frames.sha256"));
	const ToolRun run = RunFlitool(
		{"frames", TestDataPath("sparse.fli"), "--count", std::to_string(hashes.size())});
	ASSERT_EQ(run.exitCode, 0) << run.err;
	ASSERT_EQ(run.out.size(), hashes.size() * 256000);
	for (size_t i = 0; i < hashes.size(); ++i)
		ASSERT_EQ(Sha256Hex(run.out.data() + i * 256000, 256000), hashes[i]) << "frame " << i;
}

TEST_F(FlitoolCommand, FramesByDefaultShowTheFirstPassAndOneLaterPass)
{
	const ToolRun run = RunFlitool({"frames", WriteFile("a.fli", NumberedFrames(2, 3))});
	EXPECT_EQ(run.exitCode, 0);
	EXPECT_EQ(FrameNumbers(run.out), (std::vector<int>{0, 1, 2, 1, 2}));
	const ToolRun limited =
		RunFlitool({"frames", WriteFile("a.fli", NumberedFrames(2, 3)), "--count=7"});
	EXPECT_EQ(FrameNumbers(limited.out), (std::vector<int>{0, 1, 2, 1, 2, 1, 2}));
}

TEST_F(FlitoolCommand, FramesStopWhenAPassAfterTheFirstShowsNoFrame)
{
	const ToolRun run =
		RunFlitool({"frames", WriteFile("a.fli", NumberedFrames(0, 3)), "--count", "10"});
	EXPECT_EQ(run.exitCode, 0);
	EXPECT_EQ(FrameNumbers(run.out), (std::vector<int>{0}));
	const ToolRun none =
		RunFlitool({"frames", WriteFile("a.fli", NumberedFrames(2, 3)), "--count", "0"});
	EXPECT_EQ(none.exitCode, 0);
	EXPECT_EQ(none.out, "");
}

TEST_F(FlitoolCommand, ExportWritesEachFrameAsAPngThatDecodesToTheFrameBuffer)
{
	const std::vector<unsigned char> demo =
		ReadTestFile(std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli");
	const fs::path directory = scratch_ / "made" / "here";
	const ToolRun run = RunFlitool({"export", std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli",
		directory.string(), "--count", "3"});
	ASSERT_EQ(run.exitCode, 0) << run.err;
	EXPECT_TRUE(fs::exists(directory / "frame-0002.png"));
	EXPECT_FALSE(fs::exists(directory / "frame-0003.png"));

	// An independent PNG reader, where one is installed, checks the pictures themselves.
	if (!ProgramInstalled("convert"))
		GTEST_SKIP() << "ImageMagick's convert is not installed";
	FrameSequence frames(demo.data(), static_cast<uint32_t>(demo.size()), 3);
	for (int i = 0; i < 3; ++i) {
		ASSERT_TRUE(frames.Next());
		const fs::path png = directory / ("frame-000" + std::to_string(i) + ".png");
		const ToolResult converted = RunTool({"convert", png.string(), "-depth", "8", "rgb:-"});
		ASSERT_EQ(converted.status, 0) << png;
		const std::string& pixels = converted.output;
		ASSERT_EQ(pixels.size(), size_t{kPixelCount} * 3);
		for (int p = 0; p < kPixelCount; ++p) {
			const uint32_t pixel = frames.Pixels()[p];
			const uint32_t decoded = (uint32_t(static_cast<unsigned char>(pixels[3 * p])) << 16)
				| (uint32_t(static_cast<unsigned char>(pixels[3 * p + 1])) << 8)
				| uint32_t(static_cast<unsigned char>(pixels[3 * p + 2]));
			ASSERT_EQ(decoded, pixel) << "frame " << i << " pixel " << p;
		}
	}
}

TEST_F(FlitoolCommand, RefusedFilesGetTheSystemsMessagesAndExitCodeOne)
{
	Bytes header = FileBytes(File{});
	const ToolRun missing = RunFlitool({"info", (scratch_ / "nothing.fli").string()});
	EXPECT_EQ(missing.exitCode, 1);
	EXPECT_EQ(missing.err,
		"flitool: cannot read " + (scratch_ / "nothing.fli").string()
			+ ": No such file or directory\n");
	EXPECT_EQ(missing.out, "");

	const std::string tooShort = WriteFile("short.fli", Bytes(header.begin(), header.end() - 1));
	Bytes wrongMagic = header;
	wrongMagic[4] = 0x12;
	for (const std::string& path : {tooShort, WriteFile("magic.fli", wrongMagic)}) {
		for (const char* command : {"info", "frames"}) {
			const ToolRun run = RunFlitool({command, path});
			EXPECT_EQ(run.exitCode, 1) << path;
			EXPECT_EQ(run.err, "Unsupported file format.\n") << path;
			EXPECT_EQ(run.out, "") << path;
		}
	}

	// A folder is no file to read.
	const ToolRun folder = RunFlitool({"info", scratch_.string()});
	EXPECT_EQ(folder.exitCode, 1);
	EXPECT_EQ(folder.err, "flitool: cannot read " + scratch_.string() + ": Is a directory\n");

	// The bare header is a file that plays: its first pass simply shows no frame.
	const ToolRun bare = RunFlitool({"info", WriteFile("bare.fli", header)});
	EXPECT_EQ(bare.exitCode, 0);
	EXPECT_NE(bare.out.find("first_pass: 0\n"), std::string::npos);
}

TEST_F(FlitoolCommand, HelpAndWrongUsage)
{
	const ToolRun help = RunFlitool({"--help"});
	EXPECT_EQ(help.exitCode, 0);
	EXPECT_EQ(help.out.rfind("usage: flitool", 0), 0u);
	const std::string file = TestDataPath("bounce.fli");
	const std::vector<std::vector<std::string>> wrong{{}, {"play", file}, {"info"},
		{"info", file, "extra"}, {"info", file, "--count", "2"}, {"frames", file, "--count"},
		{"frames", file, "--count", "-1"}, {"frames", file, "--count", "x"},
		{"frames", file, "--count", "1", "--count", "2"}, {"export", file},
		{"info", file, "--verbose"}, {"gif", file}, {"gif", file, "a.gif", "--scale", "0"},
		{"gif", file, "a.gif", "--scale", "9"}, {"gif", file, "a.gif", "--count", "3"},
		{"thumbnail", "-s", "x", file, "a.png"}, {"thumbnail", "-s", "4097", file, "a.png"},
		{"thumbnail", file}, {"export", file, "d", "--scale", "2"}};
	for (const std::vector<std::string>& arguments : wrong) {
		const ToolRun run = RunFlitool(arguments);
		EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(arguments);
		EXPECT_NE(run.err.find("flitool --help"), std::string::npos)
			<< ::testing::PrintToString(arguments);
		EXPECT_EQ(run.out, "");
	}
}

} // namespace
} // namespace fli::test
