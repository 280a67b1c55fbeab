// The thumbnailer as a file manager runs it: the installed zoetra.thumbnailer's command line,
// with %s, %i and %o filled in, and only the installed programs on the PATH.
#include "FlitoolRun.h"
#include "ImageReaders.h"
#include "TestFiles.h"

#include "FliEncoder.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace fli::test {
namespace {

namespace fs = std::filesystem;
using zoetra::testing::ChildOptions;
using zoetra::testing::ChildProcess;

// The key=value lines of a desktop-style file, from every group.
std::map<std::string, std::string> ReadKeys(const fs::path& path)
{
	std::map<std::string, std::string> keys;
	std::ifstream in(path);
	for (std::string line; std::getline(in, line);) {
		const size_t equals = line.find('=');
		if (!line.empty() && line[0] != '[' && line[0] != '#' && equals != std::string::npos)
			keys[line.substr(0, equals)] = line.substr(equals + 1);
	}
	return keys;
}

std::set<std::string> MimeTypes(const std::string& list)
{
	std::set<std::string> types;
	std::istringstream in(list);
	for (std::string type; std::getline(in, type, ';');) {
		if (!type.empty())
			types.insert(type);
	}
	return types;
}

// The file:// URI some file managers pass for a local path: bytes other than letters,
// digits, "-._~/" as %XX.
std::string FileUri(const std::string& path)
{
	std::string uri = "file://";
	for (const unsigned char c : path) {
		if (std::isalnum(c) || std::strchr("-._~/", c) != nullptr) {
			uri += static_cast<char>(c);
		} else {
			char escaped[4];
			std::snprintf(escaped, sizeof escaped, "%%%02X", c);
			uri += escaped;
		}
	}
	return uri;
}

// What area averaging gives, worked out directly: each new pixel is the mean of the frame
// over the rectangle it covers, partly covered pixels weighted by the part covered.
Pixels AreaAverage(const Pixels& frame, int width, int height)
{
	const double across = double(kWidth) / width, down = double(kHeight) / height;
	Pixels scaled;
	for (int y = 0; y < height; ++y) {
		for (int x = 0; x < width; ++x) {
			double sums[3] = {0, 0, 0};
			for (int fy = int(y * down); fy < std::min(kHeight, int(std::ceil((y + 1) * down)));
				 ++fy) {
				const double coverY =
					std::min(fy + 1.0, (y + 1) * down) - std::max(double(fy), y * down);
				for (int fx = int(x * across);
					 fx < std::min(kWidth, int(std::ceil((x + 1) * across))); ++fx) {
					const double cover = coverY
						* (std::min(fx + 1.0, (x + 1) * across) - std::max(double(fx), x * across));
					const uint32_t pixel = frame[size_t(fy * kWidth + fx)];
					for (int c = 0; c < 3; ++c)
						sums[c] += cover * ((pixel >> (16 - 8 * c)) & 0xFF);
				}
			}
			uint32_t pixel = 0;
			for (int c = 0; c < 3; ++c)
				pixel |= uint32_t(std::lround(sums[c] / (across * down))) << (16 - 8 * c);
			scaled.push_back(pixel);
		}
	}
	return scaled;
}

::testing::AssertionResult WithinOne(const Pixels& made, const Pixels& expected)
{
	if (made.size() != expected.size())
		return ::testing::AssertionFailure() << made.size() << " pixels, not " << expected.size();
	for (size_t i = 0; i < made.size(); ++i) {
		for (int shift : {16, 8, 0}) {
			const int a = (made[i] >> shift) & 0xFF, b = (expected[i] >> shift) & 0xFF;
			if (std::abs(a - b) > 1)
				return ::testing::AssertionFailure()
					<< "pixel " << i << " is " << std::hex << made[i] << ", not " << expected[i];
		}
	}
	return ::testing::AssertionSuccess();
}

// One-pixel squares of two colours whose mean is grey: nearest neighbour would keep one
// of the two, area averaging gives the grey.
Bytes Checkerboard()
{
	encode::Palette6 palette{};
	palette[1] = {10, 20, 30};
	palette[2] = {50, 40, 30};
	encode::Picture picture(kPixelCount);
	for (int i = 0; i < kPixelCount; ++i)
		picture[size_t(i)] = static_cast<unsigned char>(1 + (i % kWidth + i / kWidth) % 2);
	encode::AnimationWriter writer(2);
	writer.AddFrame({encode::EncodeColorChunk(palette), encode::EncodeByteRunChunk(picture)});
	return writer.Finish(1);
}

class InstalledThumbnailer : public FlitoolCommand {
protected:
	void SetUp() override
	{
		FlitoolCommand::SetUp();
		prefix_ = scratch_ / "prefix";
		ChildProcess install({"cmake", "--install", ZOETRA_BUILD_DIR, "--prefix", prefix_.string()},
			{.errors = ChildOptions::Errors::Join});
		ASSERT_EQ(install.WaitForExit(std::chrono::seconds(60)), 0) << install.Output();
		keys_ = ReadKeys(prefix_ / "share" / "thumbnailers" / "zoetra.thumbnailer");
	}

	// The Exec line split into words, %s %i %o replaced as file managers replace them, run
	// with the installed programs alone on the PATH. Its exit status; its standard error
	// stays in errors_.
	int RunExecLine(int size, const std::string& input, const std::string& output)
	{
		std::vector<std::string> command;
		std::istringstream words(keys_["Exec"]);
		for (std::string word; words >> word;) {
			if (word == "%s")
				word = std::to_string(size);
			else if (word == "%i")
				word = input;
			else if (word == "%o")
				word = output;
			command.push_back(word);
		}
		ChildProcess thumbnailer(command,
			{.environment = {"PATH=" + (prefix_ / "bin").string()},
				.errors = ChildOptions::Errors::Read});
		const int status = thumbnailer.WaitForExit();
		errors_ = thumbnailer.Errors();
		return status;
	}

	fs::path prefix_;
	std::string errors_;
	std::map<std::string, std::string> keys_;
};

TEST_F(InstalledThumbnailer, NamesTheInstalledFlitoolAndThePlayersTypes)
{
	EXPECT_EQ(keys_["Exec"], "flitool thumbnail -s %s %i %o");
	EXPECT_TRUE(fs::exists(prefix_ / "bin" / keys_["TryExec"]));
	const auto desktop = ReadKeys(fs::path(ZOETRA_SOURCE_DIR) / "packaging" / "zoetra.desktop");
	EXPECT_FALSE(MimeTypes(keys_["MimeType"]).empty());
	EXPECT_EQ(MimeTypes(keys_["MimeType"]), MimeTypes(desktop.at("MimeType")));
}

// Thumbnails at the sizes file managers ask for (normal, large, x-large), from a path with a
// space in it and from the same file as a file:// URI.
TEST_F(InstalledThumbnailer, MakesTheFirstFrameAreaAveraged)
{
	const std::string demo =
		WriteFile("the demo.fli", ReadTestFile(std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli"));
	const std::string board = WriteFile("board.fli", Checkerboard());
	for (const std::string& file : {demo, board}) {
		const Pixels first = PlayerFrames(file, 1).at(0);
		for (const auto& [size, input] :
			{std::pair{128, file}, std::pair{256, FileUri(file)}, std::pair{512, file}}) {
			SCOPED_TRACE(input + " at " + std::to_string(size));
			const std::string output = (scratch_ / "thumbnail.png").string();
			fs::remove(output);
			ASSERT_EQ(RunExecLine(size, input, output), 0) << errors_;
			const PngPicture thumbnail = ReadPng(output);
			ASSERT_TRUE(thumbnail.read);
			EXPECT_EQ(thumbnail.width, size);
			EXPECT_EQ(thumbnail.height, size * 5 / 8);
			EXPECT_TRUE(
				WithinOne(thumbnail.pixels, AreaAverage(first, thumbnail.width, thumbnail.height)));
		}
	}
	// Shrunk, the squares are their mean grey everywhere.
	ASSERT_EQ(RunExecLine(160, board, (scratch_ / "board.png").string()), 0);
	const PngPicture grey = ReadPng((scratch_ / "board.png").string());
	EXPECT_EQ(
		std::set<uint32_t>(grey.pixels.begin(), grey.pixels.end()), std::set<uint32_t>{0x787878});
}

TEST_F(InstalledThumbnailer, RefusedFilesMakeNoThumbnail)
{
	const Bytes header = FileBytes(File{});
	for (const std::string& file : {(scratch_ / "missing.fli").string(),
			 WriteFile("text.fli", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}),
			 WriteFile("bare.fli", header), FileUri((scratch_ / "missing.fli").string())}) {
		SCOPED_TRACE(file);
		const fs::path output = scratch_ / "out" / "thumbnail.png";
		fs::create_directories(output.parent_path());
		EXPECT_NE(RunExecLine(128, file, output.string()), 0);
		EXPECT_TRUE(fs::is_empty(output.parent_path()));
	}
}

} // namespace
} // namespace fli::test
