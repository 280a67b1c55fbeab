// The player's keys as a user presses them: the real binary on a private 1600x1000 X server
// with a window manager (openbox), driven with xdotool, its pictures compared with the
// decoder's frames in play order (FramesInPlayOrder).
#include "PlayerProcess.h"
#include "TemporaryFolder.h"
#include "WaitFor.h"
#include "XDesktop.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include <unistd.h>

using namespace zoetra::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1000;
const std::string kDemo = std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli";
const std::string kBounce = std::string(ZOETRA_TEST_DATA) + "/bounce.fli";
const std::string kEmDash = "\xE2\x80\x94";

using Picture = std::vector<uint32_t>;

XWindowGeometry Geometry(unsigned long window)
{
	XWindowGeometry geometry;
	WindowGeometry(window, geometry);
	return geometry;
}

// The screen's pixels in a rectangle; empty when the grab failed.
Picture Grab(int x, int y, int width, int height)
{
	Picture pixels;
	if (!Screenshot(x, y, width, height, pixels))
		pixels.clear();
	return pixels;
}

// The picture `zoom` times 320x200 whose top left is at (x, y), back at 1:1 when every
// zoom x zoom block is one colour, as nearest-neighbour scaling makes it; empty otherwise.
Picture Unzoomed(int x, int y, int zoom)
{
	const Picture big = Grab(x, y, kWidth * zoom, kHeight * zoom);
	if (big.empty())
		return {};
	Picture small(size_t(kWidth) * kHeight);
	const size_t rowLength = size_t(kWidth) * zoom;
	for (int row = 0; row < kHeight * zoom; row++)
		for (int column = 0; column < kWidth * zoom; column++) {
			const uint32_t pixel = big[size_t(row) * rowLength + size_t(column)];
			uint32_t& target = small[size_t(row / zoom) * kWidth + size_t(column / zoom)];
			if (row % zoom == 0 && column % zoom == 0)
				target = pixel;
			else if (pixel != target)
				return {};
		}
	return small;
}

bool AllBlack(const Picture& pixels)
{
	return !pixels.empty()
		&& std::all_of(pixels.begin(), pixels.end(), [](uint32_t p) { return p == 0xff000000u; });
}

// Waits until the window's title is `title`.
bool WaitForTitle(unsigned long window, const std::string& title)
{
	return WaitFor([&] { return WindowName(window) == title; }, 5s);
}

std::string PausedTitle(const std::string& name, int frame, int count)
{
	return name + " " + kEmDash + " frame " + std::to_string(frame) + " of "
		+ std::to_string(count);
}

// The frame number a paused title shows; 0 when the title shows none within the bound.
int WaitForPausedFrame(unsigned long window, const std::string& name, int count)
{
	const std::regex paused(
		"^" + name + " " + kEmDash + " frame ([0-9]+) of " + std::to_string(count) + "$");
	int frame = 0;
	WaitFor(
		[&] {
			std::smatch match;
			const std::string title = WindowName(window);
			if (!std::regex_match(title, match, paused))
				return false;
			frame = std::stoi(match[1]);
			return true;
		},
		5s);
	return frame;
}

// One 1600x1000 server with openbox for the whole program; the cases skip without them.
class PlayerKeysTest : public ::testing::Test {
protected:
	static void SetUpTestSuite()
	{
		if (!XvfbAvailable() || !DesktopToolsAvailable() || !ProgramInstalled("openbox"))
			return;
		server = new XvfbServer(kScreenWidth, kScreenHeight);
		if (server->Display().empty())
			return;
		setenv("DISPLAY", server->Display().c_str(), 1);
		setenv("QT_QPA_PLATFORM", "xcb", 1);
		windowManager = new ChildProcess({"openbox"}, {.errors = ChildOptions::Errors::Discard});
		// The window manager announces itself on the root window once it runs.
		ready = WaitFor([] {
			return RunTool({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).output.find("window id")
				!= std::string::npos;
		});
	}

	static void TearDownTestSuite()
	{
		delete windowManager;
		delete server;
		windowManager = nullptr;
		server = nullptr;
	}

	void SetUp() override
	{
		if (!ready)
			GTEST_SKIP() << "no Xvfb, openbox, xdotool, xwininfo or ImageMagick";
	}

	// The view's picture at `zoom` in a window at 1:1 size or zoomed: the bottom rows of
	// its content.
	static Picture ViewPicture(unsigned long window, int zoom = 1)
	{
		const XWindowGeometry geometry = Geometry(window);
		return Unzoomed(geometry.x, geometry.y + geometry.height - kHeight * zoom, zoom);
	}

	static inline XvfbServer* server = nullptr;
	static inline ChildProcess* windowManager = nullptr;
	static inline bool ready = false;

	TemporaryFolder runtime;
	TemporaryFolder files{"zoetra-files"};
};

// demo.fli has 64 frames and a ring frame: steps forward go through the ring (frame 1
// again) into the second pass, steps back retrace them exactly, and back from the first
// picture comes the last frame before the ring. Paused, the title shows the position and
// the player takes no CPU; resumed, the title is the name again. A drag out of a paused
// window carries the name alone.
TEST_F(PlayerKeysTest, PauseAndStepBothWaysThroughTheRingInPlayOrder)
{
	const std::string name = "steps.fli";
	PlayerProcess player(runtime.Path(), {files.Copy(kDemo, name)});
	const unsigned long window = WaitForWindow("^steps\\.fli$");
	ASSERT_NE(window, 0u) << (player.Running() ? "no window shown yet" : "the player ended");
	const std::vector<Picture> frames = FramesInPlayOrder(kDemo);
	constexpr int kCount = 64;
	ASSERT_EQ(frames.size(), size_t(2 * kCount + 1));
	ASSERT_TRUE(FocusWindow(window));

	Key(window, "space");
	const int pausedAt = WaitForPausedFrame(window, name, kCount);
	ASSERT_GE(pausedAt, 1);
	const Picture paused = ViewPicture(window);
	// Frame 1 is the first picture or the ring's, which is the same picture.
	EXPECT_TRUE(paused == frames[size_t(pausedAt - 1)]) << "frame " << pausedAt;
	const double cpuBefore = ProcessCpuSeconds(player.Pid());
	std::this_thread::sleep_for(3s);
	EXPECT_LT(ProcessCpuSeconds(player.Pid()) - cpuBefore, 0.15) << "paused, the player sleeps";
	EXPECT_TRUE(ViewPicture(window) == paused) << "the picture holds still";

	Key(window, "space");
	ASSERT_TRUE(WaitForTitle(window, name)) << "resumed, the title is the name";
	EXPECT_TRUE(WaitFor([&] { return ViewPicture(window) != paused; }, 5s)) << "it plays";

	// The step at `index` of the play order (0 is the first picture, kCount the ring, then
	// the second pass from frame 2) shows its title and its frame.
	const auto expectStep = [&](size_t index, const std::string& keys) {
		const int frame = index == size_t(kCount) ? 1 : int(index % kCount) + 1;
		Key(keys);
		ASSERT_TRUE(WaitForTitle(window, PausedTitle(name, frame, kCount)))
			<< "step " << index << " shows " << WindowName(window);
		EXPECT_TRUE(ViewPicture(window) == frames[index]) << "step " << index;
	};
	// A step while playing pauses first; Home keeps the pause and goes to the first picture.
	Key(window, "period");
	ASSERT_NE(WaitForPausedFrame(window, name, kCount), 0);
	expectStep(0, "Home");
	constexpr size_t kLastStep = kCount + 3;
	for (size_t index = 1; index <= kLastStep; index++)
		expectStep(index, index % 2 ? "period" : "Right");
	for (size_t index = kLastStep; index-- > 0;)
		expectStep(index, index % 2 ? "comma" : "Left");
	expectStep(kCount - 1, "comma");
	expectStep(kCount, "period");

	// Dragged out of the paused window, the animation plays in the other one from the
	// start, under the plain name; the source stays paused.
	Key(window, "ctrl+n");
	const unsigned long other = WaitForWindow("^Untitled 1$");
	ASSERT_NE(other, 0u);
	MoveWindow(other, 800, 400);
	std::this_thread::sleep_for(300ms);
	const XWindowGeometry from = Geometry(window);
	const XWindowGeometry to = Geometry(other);
	Drag(from.x + 160, from.y + from.height - 100, to.x + 160, to.y + to.height - 100);
	EXPECT_TRUE(WaitForTitle(other, name)) << WindowName(other);
	const Picture copied = ViewPicture(other);
	EXPECT_TRUE(WaitFor([&] { return ViewPicture(other) != copied; }, 5s)) << "the copy plays";
	EXPECT_EQ(WindowName(window), PausedTitle(name, 1, kCount));

	Key(window, "space");
	EXPECT_TRUE(WaitForTitle(window, name));
	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// Zoom, aspect and full screen on bounce.fli, checked after it has played on for a while,
// paused so that the picture holds still: exact nearest-neighbour pictures, black bars.
TEST_F(PlayerKeysTest, ZoomAspectAndFullScreenShowThePictureExactlyWithBlackBars)
{
	PlayerProcess player(runtime.Path(), {files.Copy(kBounce, "look.fli")});
	const unsigned long window = WaitForWindow("^look\\.fli$");
	ASSERT_NE(window, 0u);
	const std::vector<Picture> reference = FramesInPlayOrder(kBounce);
	const std::set<Picture> frames(reference.begin(), reference.end());
	ASSERT_TRUE(FocusWindow(window));
	const XWindowGeometry start = Geometry(window);
	ASSERT_EQ(start.width, kWidth);
	const int barHeight = start.height - kHeight;
	ASSERT_GT(barHeight, 0);
	// Plays on for a second (some thirty frames), then pauses.
	const auto playOnThenPause = [&] {
		Key(window, "space");
		ASSERT_TRUE(WaitForTitle(window, "look.fli"));
		std::this_thread::sleep_for(1s);
		Key(window, "space");
		ASSERT_NE(WaitForPausedFrame(window, "look.fli", 35), 0);
	};
	Key(window, "space");
	ASSERT_NE(WaitForPausedFrame(window, "look.fli", 35), 0);

	for (int zoom : {2, 3, 4, 1}) {
		SCOPED_TRACE("zoom " + std::to_string(zoom));
		Key(window, std::to_string(zoom));
		ASSERT_TRUE(WaitFor([&] { return Geometry(window).width == kWidth * zoom; }));
		const XWindowGeometry zoomed = Geometry(window);
		EXPECT_EQ(zoomed.height, barHeight + kHeight * zoom);
		EXPECT_EQ(zoomed.x, start.x) << "the window keeps its place";
		EXPECT_EQ(frames.count(ViewPicture(window, zoom)), 1u);
	}

	// A window wider than 8:5: the picture at 2x in the middle, black bars at its sides.
	Key(window, "2");
	ASSERT_TRUE(WaitFor([&] { return Geometry(window).width == 2 * kWidth; }));
	ASSERT_EQ(RunTool({"xdotool", "windowsize", std::to_string(window), "700",
						  std::to_string(barHeight + 2 * kHeight)})
				  .status,
		0);
	ASSERT_TRUE(WaitFor([&] { return Geometry(window).width == 700; }));
	Key(window, "a");
	playOnThenPause();
	XWindowGeometry wide = Geometry(window);
	const int viewTop = wide.y + barHeight;
	EXPECT_EQ(frames.count(Unzoomed(wide.x + 30, viewTop, 2)), 1u) << "8:5, centred";
	EXPECT_TRUE(AllBlack(Grab(wide.x, viewTop, 30, 2 * kHeight))) << "left bar";
	EXPECT_TRUE(AllBlack(Grab(wide.x + 670, viewTop, 30, 2 * kHeight))) << "right bar";
	// 4:3 in 700x400 is 533 wide, from column 83; then back to stretched, without bars.
	Key(window, "a");
	playOnThenPause();
	EXPECT_TRUE(AllBlack(Grab(wide.x, viewTop, 83, 2 * kHeight))) << "4:3 left bar";
	EXPECT_TRUE(AllBlack(Grab(wide.x + 616, viewTop, 84, 2 * kHeight))) << "4:3 right bar";
	EXPECT_FALSE(AllBlack(Grab(wide.x + 83, viewTop, 533, 2 * kHeight)));
	Key(window, "a");
	playOnThenPause();
	EXPECT_FALSE(AllBlack(Grab(wide.x, viewTop, 30, 2 * kHeight))) << "stretched: no bars";

	// Full screen: no frame and no menu bar; 1600x1000 is 320x200 five times over.
	Key(window, "f");
	ASSERT_TRUE(WaitFor([&] { return Geometry(window).width == kScreenWidth; }));
	const XWindowGeometry full = Geometry(window);
	EXPECT_EQ(full.x, 0);
	EXPECT_EQ(full.y, 0);
	EXPECT_EQ(full.height, kScreenHeight);
	playOnThenPause();
	EXPECT_EQ(frames.count(Unzoomed(0, 0, 5)), 1u) << "exact at 5x";
	// 4:3 on 1600x1000: 1333 wide from column 133.
	Key(window, "a");
	Key(window, "a");
	playOnThenPause();
	EXPECT_TRUE(AllBlack(Grab(0, 0, 133, kScreenHeight)));
	EXPECT_TRUE(AllBlack(Grab(1466, 0, 134, kScreenHeight)));
	Key(window, "a");

	// Escape leaves full screen for the window as it was; 1 then leaves it for 1x.
	Key(window, "Escape");
	ASSERT_TRUE(WaitFor([&] { return Geometry(window).width == 700; }));
	wide = Geometry(window);
	EXPECT_EQ(wide.x, start.x);
	EXPECT_EQ(wide.height, barHeight + 2 * kHeight) << "the menu bar is back";
	Key(window, "F11");
	ASSERT_TRUE(WaitFor([&] { return Geometry(window).width == kScreenWidth; }));
	Key(window, "1");
	ASSERT_TRUE(WaitFor([&] { return Geometry(window).width == kWidth; }));
	EXPECT_EQ(Geometry(window).height, start.height);
	EXPECT_EQ(Geometry(window).x, start.x);
	EXPECT_EQ(frames.count(ViewPicture(window)), 1u);

	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// The menu and the About box from the keyboard, and the open panel accepted with Return:
// the window's shortcuts and menu work after it, and the panel comes back in the folder of
// that file with its name field selected, so a bare name typed over it opens.
TEST_F(PlayerKeysTest, MenuAboutAndOpenPanelAnswerTheKeyboard)
{
	PlayerProcess player(runtime.Path(), {});
	const unsigned long window = WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, 0u);

	// The menu opens with nothing chosen: New, Open..., Close, About Zoetra...
	Key(window, "F10");
	std::this_thread::sleep_for(300ms);
	Key("Down Down Down Down Return");
	const unsigned long about = WaitForWindow("^About Zoetra$");
	ASSERT_NE(about, 0u);
	Key(about, "Escape");
	ASSERT_TRUE(WaitUntilGone("^About Zoetra$"));

	TemporaryFolder elsewhere;
	const std::string first = elsewhere.Copy(kBounce, "first.fli");
	elsewhere.Copy(kDemo, "second.fli");
	const auto typeInPanel = [&](const std::string& text) {
		Key(window, "ctrl+o");
		const unsigned long panel = WaitForWindow("^Open$");
		ASSERT_NE(panel, 0u) << "Ctrl+O opens the panel";
		ASSERT_TRUE(FocusWindow(panel));
		std::this_thread::sleep_for(300ms);
		ASSERT_TRUE(TypeText(text));
		std::this_thread::sleep_for(300ms);
		ASSERT_TRUE(Key("Return"));
		ASSERT_TRUE(WaitUntilGone("^Open$"));
	};
	typeInPanel(first);
	ASSERT_TRUE(WaitForTitle(window, "first.fli"));
	typeInPanel("second.fli");
	EXPECT_TRUE(WaitForTitle(window, "second.fli"));

	// A click on File opens the menu; Up twice is About Zoetra...
	const XWindowGeometry geometry = Geometry(window);
	ASSERT_TRUE(Click(geometry.x + 20, geometry.y + 8));
	std::this_thread::sleep_for(300ms);
	Key("Up Up Return");
	EXPECT_NE(WaitForWindow("^About Zoetra$"), 0u) << "the menu answers clicks";

	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

} // namespace
