// The demo program built on the kits alone, run on a real X server and used as a user would.
#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "WaitFor.h"
#include "XDesktop.h"
#include "XvfbTest.h"

using namespace zoetra::testing;

namespace {

class KitDemo : public XvfbTest {};

// Presses keys in a window until the program answers with `line`.
bool PressUntil(
	ChildProcess& demo, unsigned long window, const std::string& keys, const std::string& line)
{
	for (int attempt = 0; attempt < 5; attempt++) {
		if (!FocusWindow(window) || !Key(keys))
			return false;
		if (demo.WaitForLine(line, std::chrono::milliseconds(1500)))
			return true;
	}
	return false;
}

TEST_F(KitDemo, WindowsMenusPictureAlertPanelAndDragWorkTogether)
{
	// A private runtime folder: single launch must not reach another instance.
	TemporaryFolder runtime("zoetra-demo-runtime");
	ASSERT_NE(runtime.Path(), "");
	ChildProcess demo({KIT_DEMO_PATH}, {.environment = {"ZOETRA_RUNTIME_DIR=" + runtime.Path()}});
	ASSERT_TRUE(demo.Started());
	ASSERT_TRUE(demo.WaitForLine("ready"));
	const unsigned long a = FindWindow("Kit demo A");
	const unsigned long b = FindWindow("Kit demo B");
	ASSERT_NE(a, 0u);
	ASSERT_NE(b, 0u);
	XWindowGeometry geometry;
	ASSERT_TRUE(WindowGeometry(a, geometry));
	EXPECT_EQ(geometry.x, 60);
	EXPECT_EQ(geometry.y, 60);
	EXPECT_EQ(geometry.width, 320);
	const int barRows = geometry.height - 200;
	EXPECT_GT(barRows, 10) << "no room for the menu bar";

	// The picture under the menu bar, exactly as the demo computes it.
	std::vector<uint32_t> picture;
	ASSERT_TRUE(WaitFor([&] {
		return Screenshot(60, 60 + barRows, 320, 200, picture)
			&& picture[199 * 320 + 319] == 0xffffff06u;
	})) << "the picture did not reach the screen";
	for (int y = 0; y < 200; y += 7)
		for (int x = 0; x < 320; x += 5) {
			const uint32_t expected = 0xff000000u | uint32_t(x * 255 / 319) << 16
				| uint32_t(y * 255 / 199) << 8 | uint32_t((x + y) & 0xff);
			ASSERT_EQ(picture[size_t(y * 320 + x)], expected) << x << "," << y;
		}
	SaveScreen(std::string(ZOETRA_BUILD_DIR) + "/tests/kit-demo.png");

	// Drag from A's picture to B's.
	ASSERT_TRUE(MoveMouse(200, 160));
	ASSERT_TRUE(MouseDown());
	for (int x = 210; x <= 620; x += 25)
		ASSERT_TRUE(MoveMouse(x, 160 + (x / 25) % 2));
	ASSERT_TRUE(MouseUp());
	EXPECT_TRUE(demo.WaitForLine("dropped DEMO from Kit demo A"));
	EXPECT_NE(FindWindow("Kit demo B: got drop"), 0u);

	// The alert from the menu's shortcut; Return presses its last button.
	ASSERT_TRUE(FocusWindow(a));
	ASSERT_TRUE(Key("ctrl+a"));
	const unsigned long alert = FindWindow("Kit demo alert");
	ASSERT_NE(alert, 0u);
	SaveScreen(std::string(ZOETRA_BUILD_DIR) + "/tests/kit-demo-alert.png");
	EXPECT_TRUE(PressUntil(demo, alert, "Return", "alert answered 1"));

	// The open panel: type a name, and the choice comes back as refs.
	TemporaryFolder folder("zoetra-demo");
	const std::string file = folder.Write("picked.fli", "x");
	ASSERT_TRUE(FocusWindow(a));
	ASSERT_TRUE(Key("ctrl+o"));
	const unsigned long panel = FindWindow("Open");
	ASSERT_NE(panel, 0u);
	ASSERT_TRUE(FocusWindow(panel));
	ASSERT_TRUE(TypeText(file));
	SaveScreen(std::string(ZOETRA_BUILD_DIR) + "/tests/kit-demo-panel.png");
	EXPECT_TRUE(PressUntil(demo, panel, "Return", "opened picked.fli"));

	// Quit from the keyboard ends the program cleanly. A click makes B the active window
	// again (the X focus alone may already sit there, so giving it changes nothing for Qt).
	int status = -1;
	for (int attempt = 0; attempt < 5 && status == -1; attempt++) {
		ASSERT_TRUE(Click(600, 200));
		ASSERT_TRUE(Key("ctrl+q"));
		status = demo.WaitForExit(std::chrono::seconds(3));
	}
	EXPECT_EQ(status, 0);
	EXPECT_TRUE(demo.WaitForLine("quit", std::chrono::milliseconds(100)));
}

} // namespace
