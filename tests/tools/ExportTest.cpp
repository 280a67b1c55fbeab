// flitool export and gif against flitool frames: every PNG, and every GIF picture at the end
// of each frame's time, equals the frame the player shows, on real and built files.
#include "FlitoolRun.h"
#include "ImageReaders.h"
#include "TestFiles.h"

#include "fli/FrameSequence.h"

#include "FliEncoder.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace fli::test {
namespace {

namespace fs = std::filesystem;
using encode::Palette6;
using encode::Picture;

constexpr int32_t kMicrosecondsPerSixtieth = 16666;

// 256 distinct colours, none black; `shade` (0 to 2) gives three palettes with no colour
// in common.
Palette6 DistinctPalette(int shade)
{
	Palette6 palette{};
	for (int i = 0; i < 256; ++i)
		palette[static_cast<size_t>(i)] = {static_cast<unsigned char>(i % 64),
			static_cast<unsigned char>((i / 64) * 16 + 5 + 5 * shade),
			static_cast<unsigned char>(63 - i % 64)};
	return palette;
}

// Four horizontal stripes of entries 1 to 4 with a 40 × 30 block of `entry` at (x, y).
Picture StripesWithBlock(int x, int y, unsigned char entry)
{
	Picture picture(kPixelCount);
	for (int row = 0; row < kHeight; ++row) {
		for (int column = 0; column < kWidth; ++column) {
			const bool inBlock = column >= x && column < x + 40 && row >= y && row < y + 30;
			picture[static_cast<size_t>(row * kWidth + column)] =
				inBlock ? entry : static_cast<unsigned char>(1 + (row / 20) % 4);
		}
	}
	return picture;
}

Picture Diagonals(int offset, int firstRow, int endRow, const Picture& under)
{
	Picture picture = under;
	for (int row = firstRow; row < endRow; ++row) {
		for (int column = 0; column < kWidth; ++column)
			picture[static_cast<size_t>(row * kWidth + column)] =
				static_cast<unsigned char>((column + row + offset) % 256);
	}
	return picture;
}

// A block moving across stripes for `pictures` frames, and a ring frame back to the first.
Bytes RingAnimation(int16_t speed, int pictures = 6)
{
	encode::AnimationWriter writer(speed);
	Picture before = StripesWithBlock(10, 20, 5);
	writer.AddFrame(
		{encode::EncodeColorChunk(DistinctPalette(0)), encode::EncodeByteRunChunk(before)});
	for (int i = 1; i < pictures; ++i) {
		const Picture after = StripesWithBlock(10 + 45 * i, 20 + 20 * i, 5);
		writer.AddFrame({encode::EncodeLineCompressedChunk(before, after)});
		before = after;
	}
	writer.AddFrame({encode::EncodeLineCompressedChunk(before, StripesWithBlock(10, 20, 5))});
	return writer.Finish(static_cast<int16_t>(pictures));
}

// A ring animation whose third frame changes a palette entry. When `repaints`, it is the
// entry the block is drawn with: the ring frame still brings back the first picture, but the
// second pass draws the block in the new colour, so passes differ. Otherwise the entry is
// never drawn and every pass shows the same pictures, though the palette differs.
Bytes RingAnimationWithPaletteChange(bool repaints)
{
	encode::AnimationWriter writer(2);
	Palette6 palette = DistinctPalette(0);
	const Picture first = StripesWithBlock(0, 0, 1);
	const Picture second = StripesWithBlock(100, 50, 5);
	const Picture third = StripesWithBlock(200, 100, 5);
	writer.AddFrame({encode::EncodeColorChunk(palette), encode::EncodeByteRunChunk(first)});
	writer.AddFrame({encode::EncodeLineCompressedChunk(first, second)});
	palette[repaints ? 5 : 200] = {63, 63, 0};
	writer.AddFrame(
		{encode::EncodeColorChunk(palette), encode::EncodeLineCompressedChunk(second, third)});
	writer.AddFrame({encode::EncodeLineCompressedChunk(third, first)});
	return writer.Finish(3);
}

// No ring frame, speed 3: a palette change that leaves stripes in their old colours, then a
// black chunk (black is in no palette here) and drawing over it.
Bytes PaletteChangesMidFile()
{
	encode::AnimationWriter writer(3);
	Palette6 palette = DistinctPalette(0);
	const Picture stripes = StripesWithBlock(0, 0, 1);
	const Picture block = StripesWithBlock(60, 60, 5);
	const Picture moved = StripesWithBlock(160, 110, 2);
	writer.AddFrame({encode::EncodeColorChunk(palette), encode::EncodeByteRunChunk(stripes)});
	writer.AddFrame({encode::EncodeLineCompressedChunk(stripes, block)});
	for (size_t entry = 1; entry <= 4; ++entry)
		palette[entry] = DistinctPalette(1)[entry];
	writer.AddFrame(
		{encode::EncodeColorChunk(palette), encode::EncodeLineCompressedChunk(block, moved)});
	const Picture blank(kPixelCount, 0);
	writer.AddFrame({ChunkBytes(BlackChunk()),
		encode::EncodeLineCompressedChunk(blank, StripesWithBlock(30, 30, 0))});
	writer.AddFrame({encode::EncodeLineCompressedChunk(blank, Diagonals(7, 0, 90, blank))});
	return writer.Finish(5);
}

// A second frame of 512 colours: the top half drawn in one palette, the bottom half in
// another, more than one GIF image or one PNG palette can hold.
Bytes FiveHundredColours()
{
	encode::AnimationWriter writer(2);
	const Picture first = Diagonals(0, 0, kHeight, Picture(kPixelCount));
	const Picture top = Diagonals(1, 0, kHeight / 2, first);
	const Picture both = Diagonals(1, kHeight / 2, kHeight, top);
	writer.AddFrame(
		{encode::EncodeColorChunk(DistinctPalette(0)), encode::EncodeByteRunChunk(first)});
	writer.AddFrame({encode::EncodeColorChunk(DistinctPalette(1)),
		encode::EncodeLineCompressedChunk(first, top), encode::EncodeColorChunk(DistinctPalette(2)),
		encode::EncodeLineCompressedChunk(top, both)});
	return writer.Finish(2);
}

Bytes Truncated(const std::string& path, size_t size)
{
	Bytes bytes = ReadTestFile(path);
	bytes.resize(std::min(bytes.size(), size));
	return bytes;
}

::testing::AssertionResult SamePicture(const Pixels& shown, const Pixels& expected)
{
	if (shown.size() != expected.size())
		return ::testing::AssertionFailure()
			<< shown.size() << " pixels instead of " << expected.size();
	const auto [at, _] = std::mismatch(shown.begin(), shown.end(), expected.begin());
	if (at == shown.end())
		return ::testing::AssertionSuccess();
	return ::testing::AssertionFailure() << "pixel " << (at - shown.begin()) << " is " << std::hex
										 << *at << " instead of " << expected[at - shown.begin()];
}

Pixels ScaledUp(const Pixels& frame, int scale)
{
	Pixels scaled;
	for (int y = 0; y < kHeight * scale; ++y) {
		for (int x = 0; x < kWidth * scale; ++x)
			scaled.push_back(frame[static_cast<size_t>((y / scale) * kWidth + x / scale)]);
	}
	return scaled;
}

// The player waits speed × 16666 microseconds after each frame; 0 and negative speeds
// wait as 2 do.
int32_t PlayerDelay(int16_t speed)
{
	return (speed <= 0 ? 2 : speed) * kMicrosecondsPerSixtieth;
}

int16_t SpeedOf(const std::string& path)
{
	const Bytes bytes = ReadTestFile(path);
	return static_cast<int16_t>(bytes[16] | bytes[17] << 8);
}

struct Example {
	std::string path;
	bool passesRepeat; // later passes show the first pass's pictures again
	bool hasFrameBeyondOneImage = false; // a frame changes more than 255 colours
};

class ExportCommand : public FlitoolCommand {
protected:
	std::vector<Example> Examples()
	{
		return {{TestDataPath("bounce.fli"), false}, {TestDataPath("sparse.fli"), false},
			{std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli", true},
			{WriteFile("ring-speed-0.fli", RingAnimation(0)), true},
			{WriteFile("ring-unused-entry.fli", RingAnimationWithPaletteChange(false)), true},
			{WriteFile("ring-repainted.fli", RingAnimationWithPaletteChange(true)), false},
			{WriteFile("palette-changes.fli", PaletteChangesMidFile()), false},
			{WriteFile("512-colours.fli", FiveHundredColours()), false, true},
			{WriteFile("demo-cut.fli",
				 Truncated(std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli", 60000)),
				false}};
	}

	// Exports the file and checks every PNG against the player's frame, and its palette
	// against the player's palette after that frame.
	void ExpectPngsEqualFrames(const std::string& path)
	{
		const std::vector<Pixels> frames = PlayerFrames(path, kPngFrames);
		ASSERT_FALSE(frames.empty());
		const fs::path directory = scratch_ / (fs::path(path).stem().string() + "-png");
		const ToolRun run =
			RunFlitool({"export", path, directory.string(), "--count", std::to_string(kPngFrames)});
		ASSERT_EQ(run.exitCode, 0) << run.err;
		EXPECT_FALSE(fs::exists(directory / PngName(frames.size())));

		const Bytes file = ReadTestFile(path);
		FrameSequence sequence(file.data(), static_cast<uint32_t>(file.size()), kPngFrames);
		for (size_t i = 0; i < frames.size(); ++i) {
			SCOPED_TRACE(PngName(i));
			ASSERT_TRUE(sequence.Next());
			const PngPicture png = ReadPng((directory / PngName(i)).string());
			ASSERT_TRUE(png.read);
			ASSERT_EQ(png.width, kWidth);
			ASSERT_EQ(png.height, kHeight);
			ASSERT_TRUE(SamePicture(png.pixels, frames[i]));
			const std::set<uint32_t> shown(frames[i].begin(), frames[i].end());
			if (shown.size() > 256) {
				EXPECT_FALSE(png.indexed);
				++trueColourFrames_;
				continue;
			}
			ASSERT_TRUE(png.indexed);
			const Pixels players(sequence.Palette(), sequence.Palette() + kPaletteSize);
			const std::set<uint32_t> inPalette(players.begin(), players.end());
			if (std::includes(inPalette.begin(), inPalette.end(), shown.begin(), shown.end())) {
				EXPECT_EQ(png.palette, players);
				continue;
			}
			// Colours the palette lacks (pixels drawn before a palette change, a black
			// chunk) take entries in place of the player's colours.
			++framesBeyondPalette_;
			ASSERT_EQ(png.palette.size(), players.size());
			for (size_t entry = 0; entry < players.size(); ++entry) {
				if (png.palette[entry] != players[entry]) {
					EXPECT_FALSE(inPalette.contains(png.palette[entry])) << "entry " << entry;
				}
			}
		}
	}

	int FirstPassFrames(const std::string& path)
	{
		const ToolRun info = RunFlitool({"info", path});
		const size_t at = info.out.find("first_pass: ");
		return at == std::string::npos ? -1 : std::atoi(info.out.c_str() + at + 12);
	}

	GifAnimation MakeGif(const std::vector<std::string>& arguments, ToolRun& run)
	{
		run = RunFlitool(arguments);
		EXPECT_EQ(run.exitCode, 0) << run.err;
		return ReadGif(arguments[2]);
	}

	// Enough frames for the later passes of the built files.
	static constexpr int kPngFrames = 24;
	int framesBeyondPalette_ = 0;
	int trueColourFrames_ = 0;

	static std::string PngName(size_t frame)
	{
		char name[32];
		std::snprintf(name, sizeof name, "frame-%04zu.png", frame);
		return name;
	}
};

TEST_F(ExportCommand, EveryPngEqualsTheFrameAndUsesThePlayersPalette)
{
	for (const Example& example : Examples()) {
		SCOPED_TRACE(example.path);
		ExpectPngsEqualFrames(example.path);
	}
	// The examples reach both of the rarer cases.
	EXPECT_GT(framesBeyondPalette_, 0);
	EXPECT_GT(trueColourFrames_, 0);
}

// The GIF is looked at as a browser shows it: at the last hundredth of each of the
// player's frames, the picture shown must be that frame.
TEST_F(ExportCommand, EveryGifPictureEqualsTheFrameThePlayerShowsAtThatTime)
{
	for (const Example& example : Examples()) {
		SCOPED_TRACE(example.path);
		const std::vector<Pixels> frames = PlayerFrames(example.path);
		const int firstPass = FirstPassFrames(example.path);
		const std::string path =
			(scratch_ / (fs::path(example.path).stem().string() + ".gif")).string();
		ToolRun run;
		const GifAnimation gif = MakeGif({"gif", example.path, path}, run);
		ASSERT_TRUE(gif.read);
		EXPECT_EQ(gif.width, kWidth);
		EXPECT_EQ(gif.height, kHeight);
		EXPECT_TRUE(gif.loopsForEver);

		// One pass without its ring frame when the passes repeat; otherwise the first pass
		// and one later pass, as flitool frames shows them, and a note says so.
		size_t looped = frames.size();
		if (example.passesRepeat) {
			ASSERT_EQ(frames.size(), size_t(2 * firstPass - 1));
			looped = size_t(firstPass - 1);
			EXPECT_EQ(run.err, "");
		} else {
			EXPECT_NE(run.err.find("later passes differ"), std::string::npos) << run.err;
		}
		if (example.hasFrameBeyondOneImage)
			EXPECT_GT(gif.pictures.size(), looped);
		else
			EXPECT_EQ(gif.pictures.size(), looped);

		const int32_t delay = PlayerDelay(SpeedOf(example.path));
		for (size_t k = 0; k < looped; ++k) {
			const int end = static_cast<int>((int64_t(k + 1) * delay + 5000) / 10000);
			ASSERT_TRUE(SamePicture(gif.ShownAt(end - 1).canvas, frames[k])) << "frame " << k;
		}
		EXPECT_LE(std::abs(int64_t{gif.TotalDelay()} * 10000 - int64_t(looped) * delay), 10000);

		// The seam: after the GIF's last picture comes its first, which must be what the
		// player shows after its ring frame, and so on through the second pass.
		if (example.passesRepeat) {
			for (size_t k = looped; k < frames.size(); ++k)
				ASSERT_TRUE(SamePicture(gif.pictures[(k - looped) % looped].canvas, frames[k]))
					<< "frame " << k;
		}
	}
}

// A second opinion on the compositing: ImageMagick's own GIF reader.
TEST_F(ExportCommand, ImageMagickCompositesTheGifAlike)
{
	if (!zoetra::testing::ProgramInstalled("convert"))
		GTEST_SKIP() << "ImageMagick's convert is not installed";
	for (const std::string& file : {std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli",
			 WriteFile("palette-changes.fli", PaletteChangesMidFile()),
			 WriteFile("512-colours.fli", FiveHundredColours())}) {
		SCOPED_TRACE(file);
		const std::string path = (scratch_ / "a.gif").string();
		ToolRun run;
		const GifAnimation gif = MakeGif({"gif", file, path}, run);
		ASSERT_TRUE(gif.read);
		const zoetra::testing::ToolResult converted =
			zoetra::testing::RunTool({"convert", path, "-coalesce", "-depth", "8", "rgb:-"});
		ASSERT_EQ(converted.status, 0) << path;
		const std::string& bytes = converted.output;
		ASSERT_EQ(bytes.size(), gif.pictures.size() * kPixelCount * 3);
		for (size_t i = 0; i < gif.pictures.size(); ++i) {
			Pixels pixels(kPixelCount);
			for (size_t p = 0; p < pixels.size(); ++p) {
				const auto* rgbAt = reinterpret_cast<const unsigned char*>(bytes.data())
					+ (i * kPixelCount + p) * 3;
				pixels[p] = uint32_t{rgbAt[0]} << 16 | uint32_t{rgbAt[1]} << 8 | rgbAt[2];
			}
			ASSERT_TRUE(SamePicture(pixels, gif.pictures[i].canvas)) << "picture " << i;
		}
	}
}

// Delays are whole hundredths; rounding on the running total keeps each frame's end, and
// the loop's total, within a hundredth of the player's time. A speed of 1 is faster than
// browsers play: each frame gets their shortest delay.
TEST_F(ExportCommand, GifDelaysKeepThePlayersTimeWithinAHundredth)
{
	for (const int16_t speed : {0, 2, 5, 7, -3, 1}) {
		SCOPED_TRACE(speed);
		constexpr int kPictures = 7;
		const std::string file = WriteFile("ring.fli", RingAnimation(speed, kPictures));
		const std::string path = (scratch_ / "ring.gif").string();
		ToolRun run;
		const GifAnimation gif = MakeGif({"gif", file, path}, run);
		ASSERT_TRUE(gif.read);
		ASSERT_EQ(gif.pictures.size(), size_t{kPictures});
		const int64_t delay = PlayerDelay(speed);
		int64_t end = 0;
		for (size_t k = 0; k < gif.pictures.size(); ++k) {
			end += gif.pictures[k].delay;
			if (speed == 1)
				EXPECT_EQ(gif.pictures[k].delay, 2);
			else
				EXPECT_LE(std::abs(end * 10000 - int64_t(k + 1) * delay), 10000) << "frame " << k;
		}
	}
}

TEST_F(ExportCommand, ScaledGifShowsEachFrameEnlargedByWholePixels)
{
	for (const auto& [file, scale] : {std::pair{TestDataPath("sparse.fli"), 3},
			 std::pair{WriteFile("ring.fli", RingAnimation(2, 2)), 8}}) {
		SCOPED_TRACE(file);
		const std::vector<Pixels> frames = PlayerFrames(file);
		const std::string path = (scratch_ / "scaled.gif").string();
		ToolRun run;
		const GifAnimation gif =
			MakeGif({"gif", file, path, "--scale", std::to_string(scale)}, run);
		ASSERT_TRUE(gif.read);
		EXPECT_EQ(gif.width, kWidth * scale);
		EXPECT_EQ(gif.height, kHeight * scale);
		ASSERT_LE(gif.pictures.size(), frames.size());
		for (size_t k = 0; k < gif.pictures.size(); ++k)
			ASSERT_TRUE(SamePicture(gif.pictures[k].canvas, ScaledUp(frames[k], scale)))
				<< "frame " << k;
	}
}

// Files the player refuses, and files that show no frame, get the other commands' messages
// and leave nothing behind; so does a write that fails.
TEST_F(ExportCommand, RefusedFilesAndFailedWritesLeaveNothingBehind)
{
	const fs::path out = scratch_ / "out";
	fs::create_directories(out);
	const Bytes header = FileBytes(File{});
	Bytes wrongMagic = header;
	wrongMagic[4] = 0x12;
	const std::vector<std::pair<std::string, std::string>> refused{
		{(scratch_ / "nothing.fli").string(),
			"flitool: cannot read " + (scratch_ / "nothing.fli").string()
				+ ": No such file or directory\n"},
		{WriteFile("short.fli", Bytes(header.begin(), header.end() - 1)),
			"Unsupported file format.\n"},
		{WriteFile("magic.fli", wrongMagic), "Unsupported file format.\n"},
		{out.string(), "flitool: cannot read " + out.string() + ": Is a directory\n"}};
	for (const auto& [file, message] : refused) {
		for (const auto& arguments :
			std::vector<std::vector<std::string>>{{"gif", file, (out / "a.gif").string()},
				{"thumbnail", file, (out / "a.png").string()},
				{"export", file, (out / "frames").string()}}) {
			const ToolRun run = RunFlitool(arguments);
			EXPECT_EQ(run.exitCode, 1) << ::testing::PrintToString(arguments);
			EXPECT_EQ(run.err, message) << ::testing::PrintToString(arguments);
			EXPECT_TRUE(fs::is_empty(out)) << ::testing::PrintToString(arguments);
		}
	}

	// A file that plays but shows no frame has no picture to write.
	const std::string bare = WriteFile("bare.fli", header);
	for (const char* command : {"gif", "thumbnail"}) {
		const ToolRun run = RunFlitool({command, bare, (out / "a").string()});
		EXPECT_EQ(run.exitCode, 1) << command;
		EXPECT_NE(run.err.find("shows no frame"), std::string::npos) << run.err;
		EXPECT_TRUE(fs::is_empty(out)) << command;
	}

	// A folder, and a file in a missing folder, are refused with their cause.
	const std::string demo = std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli";
	fs::create_directories(out / "taken.gif");
	for (const auto& [target, cause] : std::vector<std::pair<std::string, std::string>>{
			 {(out / "taken.gif").string(), "Is a directory"},
			 {(out / "missing" / "a.gif").string(), "No such file or directory"}}) {
		const ToolRun run = RunFlitool({"gif", demo, target});
		EXPECT_EQ(run.exitCode, 1) << target;
		EXPECT_EQ(run.err, "flitool: cannot write " + target + ": " + cause + "\n");
	}
	EXPECT_TRUE(fs::is_empty(out / "taken.gif"));
	EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 1);
}

} // namespace
} // namespace fli::test
