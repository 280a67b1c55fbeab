// zoetra as a user runs it: the real binary on a private X server, driven with xdotool.
#include "ChildProcess.h"
#include "PlayerProcess.h"
#include "XDesktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <unistd.h>

using namespace zoetra::testing;
namespace fs = std::filesystem;

namespace {

constexpr int kViewWidth = 320;
constexpr int kViewHeight = 200;
const std::string kDemo = std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli";
const std::string kBounce = std::string(ZOETRA_TEST_DATA) + "/bounce.fli";

XDesktop* desktop = nullptr;

class DesktopEnvironment : public ::testing::Environment {
public:
	void SetUp() override
	{
		if (!XDesktop::Available())
			return;
		desktop = new XDesktop;
		if (!desktop->Start()) {
			delete desktop;
			desktop = nullptr;
		}
	}
	void TearDown() override { delete desktop; }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

// Files a case makes for itself, removed with it.
class Scratch {
public:
	Scratch()
	{
		char pattern[] = "/tmp/zoetra-files-XXXXXX";
		fPath = mkdtemp(pattern);
	}
	~Scratch() { fs::remove_all(fPath); }
	std::string Copy(const std::string& from, const std::string& name)
	{
		fs::copy_file(from, fPath / name);
		return (fPath / name).string();
	}
	std::string Write(const std::string& name, const std::string& bytes)
	{
		std::ofstream(fPath / name, std::ios::binary) << bytes;
		return (fPath / name).string();
	}
	std::string Link(const std::string& target, const std::string& name)
	{
		fs::create_symlink(target, fPath / name);
		return (fPath / name).string();
	}

private:
	fs::path fPath;
};

// The pictures `flitool frames` gives for a file, as 0xRRGGBB rows.
std::set<std::vector<uint32_t>> ReferenceFrames(const std::string& file)
{
	const std::string bytes = RunCommand("'" + FlitoolPath() + "' frames '" + file + "'");
	const size_t frameBytes = size_t(kViewWidth) * kViewHeight * 4;
	std::set<std::vector<uint32_t>> frames;
	for (size_t start = 0; start + frameBytes <= bytes.size(); start += frameBytes) {
		std::vector<uint32_t> pixels(size_t(kViewWidth) * kViewHeight);
		for (size_t i = 0; i < pixels.size(); i++) {
			const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + start + 4 * i);
			pixels[i] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
		}
		frames.insert(std::move(pixels));
	}
	return frames;
}

// The view's picture: the bottom 200 rows of the window's content at 1:1.
std::vector<uint32_t> ViewPicture(const std::string& window)
{
	const XWindowGeometry geometry = desktop->Geometry(window);
	return desktop->Grab(
		geometry.x, geometry.y + geometry.height - kViewHeight, kViewWidth, kViewHeight);
}

// A grab can fall between two updates of the window; a playing view shows one of the
// file's frames in at least one of several grabs.
bool ShowsOneOf(const std::string& window, const std::set<std::vector<uint32_t>>& frames)
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

// The player with its environment changed: each of `environment` sets a variable
// ("NAME=value") or unsets one ("NAME"). It starts in `folder` when one is given. Standard
// error is joined to standard output, so Lines() holds everything it wrote, in order.
ChildProcess PlayerWithEnvironment(const std::vector<std::string>& environment,
	const std::vector<std::string>& arguments, const std::string& folder = "")
{
	std::vector<std::string> command = {"/bin/sh", "-c", "exec /usr/bin/env \"$@\" 2>&1", "sh"};
	for (const std::string& variable : environment)
		if (variable.find('=') == std::string::npos)
			command.insert(command.end(), {"-u", variable});
	if (!folder.empty())
		command.insert(command.end(), {"-C", folder});
	for (const std::string& variable : environment)
		if (variable.find('=') != std::string::npos)
			command.push_back(variable);
	command.push_back(PlayerPath());
	command.insert(command.end(), arguments.begin(), arguments.end());
	return ChildProcess(command);
}

// An X display name that no server answers.
std::string AbsentDisplay()
{
	int number = 4000;
	while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0
		|| access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
		number++;
	return ":" + std::to_string(number);
}

bool HoldsASocket(const std::string& folder)
{
	for (const fs::directory_entry& entry : fs::directory_iterator(folder))
		if (entry.is_socket())
			return true;
	return false;
}

class PlayerTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (desktop == nullptr)
			GTEST_SKIP() << "no Xvfb, xdotool or ImageMagick";
	}

	// Dismisses the error alert with its one button.
	void AnswerAlert()
	{
		const std::string alert = desktop->WaitForWindow("^Error$");
		ASSERT_NE(alert, "")
			<< "no alert"
			<< RunCommand(
				   "for w in $(xdotool search --name .); do echo $w $(xdotool getwindowname $w) "
				   "$(xwininfo -id $w | grep -E 'Map State|Absolute|Width|Height'); done");
		desktop->Key(alert, "Return");
		ASSERT_TRUE(desktop->WaitUntilGone("^Error$"));
	}

	RuntimeFolder runtime;
	Scratch files;
};

TEST_F(PlayerTest, StartsEmptyNumbersNewWindowsOffsetsThemAndQuitsWithTheLastClose)
{
	PlayerProcess player(runtime.Path(), {});
	const std::string first = desktop->WaitForWindow("^Untitled 1$");
	ASSERT_NE(first, "");
	const XWindowGeometry firstGeometry = desktop->Geometry(first);
	EXPECT_EQ(firstGeometry.x, 150);
	EXPECT_EQ(firstGeometry.y, 100);
	EXPECT_EQ(firstGeometry.width, kViewWidth);

	desktop->Key(first, "ctrl+n");
	const std::string second = desktop->WaitForWindow("^Untitled 2$");
	ASSERT_NE(second, "");
	const XWindowGeometry secondGeometry = desktop->Geometry(second);
	EXPECT_EQ(secondGeometry.x, firstGeometry.x + 20);
	EXPECT_EQ(secondGeometry.y, firstGeometry.y + 20);
	EXPECT_EQ(secondGeometry.width, firstGeometry.width);
	EXPECT_EQ(secondGeometry.height, firstGeometry.height);

	desktop->Key(second, "ctrl+w");
	ASSERT_TRUE(desktop->WaitUntilGone("^Untitled 2$"));
	desktop->Key(first, "ctrl+n");
	EXPECT_NE(desktop->WaitForWindow("^Untitled 3$"), "") << "numbers are never reused";
	desktop->Key(desktop->WaitForWindow("^Untitled 3$"), "ctrl+w");
	ASSERT_TRUE(desktop->WaitUntilGone("^Untitled 3$"));
	EXPECT_TRUE(player.Running()) << "one window is still open";

	desktop->Key(first, "ctrl+w");
	EXPECT_EQ(player.WaitForExit(5s), 0) << "closing the last window quits";
	EXPECT_EQ(player.Output(), "");
}

TEST_F(PlayerTest, OpensEachArgumentInItsOwnWindowAndQuitsOnCtrlQ)
{
	const std::string demo = files.Copy(kDemo, "first.fli");
	const std::string bounce = files.Copy(kBounce, "second.fli");
	PlayerProcess player(runtime.Path(), {demo, bounce});
	EXPECT_TRUE(player.WaitForOutput(demo + "\n" + bounce + "\n")) << player.Output();
	ASSERT_NE(desktop->WaitForWindow("^first.fli$"), "");
	const std::string second = desktop->WaitForWindow("^second.fli$");
	ASSERT_NE(second, "");
	EXPECT_TRUE(desktop->Windows("^Untitled").empty());

	desktop->Key(second, "ctrl+n");
	ASSERT_NE(desktop->WaitForWindow("^Untitled 1$"), "");
	desktop->Key(second, "ctrl+q");
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
		RuntimeFolder folder;
		PlayerProcess player(folder.Path(), {c.path});
		AnswerAlert();
		EXPECT_NE(desktop->WaitForWindow("^Untitled 1$"), "") << "the empty window after the alert";
		EXPECT_EQ(player.Output(), c.echoed ? c.path + "\n" : "");
		desktop->Key(desktop->WaitForWindow("^Untitled 1$"), "ctrl+q");
		EXPECT_EQ(player.WaitForExit(5s), 0);
	}
}

TEST_F(PlayerTest, SymbolicLinkOpensTheTargetUnderTheTargetsName)
{
	const std::string target = files.Copy(kBounce, "target.fli");
	const std::string link = files.Link(target, "link.fli");
	PlayerProcess player(runtime.Path(), {link});
	const std::string window = desktop->WaitForWindow("^target.fli$");
	ASSERT_NE(window, "");
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kBounce)));
	EXPECT_EQ(player.Output(), link + "\n");
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, PlayingViewShowsTheDecodedFramesPixelForPixel)
{
	PlayerProcess player(runtime.Path(), {kDemo});
	const std::string window = desktop->WaitForWindow("^demo.fli$");
	ASSERT_NE(window, "");
	const auto frames = ReferenceFrames(kDemo);
	ASSERT_GT(frames.size(), 10u);
	EXPECT_TRUE(ShowsOneOf(window, frames));
	// Playing: the picture changes and stays one of the file's frames.
	const std::vector<uint32_t> before = ViewPicture(window);
	std::this_thread::sleep_for(200ms);
	EXPECT_NE(ViewPicture(window), before);
	EXPECT_TRUE(ShowsOneOf(window, frames));
	desktop->Key(window, "ctrl+w");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, OpenPanelLoadsTheChosenFileIntoItsOwnWindowOrRefusesIt)
{
	PlayerProcess player(runtime.Path(), {kDemo});
	const std::string window = desktop->WaitForWindow("^demo.fli$");
	ASSERT_NE(window, "");
	const auto choose = [&](const std::string& path) {
		desktop->Key(window, "ctrl+o");
		const std::string panel = desktop->WaitForWindow("^Open$");
		ASSERT_NE(panel, "");
		RunCommand("xdotool windowfocus --sync " + panel + " type --delay 2 '" + path + "'");
		RunCommand("xdotool key Return");
		ASSERT_TRUE(desktop->WaitUntilGone("^Open$"));
	};
	// Without a window manager nothing gives the window its focus back when the panel
	// goes; the user clicks it (on the bar, as a click on the view would drag).
	const auto clickWindow = [&] {
		const XWindowGeometry geometry = desktop->Geometry(window);
		desktop->Click(geometry.x + 200, geometry.y + 8);
	};

	choose(files.Write("broken.fli", std::string(500, 'x')));
	AnswerAlert();
	EXPECT_EQ(desktop->Name(window), "demo.fli") << "a refused file changes nothing";
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kDemo)));

	choose(files.Copy(kBounce, "picked.fli"));
	EXPECT_NE(desktop->WaitForWindow("^picked.fli$"), "");
	EXPECT_EQ(desktop->Name(window), "picked.fli") << "the same window takes the file";
	EXPECT_EQ(desktop->Windows("\\.fli$").size(), 1u) << "no window is added";
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kBounce)));
	EXPECT_EQ(player.Output(), kDemo + "\n") << "only command-line paths are echoed";
	clickWindow();
	desktop->Key(window, "ctrl+q");
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
	const std::string window = desktop->WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, "");
	// Opens the panel, types `typed` and Return in its file name field when given (a
	// folder: the panel goes there), then sends `keys` from the file name field (alt+n
	// puts the focus there): Tab reaches the file types, shift+Tab the list.
	const auto pick = [&](const std::string& typed, const std::string& keys) {
		const XWindowGeometry geometry = desktop->Geometry(window);
		desktop->Click(geometry.x + 200, geometry.y + 8);
		desktop->Key(window, "ctrl+o");
		const std::string panel = desktop->WaitForWindow("^Open$");
		ASSERT_NE(panel, "");
		if (!typed.empty()) {
			RunCommand("xdotool windowfocus --sync " + panel + " type --delay 2 '" + typed + "'");
			RunCommand("xdotool key Return");
		}
		RunCommand(
			"xdotool windowfocus --sync " + panel + " sleep 0.3 key alt+n sleep 0.3 key " + keys);
		ASSERT_TRUE(desktop->WaitUntilGone("^Open$"));
	};

	pick(folder, "shift+Tab sleep 0.3 key End Home Return");
	EXPECT_NE(desktop->WaitForWindow("^bbb.fli$"), "") << "aaa.txt is not listed first";
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kDemo)));

	pick("", "shift+Tab sleep 0.3 key Home End Return");
	EXPECT_NE(desktop->WaitForWindow("^ccc.FLI$"), "") << "upper-case names are listed";

	pick("",
		"Tab sleep 0.3 key Down sleep 0.3 key shift+Tab shift+Tab sleep 0.3 key End Home Return");
	AnswerAlert();
	EXPECT_EQ(desktop->Name(window), "ccc.FLI") << "all files list aaa.txt first, which is refused";
	EXPECT_EQ(player.Output(), "");
	const XWindowGeometry geometry = desktop->Geometry(window);
	desktop->Click(geometry.x + 200, geometry.y + 8);
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, SecondLaunchOpensItsFileInTheRunningInstance)
{
	PlayerProcess first(runtime.Path(), {});
	ASSERT_NE(desktop->WaitForWindow("^Untitled 1$"), "");
	const std::string file = files.Copy(kBounce, "later.fli");
	PlayerProcess second(runtime.Path(), {file});
	EXPECT_EQ(second.WaitForExit(5s), 0) << "the later launch hands over and ends";
	EXPECT_EQ(second.Output(), "");
	EXPECT_TRUE(first.WaitForOutput(file + "\n")) << first.Output();
	const std::string window = desktop->WaitForWindow("^later.fli$");
	ASSERT_NE(window, "");
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(first.WaitForExit(5s), 0);
}

// A later launch needs no display to hand its files over; --help and --version answer
// where they are asked and never reach the running instance.
TEST_F(PlayerTest, LaterLaunchWithoutADisplayHandsOverAndOptionsStayWhereTheyAreAsked)
{
	PlayerProcess first(runtime.Path(), {});
	ASSERT_NE(desktop->WaitForWindow("^Untitled 1$"), "");
	for (const char* option : {"--help", "--version"}) {
		ChildProcess asked =
			PlayerWithEnvironment({"ZOETRA_RUNTIME_DIR=" + runtime.Path()}, {option});
		EXPECT_EQ(asked.WaitForExit(), 0) << option;
		EXPECT_FALSE(asked.Lines().empty()) << option;
	}

	const std::string file = files.Copy(kBounce, "later.fli");
	ChildProcess later = PlayerWithEnvironment(
		{"DISPLAY", "WAYLAND_DISPLAY", "ZOETRA_RUNTIME_DIR=" + runtime.Path()}, {file});
	EXPECT_EQ(later.WaitForExit(5s), 0);
	EXPECT_TRUE(later.Lines().empty());
	EXPECT_TRUE(first.WaitForOutput(file + "\n")) << first.Output();
	const std::string window = desktop->WaitForWindow("^later.fli$");
	ASSERT_NE(window, "");
	EXPECT_TRUE(desktop->Windows("^Error$").empty()) << "an option reached the running instance";
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(first.WaitForExit(5s), 0);
}

// "-x" is a file that is not there, as before; after "--", "-x.fli" opens and "--version"
// is a file that is not there.
TEST_F(PlayerTest, DoubleDashMakesEveryLaterArgumentAFile)
{
	const std::string folder = fs::path(files.Copy(kBounce, "-x.fli")).parent_path().string();
	const std::vector<std::string> environment = {"ZOETRA_RUNTIME_DIR=" + runtime.Path()};
	{
		ChildProcess player = PlayerWithEnvironment(environment, {"-x"}, folder);
		AnswerAlert();
		const std::string window = desktop->WaitForWindow("^Untitled 1$");
		ASSERT_NE(window, "");
		desktop->Key(window, "ctrl+q");
		EXPECT_EQ(player.WaitForExit(5s), 0);
		EXPECT_TRUE(player.Lines().empty());
	}
	ChildProcess player = PlayerWithEnvironment(environment, {"--", "-x.fli", "--version"}, folder);
	const std::string window = desktop->WaitForWindow("^-x\\.fli$");
	ASSERT_NE(window, "");
	AnswerAlert();
	EXPECT_TRUE(ShowsOneOf(window, ReferenceFrames(kBounce)));
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
	EXPECT_EQ(player.Lines(), std::vector<std::string>{"-x.fli"});
}

// Qt complains about a missing XDG_RUNTIME_DIR; the user sees only the player's own lines,
// unless they ask for Qt's warnings.
TEST_F(PlayerTest, StandardErrorHoldsOnlyThePlayersOwnLines)
{
	const std::string file = files.Copy(kBounce, "quiet.fli");
	RuntimeFolder xdg;
	const auto run = [&](const std::vector<std::string>& environment) {
		std::vector<std::string> variables = environment;
		variables.push_back("ZOETRA_RUNTIME_DIR=" + runtime.Path());
		ChildProcess player = PlayerWithEnvironment(variables, {file});
		const std::string window = desktop->WaitForWindow("^quiet.fli$");
		EXPECT_NE(window, "");
		desktop->Key(window, "ctrl+q");
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
	const std::string from = desktop->WaitForWindow("^source.fli$");
	const std::string to = desktop->WaitForWindow("^target.fli$");
	ASSERT_NE(from, "");
	ASSERT_NE(to, "");
	desktop->Move(to, 600, 300);
	const XWindowGeometry a = desktop->Geometry(from);
	const XWindowGeometry b = desktop->Geometry(to);
	desktop->Drag(a.x + 160, a.y + a.height - 100, b.x + 160, b.y + b.height - 100);

	ASSERT_TRUE(desktop->WaitUntilGone("^target.fli$")) << "the target takes the source's title";
	EXPECT_EQ(desktop->Name(to), "source.fli");
	EXPECT_EQ(desktop->Name(from), "source.fli");
	const auto demoFrames = ReferenceFrames(kDemo);
	EXPECT_TRUE(ShowsOneOf(to, demoFrames)) << "the target plays the source's animation";
	EXPECT_TRUE(ShowsOneOf(from, demoFrames)) << "the source plays on";

	desktop->Key(from, "ctrl+w");
	const auto deadline = std::chrono::steady_clock::now() + 10s;
	while (
		desktop->Windows("^source.fli$").size() != 1 && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(20ms);
	ASSERT_EQ(desktop->Windows("^source.fli$"), std::vector<std::string>{to});
	EXPECT_TRUE(player.Running());
	EXPECT_TRUE(ShowsOneOf(to, demoFrames)) << "the copy plays on after its source has closed";
	const std::vector<uint32_t> before = ViewPicture(to);
	std::this_thread::sleep_for(200ms);
	EXPECT_NE(ViewPicture(to), before);
	desktop->Key(to, "ctrl+w");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

TEST_F(PlayerTest, AboutOpensOnceAndASecondRequestRaisesIt)
{
	PlayerProcess player(runtime.Path(), {});
	const std::string window = desktop->WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, "");
	// Up from the top wraps to "Quit"; once more, over the separator, is "About Zoetra...".
	desktop->FileMenu(window, "Up Up Return");
	const std::string about = desktop->WaitForWindow("^About Zoetra$");
	ASSERT_NE(about, "");
	const XWindowGeometry geometry = desktop->Geometry(about);
	EXPECT_EQ(geometry.x, 210);
	EXPECT_EQ(geometry.y, 150);
	EXPECT_EQ(geometry.width, 280);
	// The heading, "Version 1.12", "Written by", the author's line and the two contact
	// lines: each centred, and each whole inside the border with a free column beside it.
	const std::vector<TextLine> lines =
		TextLines(desktop->Grab(geometry.x, geometry.y, geometry.width, geometry.height),
			geometry.width, geometry.height);
	ASSERT_EQ(lines.size(), 6u);
	for (size_t line = 0; line < lines.size(); line++) {
		EXPECT_NEAR(lines[line].Centre(), 139.5, 2.0) << "line " << line + 1;
		EXPECT_GE(lines[line].left, 2) << "line " << line + 1;
		EXPECT_LE(lines[line].right, geometry.width - 3) << "line " << line + 1;
	}

	desktop->FileMenu(window, "Up Up Return");
	std::this_thread::sleep_for(300ms);
	EXPECT_EQ(desktop->Windows("^About Zoetra$").size(), 1u);

	desktop->CloseBox(about);
	ASSERT_TRUE(desktop->WaitUntilGone("^About Zoetra$"));
	desktop->FileMenu(window, "Up Up Return");
	const std::string again = desktop->WaitForWindow("^About Zoetra$");
	EXPECT_NE(again, "") << "a request after closing makes a new About window";

	desktop->CloseBox(window);
	EXPECT_EQ(player.WaitForExit(5s), 0) << "the About window does not keep the player open";
}

TEST(PlayerCommandLine, HelpAndVersionAnswerWithoutADisplayOrSingleLaunch)
{
	RuntimeFolder runtime;
	const auto run = [&](const std::vector<std::string>& arguments) {
		ChildProcess player = PlayerWithEnvironment(
			{"DISPLAY", "WAYLAND_DISPLAY", "ZOETRA_RUNTIME_DIR=" + runtime.Path()}, arguments);
		EXPECT_EQ(player.WaitForExit(), 0);
		return player.Lines();
	};

	EXPECT_EQ(run({"--version"}), std::vector<std::string>{"Zoetra 1.12"});
	// Options may follow a file, as with most commands; the first one answers.
	EXPECT_EQ(run({kDemo, "--version", "--help"}), std::vector<std::string>{"Zoetra 1.12"});

	const std::vector<std::string> help = run({"--help"});
	ASSERT_FALSE(help.empty());
	EXPECT_EQ(help[0], "Usage: zoetra [OPTION]... [FILE]...");
	for (const std::string start : {"  --help ", "  --version ", "  -- ", "  ZOETRA_RUNTIME_DIR ",
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
	RuntimeFolder runtime;
	const std::string absent = AbsentDisplay();
	const std::vector<std::pair<std::string, std::string>> cases = {
		{"DISPLAY", "cannot open display (DISPLAY and WAYLAND_DISPLAY are not set)"},
		{"DISPLAY=" + absent, "cannot open display (DISPLAY=" + absent + ")"},
	};
	for (const auto& [display, line] : cases) {
		SCOPED_TRACE(display);
		ChildProcess player = PlayerWithEnvironment(
			{display, "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "ZOETRA_RUNTIME_DIR=" + runtime.Path()},
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
	RuntimeFolder runtime;
	ChildProcess player =
		PlayerWithEnvironment({"DISPLAY=" + server->Display(), "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
								  "ZOETRA_RUNTIME_DIR=" + runtime.Path()},
			{kDemo});
	ASSERT_TRUE(player.WaitForLine(kDemo));
	ASSERT_EQ(RunTool({"env", "DISPLAY=" + server->Display(), "xdotool", "search", "--sync",
						  "--onlyvisible", "--name", "^demo.fli$"})
				  .status,
		0);
	ASSERT_TRUE(HoldsASocket(runtime.Path()));

	server.reset();
	EXPECT_EQ(player.WaitForExit(), 1);
	// Xlib, which Qt uses beside xcb, may have its own say first ("XIO: fatal IO error").
	const std::vector<std::string>& lines = player.Lines();
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
	const std::string info = RunCommand("objcopy -O binary --only-section=.zoetra.appinfo '"
		+ PlayerPath() + "' /dev/stdout 2>/dev/null");
	EXPECT_NE(info.find("signature=application/x-vnd.quenvik-Zoetra\n"), std::string::npos) << info;
	EXPECT_NE(info.find("file_type=application/x-vnd.Be-elfexecutable\n"), std::string::npos);
	EXPECT_NE(info.find("version=1.12.0\nvariety=5\n"), std::string::npos);
	EXPECT_NE(info.find("app_flags=0x0\n"), std::string::npos);
}

} // namespace
