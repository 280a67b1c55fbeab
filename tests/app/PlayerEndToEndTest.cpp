// zoetra as a user runs it: the real binary on a private X server, driven with xdotool.
#include "PlayerDesktopTest.h"
#include "PlayerProcess.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <thread>
#include <tuple>

using namespace zoetra::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int kViewWidth = 320;
constexpr int kViewHeight = 200;
const std::string kDemo = std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli";
const std::string kBounce = std::string(ZOETRA_TEST_DATA) + "/bounce.fli";

XWindowGeometry Geometry(unsigned long window)
{
	XWindowGeometry geometry;
	WindowGeometry(window, geometry);
	return geometry;
}

// Picks a File menu item by keyboard: the menu opens on a click on its title, then `keys`
// move through it.
void FileMenu(unsigned long window, const std::string& keys)
{
	const XWindowGeometry geometry = Geometry(window);
	FocusWindow(window);
	Click(geometry.x + 20, geometry.y + 8);
	std::this_thread::sleep_for(300ms);
	Key(keys);
}

// The pictures `flitool frames` gives for a file.
std::set<std::vector<uint32_t>> ReferenceFrames(const std::string& file)
{
	const std::vector<std::vector<uint32_t>> frames = FramesInPlayOrder(file);
	return {frames.begin(), frames.end()};
}

// The view's picture: the bottom 200 rows of the window's content at 1:1.
std::vector<uint32_t> ViewPicture(unsigned long window)
{
	const XWindowGeometry geometry = Geometry(window);
	std::vector<uint32_t> pixels;
	Screenshot(
		geometry.x, geometry.y + geometry.height - kViewHeight, kViewWidth, kViewHeight, pixels);
	return pixels;
}

// A grab can fall between two updates of the window; a playing view shows one of the
// file's frames in at least one of several grabs.
bool ShowsOneOf(unsigned long window, const std::set<std::vector<uint32_t>>& frames)
{
	for (int attempt = 0; attempt < 20; attempt++) {
		if (frames.count(ViewPicture(window)) != 0)
			return true;
		std::this_thread::sleep_for(30ms);
	}
	return false;
}

// A line of text as it shows: the first and last columns that hold its dark pixels.
struct TextLine {
	int left;
	int right;
	double Centre() const { return (left + right) / 2.0; }
};

// The runs of rows that hold dark (text) pixels, from the top. The box's border is lighter
// than text and is not counted; a line cut off at the edges shows dark pixels up to them.
std::vector<TextLine> TextLines(const std::vector<uint32_t>& pixels, int width, int height)
{
	std::vector<TextLine> lines;
	int left = width, right = -1;
	for (int y = 0; y <= height; y++) {
		bool dark = false;
		for (int x = 0; y < height && x < width; x++) {
			const uint32_t pixel = pixels[size_t(y) * width + x];
			const int luminance =
				int((pixel >> 16 & 0xff) + (pixel >> 8 & 0xff) + (pixel & 0xff)) / 3;
			if (luminance < 100) {
				dark = true;
				left = std::min(left, x);
				right = std::max(right, x);
			}
		}
		if (!dark && right >= 0) {
			lines.push_back({left, right});
			left = width;
			right = -1;
		}
	}
	return lines;
}

// For a player whose environment a case changes: each of `environment` sets a variable
// ("NAME=value") or unsets one ("NAME"); it starts in `folder` when one is given. Standard
// error joins standard output, so Lines() holds everything it wrote, in order.
ChildOptions Environment(std::vector<std::string> environment, std::string folder = "")
{
	return {.environment = std::move(environment),
		.folder = std::move(folder),
		.errors = ChildOptions::Errors::Join};
}

bool HoldsASocket(const std::string& folder)
{
	for (const fs::directory_entry& entry : fs::directory_iterator(folder))
		if (entry.is_socket())
			return true;
	return false;
}

class PlayerTest : public PlayerDesktopTest {};

TEST_F(PlayerTest, StartsEmptyNumbersNewWindowsOffsetsThemAndQuitsWithTheLastClose)
{
	PlayerProcess player(runtime.Path(), {});
	const unsigned long first = WaitForWindow("^Untitled 1$");
	ASSERT_NE(first, 0u);
	const XWindowGeometry firstGeometry = Geometry(first);
	EXPECT_EQ(firstGeometry.x, 150);
	EXPECT_EQ(firstGeometry.y, 100);
	EXPECT_EQ(firstGeometry.width, kViewWidth);

	Key(first, "ctrl+n");
	const unsigned long second = WaitForWindow("^Untitled 2$");
	ASSERT_NE(second, 0u);
	const XWindowGeometry secondGeometry = Geometry(second);
	EXPECT_EQ(secondGeometry.x, firstGeometry.x + 20);
	EXPECT_EQ(secondGeometry.y, firstGeometry.y + 20);
	EXPECT_EQ(secondGeometry.width, firstGeometry.width);
	EXPECT_EQ(secondGeometry.height, firstGeometry.height);

	Key(second, "ctrl+w");
	ASSERT_TRUE(WaitUntilGone("^Untitled 2$"));
	Key(first, "ctrl+n");
	EXPECT_NE(WaitForWindow("^Untitled 3$"), 0u) << "numbers are never reused";
	Key(WaitForWindow("^Untitled 3$"), "ctrl+w");
	ASSERT_TRUE(WaitUntilGone("^Untitled 3$"));
	EXPECT_TRUE(player.Running()) << "one window is still open";

	Key(first, "ctrl+w");
	EXPECT_EQ(player.WaitForExit(5s), 0) << "closing the last window quits";
	EXPECT_EQ(player.Output(), "");
}

TEST_F(PlayerTest, OpensEachArgumentInItsOwnWindowAndQuitsOnCtrlQ)
{
	const std::string demo = files.Copy(kDemo, "first.fli");
	const std::string bounce = files.Copy(kBounce, "second.fli");
	PlayerProcess player(runtime.Path(), {demo, bounce});
	EXPECT_TRUE(player.WaitForOutput(demo + "\n" + bounce + "\n")) << player.Output();
	ASSERT_NE(WaitForWindow("^first.fli$"), 0u);
	const unsigned long second = WaitForWindow("^second.fli$");
	ASSERT_NE(second, 0u);
	EXPECT_TRUE(Windows("^Untitled").empty());

	Key(second, "ctrl+n");
	ASSERT_NE(WaitForWindow("^Untitled 1$"), 0u);
	Key(second, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0) << "quit with three windows playing";
}

TEST_F(PlayerTest, RefusesWhatCannotBePlayedWithAnAlertThenOpensAnEmptyWindow)
{
	struct Case {
		std::string path;
		bool echoed;
	};
	const std::vector<Case> cases = {
		{files.Write("missing.fli", "") + ".gone", false},
		{files.Write("short.fli", std::string(127, 'x')), true},
		{files.Write("text.fli", std::string(4096, 'x')), true},
		{fs::temp_directory_path().string(), true},
	};
	for (const Case& c : cases) {
		SCOPED_TRACE(c.path);
		TemporaryFolder folder;
		PlayerProcess player(folder.Path(), {c.path});
		AnswerAlert();
		EXPECT_NE(WaitForWindow("^Untitled 1$"), 0u) << "the empty window after the alert";
		EXPECT_TRUE(player.WaitForOutput(c.echoed ? c.path + "\n" : "")) << player.Output();
		Key(WaitForWindow("^Untitled 1$"), "ctrl+q");
		EXPECT_EQ(player.WaitForExit(5s), 0);
	}
}

TEST_F(PlayerTest, SymbolicLinkOpensTheTargetUnderTheTargetsName)
{
	const std::string target = files.Copy(kBounce, "target.fli");
	const std::string link = files.Link(target, "link.fli");
	PlayerProcess player(runtime.Path(), {link});
	const unsigned long window = WaitForWindow("^target.fli$");
	ASSERT_NE(window, 0u);
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kBounce)));
	EXPECT_TRUE(player.WaitForOutput(link + "\n")) << player.Output();
	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, PlayingViewShowsTheDecodedFramesPixelForPixel)
{
	PlayerProcess player(runtime.Path(), {kDemo});
	const unsigned long window = WaitForWindow("^demo.fli$");
	ASSERT_NE(window, 0u);
	const auto frames = ReferenceFrames(kDemo);
	ASSERT_GT(frames.size(), 10u);
	EXPECT_TRUE(ShowsOneOf(window, frames));
	// Playing: the picture changes and stays one of the file's frames.
	const std::vector<uint32_t> before = ViewPicture(window);
	std::this_thread::sleep_for(200ms);
	EXPECT_NE(ViewPicture(window), before);
	EXPECT_TRUE(ShowsOneOf(window, frames));
	Key(window, "ctrl+w");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// At 3x only what changes from frame to frame is scaled and sent; after many frames the
// enlarged view still shows one of the file's frames, every pixel a 3x3 block of it.
TEST_F(PlayerTest, EnlargedViewShowsTheDecodedFramesExactlyAfterManyFrames)
{
	constexpr int kScale = 3;
	PlayerProcess player(runtime.Path(), {kDemo});
	const unsigned long window = WaitForWindow("^demo.fli$");
	ASSERT_NE(window, 0u);
	const XWindowGeometry natural = Geometry(window);
	const int above = natural.height - kViewHeight; // the menu bar and its rule
	ASSERT_EQ(RunTool({"xdotool", "windowsize", "--sync", std::to_string(window),
						  std::to_string(kScale * kViewWidth),
						  std::to_string(above + kScale * kViewHeight)})
				  .status,
		0);
	const auto frames = ReferenceFrames(kDemo);
	ASSERT_GT(frames.size(), 10u);
	std::this_thread::sleep_for(3s); // a hundred frames or so, each drawn only where it changed
	const int width = kScale * kViewWidth, height = kScale * kViewHeight;
	// A grab may fall between the parts of one frame's update, so some grabs may show none;
	// a playing view shows several different frames, each exactly.
	std::set<std::vector<uint32_t>> seen;
	for (int attempt = 0; attempt < 40 && seen.size() < 3; attempt++) {
		const XWindowGeometry where = Geometry(window);
		ASSERT_EQ(where.width, width);
		std::vector<uint32_t> screen;
		ASSERT_TRUE(Screenshot(where.x, where.y + above, width, height, screen));
		std::vector<uint32_t> shown(size_t(kViewWidth) * kViewHeight);
		for (int y = 0; y < kViewHeight; y++)
			for (int x = 0; x < kViewWidth; x++)
				shown[size_t(y) * kViewWidth + size_t(x)] =
					screen[size_t(y * kScale) * size_t(width) + size_t(x * kScale)];
		bool exact = frames.count(shown) != 0;
		for (int y = 0; y < height && exact; y++)
			for (int x = 0; x < width && exact; x++)
				exact = screen[size_t(y) * size_t(width) + size_t(x)]
					== shown[size_t(y / kScale) * kViewWidth + size_t(x / kScale)];
		if (exact)
			seen.insert(std::move(shown));
		std::this_thread::sleep_for(50ms);
	}
	EXPECT_EQ(seen.size(), 3u) << "different frames shown exactly at " << kScale << "x";
	Key(window, "ctrl+w");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, OpenPanelLoadsTheChosenFileIntoItsOwnWindowOrRefusesIt)
{
	PlayerProcess player(runtime.Path(), {kDemo});
	const unsigned long window = WaitForWindow("^demo.fli$");
	ASSERT_NE(window, 0u);
	const auto choose = [&](const std::string& path) {
		Key(window, "ctrl+o");
		const unsigned long panel = WaitForWindow("^Open$");
		ASSERT_NE(panel, 0u);
		ASSERT_TRUE(FocusWindow(panel));
		ASSERT_TRUE(TypeText(path));
		ASSERT_TRUE(Key("Return"));
		ASSERT_TRUE(WaitUntilGone("^Open$"));
	};
	// Without a window manager nothing gives the window its focus back when the panel
	// goes; the user clicks it (on the bar, as a click on the view would drag).
	const auto clickWindow = [&] {
		const XWindowGeometry geometry = Geometry(window);
		Click(geometry.x + 200, geometry.y + 8);
	};

	choose(files.Write("broken.fli", std::string(500, 'x')));
	AnswerAlert();
	EXPECT_EQ(WindowName(window), "demo.fli") << "a refused file changes nothing";
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kDemo)));

	choose(files.Copy(kBounce, "picked.fli"));
	EXPECT_NE(WaitForWindow("^picked.fli$"), 0u);
	EXPECT_EQ(WindowName(window), "picked.fli") << "the same window takes the file";
	EXPECT_EQ(Windows("\\.fli$").size(), 1u) << "no window is added";
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kBounce)));
	EXPECT_TRUE(player.WaitForOutput(kDemo + "\n"))
		<< "only command-line paths are echoed: " << player.Output();
	clickWindow();
	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// The panel offers FLI animations first, then all files. Picking by keyboard in the list
// shows what each offers: the first and last names listed open in the window.
TEST_F(PlayerTest, OpenPanelListsFliAnimationsFirstAndAllFilesSecond)
{
	const std::string text = files.Write("aaa.txt", "not an animation");
	files.Copy(kDemo, "bbb.fli");
	files.Copy(kBounce, "ccc.FLI");
	const std::string folder = fs::path(text).parent_path().string();
	PlayerProcess player(runtime.Path(), {});
	const unsigned long window = WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, 0u);
	// Opens the panel, types `typed` and Return in its file name field when given (a
	// folder: the panel goes there), then presses each of `keys` in turn from the file name
	// field (alt+n puts the focus there): Tab reaches the file types, shift+Tab the list.
	const auto pick = [&](const std::string& typed, const std::vector<std::string>& keys) {
		const XWindowGeometry geometry = Geometry(window);
		Click(geometry.x + 200, geometry.y + 8);
		Key(window, "ctrl+o");
		const unsigned long panel = WaitForWindow("^Open$");
		ASSERT_NE(panel, 0u);
		if (!typed.empty()) {
			ASSERT_TRUE(FocusWindow(panel));
			ASSERT_TRUE(TypeText(typed));
			ASSERT_TRUE(Key("Return"));
		}
		ASSERT_TRUE(FocusWindow(panel));
		std::vector<std::string> steps{"alt+n"};
		steps.insert(steps.end(), keys.begin(), keys.end());
		for (const std::string& step : steps) {
			std::this_thread::sleep_for(300ms);
			Key(step);
		}
		ASSERT_TRUE(WaitUntilGone("^Open$"));
	};

	pick(folder, {"shift+Tab", "End Home Return"});
	EXPECT_NE(WaitForWindow("^bbb.fli$"), 0u) << "aaa.txt is not listed first";
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kDemo)));

	pick("", {"shift+Tab", "Home End Return"});
	EXPECT_NE(WaitForWindow("^ccc.FLI$"), 0u) << "upper-case names are listed";

	pick("", {"Tab", "Down", "shift+Tab shift+Tab", "End Home Return"});
	AnswerAlert();
	EXPECT_EQ(WindowName(window), "ccc.FLI") << "all files list aaa.txt first, which is refused";
	EXPECT_EQ(player.Output(), "");
	const XWindowGeometry geometry = Geometry(window);
	Click(geometry.x + 200, geometry.y + 8);
	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, SecondLaunchOpensItsFileInTheRunningInstance)
{
	PlayerProcess first(runtime.Path(), {});
	ASSERT_NE(WaitForWindow("^Untitled 1$"), 0u);
	const std::string file = files.Copy(kBounce, "later.fli");
	PlayerProcess second(runtime.Path(), {file});
	EXPECT_EQ(second.WaitForExit(5s), 0) << "the later launch hands over and ends";
	EXPECT_EQ(second.Output(), "");
	EXPECT_TRUE(first.WaitForOutput(file + "\n")) << first.Output();
	const unsigned long window = WaitForWindow("^later.fli$");
	ASSERT_NE(window, 0u);
	Key(window, "ctrl+q");
	EXPECT_EQ(first.WaitForExit(5s), 0);
}

// A later launch needs no display to hand its files over; --help and --version answer
// where they are asked and never reach the running instance.
TEST_F(PlayerTest, LaterLaunchWithoutADisplayHandsOverAndOptionsStayWhereTheyAreAsked)
{
	PlayerProcess first(runtime.Path(), {});
	ASSERT_NE(WaitForWindow("^Untitled 1$"), 0u);
	for (const char* option : {"--help", "--version"}) {
		PlayerProcess asked(Environment({"ZOETRA_RUNTIME_DIR=" + runtime.Path()}), {option});
		EXPECT_EQ(asked.WaitForExit(), 0) << option;
		EXPECT_FALSE(asked.Lines().empty()) << option;
	}

	const std::string file = files.Copy(kBounce, "later.fli");
	PlayerProcess later(
		Environment({"DISPLAY", "WAYLAND_DISPLAY", "ZOETRA_RUNTIME_DIR=" + runtime.Path()}),
		{file});
	EXPECT_EQ(later.WaitForExit(5s), 0);
	EXPECT_TRUE(later.Lines().empty());
	EXPECT_TRUE(first.WaitForOutput(file + "\n")) << first.Output();
	const unsigned long window = WaitForWindow("^later.fli$");
	ASSERT_NE(window, 0u);
	EXPECT_TRUE(Windows("^Error$").empty()) << "an option reached the running instance";
	Key(window, "ctrl+q");
	EXPECT_EQ(first.WaitForExit(5s), 0);
}

// "-x" is a file that is not there, as before; after "--", "-x.fli" opens and "--version"
// is a file that is not there.
TEST_F(PlayerTest, DoubleDashMakesEveryLaterArgumentAFile)
{
	const std::string folder = fs::path(files.Copy(kBounce, "-x.fli")).parent_path().string();
	const std::vector<std::string> environment = {"ZOETRA_RUNTIME_DIR=" + runtime.Path()};
	{
		PlayerProcess player(Environment(environment, folder), {"-x"});
		AnswerAlert();
		const unsigned long window = WaitForWindow("^Untitled 1$");
		ASSERT_NE(window, 0u);
		Key(window, "ctrl+q");
		EXPECT_EQ(player.WaitForExit(5s), 0);
		EXPECT_TRUE(player.Lines().empty());
	}
	PlayerProcess player(Environment(environment, folder), {"--", "-x.fli", "--version"});
	const unsigned long window = WaitForWindow("^-x\\.fli$");
	ASSERT_NE(window, 0u);
	AnswerAlert();
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kBounce)));
	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
	EXPECT_EQ(player.Lines(), std::vector<std::string>{"-x.fli"});
}

// Qt complains about a missing XDG_RUNTIME_DIR; the user sees only the player's own lines,
// unless they ask for Qt's warnings.
TEST_F(PlayerTest, StandardErrorHoldsOnlyThePlayersOwnLines)
{
	const std::string file = files.Copy(kBounce, "quiet.fli");
	TemporaryFolder xdg;
	const auto run = [&](const std::vector<std::string>& environment) {
		std::vector<std::string> variables = environment;
		variables.push_back("ZOETRA_RUNTIME_DIR=" + runtime.Path());
		PlayerProcess player(Environment(variables), {file});
		const unsigned long window = WaitForWindow("^quiet.fli$");
		EXPECT_NE(window, 0u);
		Key(window, "ctrl+q");
		EXPECT_EQ(player.WaitForExit(5s), 0);
		return player.Lines();
	};
	const std::vector<std::string> echo = {file};
	EXPECT_EQ(run({"XDG_RUNTIME_DIR", "ZOETRA_DEBUG"}), echo);
	EXPECT_EQ(run({"XDG_RUNTIME_DIR=" + xdg.Path(), "ZOETRA_DEBUG"}), echo);

	const std::vector<std::string> debug = run({"XDG_RUNTIME_DIR", "ZOETRA_DEBUG=1"});
	EXPECT_NE(std::find(debug.begin(), debug.end(), file), debug.end());
	EXPECT_TRUE(std::any_of(debug.begin(), debug.end(), [](const std::string& line) {
		return line.starts_with("zoetra: ");
	})) << "ZOETRA_DEBUG=1 shows Qt's warnings";
}

TEST_F(PlayerTest, DraggedAnimationPlaysAsACopyUnderTheSourcesTitle)
{
	const std::string source = files.Copy(kDemo, "source.fli");
	const std::string target = files.Copy(kBounce, "target.fli");
	PlayerProcess player(runtime.Path(), {source, target});
	const unsigned long from = WaitForWindow("^source.fli$");
	const unsigned long to = WaitForWindow("^target.fli$");
	ASSERT_NE(from, 0u);
	ASSERT_NE(to, 0u);
	MoveWindow(to, 600, 300);
	const XWindowGeometry a = Geometry(from);
	const XWindowGeometry b = Geometry(to);
	// Only the animation takes drops: on the target's menu bar the drag changes nothing.
	Drag(a.x + 160, a.y + a.height - 100, b.x + 200, b.y + 8);
	std::this_thread::sleep_for(500ms);
	EXPECT_EQ(WindowName(to), "target.fli") << "a drop on the menu bar was taken";
	Drag(a.x + 160, a.y + a.height - 100, b.x + 160, b.y + b.height - 100);

	ASSERT_TRUE(WaitUntilGone("^target.fli$")) << "the target takes the source's title";
	EXPECT_EQ(WindowName(to), "source.fli");
	EXPECT_EQ(WindowName(from), "source.fli");
	const auto demoFrames = ReferenceFrames(kDemo);
	EXPECT_TRUE(ShowsOneOf(to, demoFrames)) << "the target plays the source's animation";
	EXPECT_TRUE(ShowsOneOf(from, demoFrames)) << "the source plays on";

	Key(from, "ctrl+w");
	WaitForWindow("^source.fli$");
	ASSERT_EQ(Windows("^source.fli$"), std::vector<unsigned long>{to});
	EXPECT_TRUE(player.Running());
	EXPECT_TRUE(ShowsOneOf(to, demoFrames)) << "the copy plays on after its source has closed";
	const std::vector<uint32_t> before = ViewPicture(to);
	std::this_thread::sleep_for(200ms);
	EXPECT_NE(ViewPicture(to), before);
	Key(to, "ctrl+w");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, AboutOpensOnceAndASecondRequestRaisesIt)
{
	PlayerProcess player(runtime.Path(), {});
	const unsigned long window = WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, 0u);
	// Up from the top wraps to "Quit"; once more, over the separator, is "About Zoetra...".
	FileMenu(window, "Up Up Return");
	const unsigned long about = WaitForWindow("^About Zoetra$");
	ASSERT_NE(about, 0u);
	const XWindowGeometry geometry = Geometry(about);
	EXPECT_EQ(geometry.x, 210);
	EXPECT_EQ(geometry.y, 150);
	EXPECT_EQ(geometry.width, 280);
	// The heading, "Version 1.12", "Written by", the author's line and the two contact
	// lines: each centred, and each whole inside the border with a free column beside it.
	std::vector<uint32_t> picture;
	ASSERT_TRUE(Screenshot(geometry.x, geometry.y, geometry.width, geometry.height, picture));
	const std::vector<TextLine> lines = TextLines(picture, geometry.width, geometry.height);
	ASSERT_EQ(lines.size(), 6u);
	for (size_t line = 0; line < lines.size(); line++) {
		EXPECT_NEAR(lines[line].Centre(), 139.5, 2.0) << "line " << line + 1;
		EXPECT_GE(lines[line].left, 2) << "line " << line + 1;
		EXPECT_LE(lines[line].right, geometry.width - 3) << "line " << line + 1;
	}

	FileMenu(window, "Up Up Return");
	std::this_thread::sleep_for(300ms);
	EXPECT_EQ(Windows("^About Zoetra$").size(), 1u);

	CloseWindow(about);
	ASSERT_TRUE(WaitUntilGone("^About Zoetra$"));
	FileMenu(window, "Up Up Return");
	const unsigned long again = WaitForWindow("^About Zoetra$");
	EXPECT_NE(again, 0u) << "a request after closing makes a new About window";

	CloseWindow(window);
	EXPECT_EQ(player.WaitForExit(5s), 0) << "the About window does not keep the player open";
}

TEST(PlayerCommandLine, HelpAndVersionAnswerWithoutADisplayOrSingleLaunch)
{
	TemporaryFolder runtime;
	const auto run = [&](const std::vector<std::string>& arguments) {
		PlayerProcess player(
			Environment({"DISPLAY", "WAYLAND_DISPLAY", "ZOETRA_RUNTIME_DIR=" + runtime.Path()}),
			arguments);
		EXPECT_EQ(player.WaitForExit(), 0);
		return player.Lines();
	};

	const std::vector<std::string> version{"Zoetra " ZOETRA_SHORT_VERSION};
	EXPECT_EQ(run({"--version"}), version);
	// Options may follow a file, as with most commands; the first one answers.
	EXPECT_EQ(run({kDemo, "--version", "--help"}), version);

	const std::vector<std::string> help = run({"--help"});
	ASSERT_FALSE(help.empty());
	EXPECT_EQ(help[0], "Usage: zoetra [OPTION]... [FILE]...");
	for (const std::string start :
		{"  --help ", "  --version ", "  -- ", "  Space ", "  F10 ", "  ZOETRA_RUNTIME_DIR ",
			"  ZOETRA_DEBUG ", "  DISPLAY, WAYLAND_DISPLAY ", "Exit status:", "  0 ", "  1 "}) {
		EXPECT_TRUE(std::any_of(help.begin(), help.end(),
			[&](const std::string& line) { return line.starts_with(start); }))
			<< "no line starts with \"" << start << "\"";
	}
	EXPECT_TRUE(std::all_of(help.begin(), help.end(), [](const std::string& line) {
		return line.size() <= 80;
	})) << "the help fits a terminal of 80 columns";
	EXPECT_TRUE(fs::is_empty(runtime.Path())) << "single launch never started";
}

TEST(PlayerCommandLine, WithoutADisplayOneLineNamesWhatWasTriedAndTheStatusIsOne)
{
	TemporaryFolder runtime;
	const std::string absent = AbsentDisplay();
	// The last: libwayland-client's own complaint about XDG_RUNTIME_DIR stays unprinted too.
	const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
		{"DISPLAY", "WAYLAND_DISPLAY",
			"cannot open display (DISPLAY and WAYLAND_DISPLAY are not set)"},
		{"DISPLAY=" + absent, "WAYLAND_DISPLAY", "cannot open display (DISPLAY=" + absent + ")"},
		{"DISPLAY", "WAYLAND_DISPLAY=nope", "cannot open display (WAYLAND_DISPLAY=nope)"},
	};
	for (const auto& [display, wayland, line] : cases) {
		SCOPED_TRACE(display + " " + wayland);
		PlayerProcess player(Environment({display, wayland, "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM",
								 "ZOETRA_RUNTIME_DIR=" + runtime.Path()}),
			{kDemo});
		// Not 134 (an abort) or any other death by signal.
		EXPECT_EQ(player.WaitForExit(), 1);
		EXPECT_EQ(player.Lines(), std::vector<std::string>{"zoetra: " + line});
	}
}

// The X server goes away under a playing window.
TEST(PlayerLostDisplay, EndsWithStatusOneAndTakesItsLaunchSocketAlong)
{
	if (!XvfbAvailable())
		GTEST_SKIP() << "no Xvfb";
	auto server = std::make_unique<XvfbServer>();
	ASSERT_NE(server->Display(), "");
	TemporaryFolder runtime;
	PlayerProcess player(Environment({"DISPLAY=" + server->Display(), "WAYLAND_DISPLAY",
							 "QT_QPA_PLATFORM", "ZOETRA_RUNTIME_DIR=" + runtime.Path()}),
		{kDemo});
	ASSERT_TRUE(player.WaitForLine(kDemo));
	ChildProcess search({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^demo.fli$"},
		{.environment = {"DISPLAY=" + server->Display()}, .errors = ChildOptions::Errors::Discard});
	ASSERT_EQ(search.WaitForExit(), 0);
	ASSERT_TRUE(HoldsASocket(runtime.Path()));

	server.reset();
	EXPECT_EQ(player.WaitForExit(), 1);
	// Xlib, which Qt uses beside xcb, may have its own say first ("XIO: fatal IO error").
	const std::vector<std::string> lines = player.Lines();
	ASSERT_GE(lines.size(), 2u);
	EXPECT_EQ(lines.front(), kDemo);
	EXPECT_EQ(lines.back(), "zoetra: lost the connection to the display");
	EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
				  [](const std::string& line) { return line.starts_with("zoetra: "); }),
		1);
	EXPECT_FALSE(HoldsASocket(runtime.Path())) << "a later launch would be handed to nobody";
}

TEST(PlayerIdentity, ExecutableCarriesSignatureVersionAndSingleLaunch)
{
	const std::string info = RunTool(
		{"objcopy", "-O", "binary", "--only-section=.zoetra.appinfo", PlayerPath(), "/dev/stdout"})
								 .output;
	EXPECT_NE(info.find("signature=application/x-vnd.quenvik-Zoetra\n"), std::string::npos) << info;
	EXPECT_NE(info.find("file_type=application/x-vnd.Be-elfexecutable\n"), std::string::npos);
	EXPECT_NE(info.find("version=" ZOETRA_VERSION "\nvariety=5\n"), std::string::npos);
	EXPECT_NE(info.find("app_flags=0x0\n"), std::string::npos);
}

} // namespace
