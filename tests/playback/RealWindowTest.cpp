// The demo animation in a real window on Xvfb: it loops through its ring frame, shows
// what it decoded, stops within one frame, and drags a copy into another window.
#include <gtest/gtest.h>

#include <Errors.h>

#include <AnimationBuffers.h>

#include "fli/Format.h"
#include "fli/FrameWalk.h"

#include <cstring>

#include "DisplayHarness.h"
#include "PlaybackHarness.h"
#include "WaitFor.h"
#include "XDesktop.h"
#include "XvfbServer.h"

using namespace zoetra::testing;

namespace {

class RealWindow : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (!OnRealDisplay())
			GTEST_SKIP() << "Xvfb is not installed";
		demo = DemoFile();
		ASSERT_GT(demo.size(), fli::kFileHeaderSize);
		frameCount = fli::FrameWalk(demo.data(), uint32_t(demo.size())).FrameCount();
		ASSERT_GT(frameCount, 1);
	}

	// The window's content area on the X screen.
	XWindowGeometry Where(const char* title)
	{
		XWindowGeometry geometry;
		const unsigned long id = FindWindow(title);
		EXPECT_NE(id, 0u) << title;
		EXPECT_TRUE(id != 0 && WindowGeometry(id, geometry));
		return geometry;
	}

	std::vector<unsigned char> demo;
	int frameCount = 0;
};

// How many pixels of the screen differ from the frame buffer scaled to width x height.
int DifferingPixels(const std::vector<uint32_t>& screen, const uint32* frame, int width, int height)
{
	int wrong = 0;
	for (int y = 0; y < height; y++)
		for (int x = 0; x < width; x++) {
			const uint32 expected = frame[(y * 200 / height) * 320 + x * 320 / width] | 0xff000000u;
			if (screen[size_t(y) * size_t(width) + size_t(x)] != expected)
				wrong++;
		}
	return wrong;
}

// Waits (bounded) until the screen at `area` shows the frame buffer scaled to width x
// height; how many pixels differed in the last look.
int PixelsOffScreen(const XWindowGeometry& area, const uint32* frame, int width, int height)
{
	std::vector<uint32_t> screen;
	int wrong = -1;
	WaitFor(
		[&] {
			if (!Screenshot(area.x, area.y, width, height, screen))
				return false;
			wrong = DifferingPixels(screen, frame, width, height);
			return wrong == 0;
		},
		std::chrono::seconds(10));
	return wrong;
}

} // namespace

TEST_F(RealWindow, PlaysTheDemoThroughItsRingFrameAndStopsWithinAFrame)
{
	OpenWindow window = Open("Demo", BRect(100, 100, 419, 299));
	ProbeView* view = window->View();
	const size_t ring = size_t(frameCount);
	view->KeepPicturesAfter({0, ring, ring + 1});
	view->SetData(HeapCopy(demo), demo.size());

	// The first pass, the ring frame last, then the second pass from frame 1.
	ASSERT_TRUE(view->WaitForFrames(ring + 3, std::chrono::seconds(30)));
	const auto offsets = FrameOffsets(demo, frameCount + 1);
	const auto decoded = view->DecodedOffsets();
	for (size_t i = 0; i <= ring; i++)
		ASSERT_EQ(decoded[i], offsets[i]) << "frame " << i << " of the first pass";
	EXPECT_EQ(decoded[ring + 1], offsets[1]);
	EXPECT_EQ(decoded[ring + 2], offsets[2]);
	EXPECT_EQ(view->PictureAfter(ring), view->PictureAfter(0))
		<< "the ring frame brings back the first picture";
	EXPECT_NE(view->PictureAfter(ring + 1), view->PictureAfter(0)) << "the second pass moves on";

	const size_t framesBefore = view->DecodedFrames().size();
	const bigtime_t asked = system_time();
	view->Stop();
	const bigtime_t took = system_time() - asked;
	EXPECT_LE(view->DecodedFrames().size(), framesBefore + 1)
		<< "more than one frame after the stop";
	// One frame delay plus one frame's decode and draw, with a generous margin.
	EXPECT_LT(took, fli::FrameDelayMicroseconds(2) + 1000000);

	// The picture of a stopped view stays on screen, and follows the window's size.
	const XWindowGeometry area = Where("Demo");
	ASSERT_EQ(PixelsOffScreen(area, view->Pixels(), 320, 200), 0);
	ASSERT_TRUE(window->Lock());
	window->ResizeTo(639, 399);
	window->Unlock();
	ASSERT_EQ(PixelsOffScreen(area, view->Pixels(), 640, 400), 0) << "at 2x";
	EXPECT_TRUE(Close(window));
}

TEST_F(RealWindow, AClickDragsThePlayingAnimationToAnotherWindowOnly)
{
	OpenWindow source = Open("Drag source", BRect(50, 50, 369, 249));
	OpenWindow target = Open("Drop target", BRect(500, 50, 819, 249));
	source->View()->SetData(HeapCopy(demo), demo.size());
	ASSERT_TRUE(source->View()->WaitForFrames(1));
	const XWindowGeometry from = Where("Drag source");
	const XWindowGeometry to = Where("Drop target");

	ProbeView* view = source->View();
	auto drag = [view](int fromX, int toX, int y) {
		view->mouseLog.Clear();
		EXPECT_TRUE(MoveMouse(fromX, y));
		EXPECT_TRUE(MouseDown());
		EXPECT_TRUE(view->mouseLog.WaitFor("mouse down"));
		// The drag needs motion to begin, and each step seen by the X server.
		// (A move to where the pointer already is would never be confirmed.)
		for (int x = fromX + 20; x < toX; x += 20)
			EXPECT_TRUE(MoveMouse(x, y + (x % 40 == 0 ? 1 : 0)));
		EXPECT_TRUE(MoveMouse(toX, y + 2));
		EXPECT_TRUE(MouseUp());
	};
	// Within its own window a drop is ignored; on the other it reaches the kill looper.
	drag(from.x + 60, from.x + 250, from.y + 100);
	drag(from.x + 60, to.x + 160, from.y + 100);
	ASSERT_TRUE(target->Looper()->log.WaitFor("FLdg"));
	EXPECT_TRUE(source->Looper()->Received().empty()) << "the drop on its own window went on";
	const auto received = target->Looper()->Received();
	ASSERT_EQ(received.size(), 1u);
	const char* title = nullptr;
	EXPECT_EQ(received[0].FindString("title", &title), B_OK);
	EXPECT_STREQ(title, "Drag source");
	uint8* copy = nullptr;
	uint32 size = 0;
	ASSERT_EQ(CopyAnimation(&received[0], &copy, &size), B_OK);
	ASSERT_EQ(size, demo.size());
	EXPECT_EQ(std::memcmp(copy, demo.data(), size), 0);
	target->View()->SetData(copy, size);
	EXPECT_TRUE(target->View()->WaitForFrames(2)) << "the target plays its copy";
	EXPECT_TRUE(Close(source));
	EXPECT_TRUE(target->View()->WaitForFrames(4)) << "closing the source leaves the copy playing";
	EXPECT_TRUE(Close(target));
}
