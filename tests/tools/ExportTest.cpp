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

// A block that stays put for three frames (two frames change nothing) and moves on, and a
// ring frame that moves it to where no frame had it: the ring does not bring back the first
// picture.
Bytes StillFramesWithoutRingBack()
{
	encode::AnimationWriter writer(4);
	const Picture first = StripesWithBlock(10, 20, 5);
	const Picture moved = StripesWithBlock(150, 90, 5);
	const Picture ring = StripesWithBlock(270, 160, 6);
	writer.AddFrame(
		{encode::EncodeColorChunk(DistinctPalette(0)), encode::EncodeByteRunChunk(first)});
	writer.AddFrame({encode::EncodeLineCompressedChunk(first, moved)});
	writer.AddFrame({});
	writer.AddFrame({});
	writer.AddFrame({encode::EncodeLineCompressedChunk(moved, first)});
	writer.AddFrame({encode::EncodeLineCompressedChunk(first, ring)});
	return writer.Finish(5);
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

constexpr int64_t kFromTheRingPicture = -1;

struct Example {
	std::string path;
	// The first picture in play order from which the player shows the GIF's cycle for ever:
	// 0 when every pass shows the same pictures, kFromTheRingPicture when later passes draw
	// frames 2..n over a ring picture unlike the first one.
	int64_t alikeFrom;
	bool hasFrameBeyondOneImage = false; // a frame changes more than 255 colours
	bool truncated = false; // the file ends before its last frame
};

class ExportCommand : public FlitoolCommand {
protected:
	std::vector<Example> Examples()
	{
		// Files without a ring frame: the first pass's last picture plays its part.
		return {{TestDataPath("bounce.fli"), kFromTheRingPicture},
			{TestDataPath("sparse.fli"), kFromTheRingPicture},
			{std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli", 0},
			{WriteFile("ring-speed-0.fli", RingAnimation(0)), 0},
			{WriteFile("ring-unused-entry.fli", RingAnimationWithPaletteChange(false)), 0},
			// The first pass draws the block of its second frame in the old colour.
			{WriteFile("ring-repainted.fli", RingAnimationWithPaletteChange(true)), 2},
			{WriteFile("still-frames.fli", StillFramesWithoutRingBack()), kFromTheRingPicture},
			// The black chunk of the fourth frame wipes out what the pass started from.
			{WriteFile("palette-changes.fli", PaletteChangesMidFile()), 3},
			{WriteFile("512-colours.fli", FiveHundredColours()), kFromTheRingPicture, true},
			{WriteFile("demo-cut.fli",
				 Truncated(std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli", 60000)),
				kFromTheRingPicture, false, true}};
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

// The GIF is looked at as a browser shows it, at the last hundredth of each of the player's
// frames. The player shows frame 1, frames 2..n and the ring picture, then frames 2..n and
// the ring picture for ever; the GIF holds that cycle once, from the ring picture, with
// pictures the player shows twice in a row as one image. Played in a loop it must show
// what the player shows, frame for frame, from the example's first picture on, through four
// passes.
TEST_F(ExportCommand, GifHoldsOneCycleOfWhatThePlayerShowsForEver)
{
	for (const Example& example : Examples()) {
		SCOPED_TRACE(example.path);
		const std::string path =
			(scratch_ / (fs::path(example.path).stem().string() + ".gif")).string();
		ToolRun run;
		const GifAnimation gif = MakeGif({"gif", example.path, path}, run);
		ASSERT_TRUE(gif.read);
		EXPECT_EQ(gif.width, kWidth);
		EXPECT_EQ(gif.height, kHeight);
		EXPECT_TRUE(gif.loopsForEver);
		// A cut file is named as such, once; a whole one gets nothing on standard error.
		if (example.truncated) {
			EXPECT_EQ(run.err.rfind("flitool: " + example.path + " is truncated: ", 0), 0u)
				<< run.err;
			EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
		} else if (!example.hasFrameBeyondOneImage) {
			EXPECT_EQ(run.err, "");
		}

		// A later pass shows frames 2..n and the ring frame.
		const int64_t cycle = FirstPassFrames(example.path) - 1;
		ASSERT_GT(cycle, 0);
		const int32_t delay = PlayerDelay(SpeedOf(example.path));
		EXPECT_LE(std::abs(int64_t{gif.TotalDelay()} * 10000 - cycle * delay), 10000);
		const auto shownFor = [&](int64_t frame) -> const Pixels& {
			const int64_t k = frame % cycle;
			return gif.ShownAt(static_cast<int>(((k + 1) * delay + 5000) / 10000) - 1).canvas;
		};

		const Bytes file = ReadTestFile(example.path);
		const int64_t played = cycle + 1 + 3 * cycle;
		FrameSequence sequence(file.data(), static_cast<uint32_t>(file.size()), played);
		int64_t alikeFrom = 0, images = 0;
		Pixels before;
		for (int64_t frame = 0; sequence.Next(); ++frame) {
			const Pixels picture(sequence.Pixels(), sequence.Pixels() + kPixelCount);
			if (!SamePicture(shownFor(frame), picture))
				alikeFrom = frame + 1;
			// One image for each run of equal pictures in the cycle, from the second pass's
			// ring picture to the third pass's last frame before its ring.
			if (frame == 2 * cycle || (frame > 2 * cycle && frame < 3 * cycle && picture != before))
				++images;
			before = picture;
		}
		ASSERT_EQ(sequence.FramesDecoded(), played);
		EXPECT_EQ(alikeFrom, example.alikeFrom == kFromTheRingPicture ? cycle : example.alikeFrom);
		if (example.hasFrameBeyondOneImage)
			EXPECT_GT(int64_t(gif.pictures.size()), images);
		else
			EXPECT_EQ(int64_t(gif.pictures.size()), images);
	}

	// Frame 0 alone and no ring frame: later passes show nothing and the player stops on
	// the one picture, which the GIF shows once.
	encode::AnimationWriter writer(2);
	writer.AddFrame({encode::EncodeColorChunk(DistinctPalette(1)),
		encode::EncodeByteRunChunk(StripesWithBlock(30, 40, 9))});
	const std::string once = WriteFile("once.fli", writer.Finish(1));
	ToolRun run;
	const GifAnimation gif = MakeGif({"gif", once, (scratch_ / "once.gif").string()}, run);
	ASSERT_TRUE(gif.read);
	EXPECT_FALSE(gif.loopsForEver);
	ASSERT_EQ(gif.pictures.size(), 1u);
	EXPECT_TRUE(SamePicture(gif.pictures[0].canvas, PlayerFrames(once).at(0)));
	EXPECT_NE(run.err.find("the GIF plays once"), std::string::npos) << run.err;
}

// A second opinion on the compositing: ImageMagick's own GIF reader.
TEST_F(ExportCommand, ImageMagickCompositesTheGifAlike)
{
	if (!zoetra::testing::ProgramInstalled("convert"))
		GTEST_SKIP() << "ImageMagick's convert is not installed";
	for (const std::string& file : {std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli",
			 TestDataPath("bounce.fli"), WriteFile("palette-changes.fli", PaletteChangesMidFile()),
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
				// What shows where no image has painted yet (the first picture of one too
				// colourful for one image is painted in parts) is each reader's own choice.
				if (gif.pictures[i].canvas[p] == kUnpainted)
					pixels[p] = kUnpainted;
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

TEST_F(ExportCommand, ScaledGifShowsEachPictureEnlargedByWholePixels)
{
	for (const auto& [file, scale] : {std::pair{TestDataPath("bounce.fli"), 3},
			 std::pair{WriteFile("ring.fli", RingAnimation(2, 2)), 8}}) {
		SCOPED_TRACE(file);
		ToolRun run;
		const GifAnimation plain = MakeGif({"gif", file, (scratch_ / "plain.gif").string()}, run);
		const std::string path = (scratch_ / "scaled.gif").string();
		const GifAnimation gif =
			MakeGif({"gif", file, path, "--scale", std::to_string(scale)}, run);
		ASSERT_TRUE(plain.read);
		ASSERT_TRUE(gif.read);
		EXPECT_EQ(gif.width, kWidth * scale);
		EXPECT_EQ(gif.height, kHeight * scale);
		ASSERT_EQ(gif.pictures.size(), plain.pictures.size());
		for (size_t k = 0; k < gif.pictures.size(); ++k) {
			EXPECT_EQ(gif.pictures[k].delay, plain.pictures[k].delay);
			ASSERT_TRUE(
				SamePicture(gif.pictures[k].canvas, ScaledUp(plain.pictures[k].canvas, scale)))
				<< "picture " << k;
		}
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
