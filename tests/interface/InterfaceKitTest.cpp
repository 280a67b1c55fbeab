// The interface kit offscreen: drawing, geometry, resizing modes, fonts, menus, routing, drops.
#include <gtest/gtest.h>

#include <Application.h>
#include <Bitmap.h>
#include <Box.h>
#include <Font.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <Screen.h>
#include <View.h>
#include <Window.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "DisplayHarness.h"
#include "DisplayProbe.h"
#include "DisplayServer.h"
#include "DisplayWindow.h"
#include "KitTestWindows.h"
#include "private/interface/WindowPrivate.h"
#include "TemporaryFolder.h"
#include "WaitFor.h"
#include "Watchdog.h"

using namespace zoetra::testing;
namespace probe = zoetra::display::probe;

namespace {

zoetra::display::DisplayWindow& Native(BWindow* window)
{
	return BPrivate::WindowPrivate::Display(window);
}

// A bitmap whose every pixel differs from its neighbours, with a junk fourth byte.
void FillPattern(BBitmap& bitmap)
{
	auto* bits = static_cast<uint32*>(bitmap.Bits());
	const int32 width = bitmap.BytesPerRow() / 4;
	const int32 height = bitmap.BitsLength() / bitmap.BytesPerRow();
	for (int32 y = 0; y < height; y++)
		for (int32 x = 0; x < width; x++)
			bits[y * width + x] =
				uint32(x * 0x010203 + y * 0x030201) ^ 0x5a000000u ^ uint32(y << 24);
}

probe::NativeSnapshot Shot(BWindow* window, bool pixels)
{
	probe::NativeSnapshot shot;
	EXPECT_TRUE(probe::Snapshot(Native(window), shot, pixels));
	return shot;
}

class InterfaceKit : public ::testing::Test {
protected:
	static void SetUpTestSuite() { UseOffscreenPlatform(); }
};

// A window that shows one transparent view filling it, for drawing tests.
struct PictureWindow {
	EventLog log;
	LoggingWindow* window;
	LoggingView* view;

	explicit PictureWindow(BRect frame)
	{
		window = new LoggingWindow(frame, "Picture", log);
		view = new LoggingView(window->Bounds(), "picture", B_FOLLOW_ALL_SIDES, log, B_WILL_DRAW);
		view->SetViewColor(B_TRANSPARENT_32_BIT);
		window->AddChild(view);
		window->Show();
		EXPECT_TRUE(WaitFor([&] { return Native(window).IsExposed(); }));
	}
	~PictureWindow() { EXPECT_TRUE(QuitAndWait(window, log)); }
};

TEST_F(InterfaceKit, DrawBitmapPutsExactPixelsOnScreenAtOneTwoAndThreeAndAHalfTimes)
{
	RunWithDisplay([] {
		BBitmap bitmap(BRect(0, 0, 319, 199), B_RGB32);
		ASSERT_EQ(bitmap.InitCheck(), B_OK);
		ASSERT_EQ(bitmap.BytesPerRow(), 1280);
		FillPattern(bitmap);
		const auto* source = static_cast<const uint32*>(bitmap.Bits());
		PictureWindow picture(BRect(0, 0, 319, 199));
		for (const float scale : {1.0f, 2.0f, 3.5f}) {
			const int32 width = int32(320 * scale), height = int32(200 * scale);
			ASSERT_TRUE(picture.window->Lock());
			picture.window->ResizeTo(float(width - 1), float(height - 1));
			picture.view->DrawBitmap(&bitmap, picture.view->Bounds());
			picture.view->Sync();
			picture.window->Unlock();
			const probe::NativeSnapshot shot = Shot(picture.window, true);
			ASSERT_EQ(shot.width, width);
			ASSERT_EQ(shot.height, height);
			int wrong = 0;
			for (int32 y = 0; y < height; y++)
				for (int32 x = 0; x < width; x++) {
					const int64 sx = int64(x) * 320 / width, sy = int64(y) * 200 / height;
					const uint32 expected = source[sy * 320 + sx] | 0xff000000u;
					if (shot.pixels[size_t(y) * size_t(width) + size_t(x)] != expected
						&& wrong++ < 3)
						ADD_FAILURE() << "scale " << scale << " pixel " << x << "," << y;
				}
			EXPECT_EQ(wrong, 0) << "scale " << scale;
		}
	});
}

TEST_F(InterfaceKit, DrawingIsClippedToTheViewAndFillsOnlyWhatItCovers)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(10, 10, 109, 109), "Clip", log);
		auto* inner = new LoggingView(BRect(20, 30, 59, 49), "inner", B_FOLLOW_NONE, log);
		inner->SetViewColor(0, 0, 255);
		window->AddChild(inner);
		window->Show();
		// The window's own first update would paint over what is drawn before it.
		ASSERT_TRUE(log.WaitFor("inner draw"));
		ASSERT_TRUE(window->Lock());
		inner->SetHighColor(255, 0, 0);
		inner->FillRect(BRect(-100, -100, 500, 500));
		inner->SetHighColor(0, 255, 0);
		inner->StrokeRect(BRect(2, 2, 5, 5));
		window->Sync();
		window->Unlock();
		const probe::NativeSnapshot shot = Shot(window, true);
		auto at = [&](int x, int y) { return shot.pixels[size_t(y * shot.width + x)]; };
		EXPECT_EQ(at(20, 30), 0xffff0000u);
		EXPECT_EQ(at(59, 49), 0xffff0000u);
		EXPECT_EQ(at(19, 30), 0xffffffffu) << "drawing leaked left of the view";
		EXPECT_EQ(at(60, 49), 0xffffffffu) << "drawing leaked right of the view";
		EXPECT_EQ(at(59, 50), 0xffffffffu) << "drawing leaked below the view";
		EXPECT_EQ(at(22, 32), 0xff00ff00u);
		EXPECT_EQ(at(25, 35), 0xff00ff00u);
		EXPECT_EQ(at(23, 33), 0xffff0000u) << "StrokeRect filled its inside";
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, ViewColourIsPaintedBeforeDrawUnlessTransparent)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(0, 0, 99, 49), "Colours", log);
		auto* painted = new LoggingView(BRect(0, 0, 49, 49), "painted", B_FOLLOW_NONE, log);
		auto* clear = new LoggingView(BRect(50, 0, 99, 49), "clear", B_FOLLOW_NONE, log);
		painted->SetViewColor(10, 20, 30);
		clear->SetViewColor(B_TRANSPARENT_32_BIT);
		window->AddChild(painted);
		window->AddChild(clear);
		window->Show();
		ASSERT_TRUE(log.WaitFor("painted draw"));
		ASSERT_TRUE(log.WaitFor("clear draw"));
		ASSERT_TRUE(window->Lock());
		window->Sync();
		window->Unlock();
		const probe::NativeSnapshot shot = Shot(window, true);
		EXPECT_EQ(shot.pixels[size_t(10 * shot.width + 10)], 0xff0a141eu);
		EXPECT_EQ(shot.pixels[size_t(10 * shot.width + 70)], 0xffffffffu)
			<< "a transparent view was painted";
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, GeometryRoundTripsAndBoundsHoldAtOnce)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(150, 100, 469, 349), "Geometry", log);
		window->Show();
		ASSERT_TRUE(window->Lock());
		window->ResizeTo(319, 221);
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 319, 221));
		window->MoveTo(200, 120);
		EXPECT_EQ(window->Frame(), BRect(200, 120, 519, 341));
		window->Unlock();
		const probe::NativeSnapshot shot = Shot(window, false);
		EXPECT_EQ(shot.width, 320);
		EXPECT_EQ(shot.height, 222);
		EXPECT_EQ(shot.x, 200);
		EXPECT_EQ(shot.y, 120);
		EXPECT_EQ(shot.title, "Geometry");
		ASSERT_TRUE(window->Lock());
		window->SetSizeLimits(100, 400, 100, 300);
		window->ResizeTo(50, 1000);
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 100, 300)) << "ResizeTo ignored the size limits";
		window->SetTitle("Renamed");
		EXPECT_STREQ(window->Title(), "Renamed");
		window->Unlock();
		EXPECT_EQ(Shot(window, false).title, "Renamed");
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

// A point and a rectangle go the same way through a view, its parent, its window and the
// screen, and back; the tree answers by name and by point; moving, resizing, hiding,
// focusing and removing a view change only what they name.
TEST_F(InterfaceKit, ViewTreeAndCoordinatesAgreeAcrossParentWindowAndScreen)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new BWindow(BRect(100, 50, 299, 149), "Tree", B_TITLED_WINDOW, 0);
		auto* parent = new BView(BRect(10, 20, 109, 89), "parent", B_FOLLOW_NONE, 0);
		auto* child = new BView(BRect(5, 5, 24, 14), "child", B_FOLLOW_NONE, 0);
		window->AddChild(parent);
		parent->AddChild(child);
		window->Show();
		ASSERT_TRUE(window->Lock());

		EXPECT_EQ(child->ConvertToParent(BPoint(1, 1)), BPoint(6, 6));
		EXPECT_EQ(child->ConvertFromParent(BPoint(6, 6)), BPoint(1, 1));
		EXPECT_EQ(child->ConvertToParent(BRect(0, 0, 2, 2)), BRect(5, 5, 7, 7));
		EXPECT_EQ(child->ConvertFromParent(BRect(5, 5, 7, 7)), BRect(0, 0, 2, 2));
		BPoint point(1, 1);
		child->ConvertToScreen(&point);
		EXPECT_EQ(point, BPoint(100 + 10 + 5 + 1, 50 + 20 + 5 + 1));
		child->ConvertFromScreen(&point);
		EXPECT_EQ(point, BPoint(1, 1));
		BRect rect(0, 0, 2, 2);
		child->ConvertToScreen(&rect);
		EXPECT_EQ(rect, BRect(115, 75, 117, 77));
		EXPECT_EQ(child->ConvertFromScreen(rect), BRect(0, 0, 2, 2));
		BPoint windowPoint(15, 25);
		window->ConvertToScreen(&windowPoint);
		EXPECT_EQ(windowPoint, BPoint(115, 75));
		window->ConvertFromScreen(&windowPoint);
		EXPECT_EQ(windowPoint, BPoint(15, 25));

		EXPECT_EQ(window->FindView("child"), child);
		EXPECT_EQ(window->FindView("nothing"), nullptr);
		EXPECT_EQ(window->FindView(BPoint(16, 26)), child);
		EXPECT_EQ(window->FindView(BPoint(12, 22)), parent);
		EXPECT_EQ(child->Parent(), parent);
		EXPECT_EQ(parent->Parent(), nullptr) << "a view added to the window has no parent view";

		child->MoveBy(2, 3);
		child->ResizeBy(10, 5);
		EXPECT_EQ(child->Frame(), BRect(7, 8, 36, 22));
		child->Hide();
		EXPECT_TRUE(child->IsHidden());
		EXPECT_EQ(window->FindView(BPoint(18, 29)), parent) << "a hidden view is not found";
		child->Show();
		EXPECT_FALSE(child->IsHidden());
		child->MakeFocus(true);
		EXPECT_TRUE(child->IsFocus());
		EXPECT_EQ(window->CurrentFocus(), child);
		EXPECT_TRUE(child->RemoveSelf());
		EXPECT_EQ(parent->CountChildren(), 0);
		EXPECT_EQ(child->Window(), nullptr);
		EXPECT_EQ(window->CurrentFocus(), nullptr) << "focus leaves with the view";
		delete child;

		window->SetSizeLimits(50, 400, 40, 300);
		float minWidth = 0, maxWidth = 0, minHeight = 0, maxHeight = 0;
		window->GetSizeLimits(&minWidth, &maxWidth, &minHeight, &maxHeight);
		EXPECT_EQ(BRect(minWidth, minHeight, maxWidth, maxHeight), BRect(50, 40, 400, 300));
		window->SetZoomLimits(250, 120);
		window->GetZoomLimits(&maxWidth, &maxHeight);
		EXPECT_EQ(BPoint(maxWidth, maxHeight), BPoint(250, 120));
		window->MoveBy(10, -10);
		window->ResizeBy(20, 10);
		EXPECT_EQ(window->Frame(), BRect(110, 40, 329, 149));
		window->ResizeBy(1000, 1000);
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 400, 300)) << "ResizeBy keeps to the limits";
		window->Activate(true);
		window->Unlock();
		EXPECT_TRUE(WaitFor([&] {
			const bool active = window->Lock() && window->IsActive();
			window->Unlock();
			return active;
		})) << "the display's activation reaches the window";
		ASSERT_TRUE(window->Lock());
		EXPECT_FALSE(window->IsMinimized());
		window->Minimize(true);
		EXPECT_TRUE(window->IsMinimized());
		const thread_id thread = window->Thread();
		window->Quit();
		status_t exitValue;
		EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	});
}

// The drawing state a view keeps: low colour, drawing mode, flags, font size and height,
// the pen after lines and text; and a bitmap drawn at its own size or at a point.
TEST_F(InterfaceKit, DrawingStateIsKeptAndBitmapsLandWhereAsked)
{
	RunWithDisplay([] {
		PictureWindow picture(BRect(0, 0, 99, 59));
		BView* view = picture.view;
		BBitmap bitmap(BRect(0, 0, 9, 9), B_RGB32);
		ASSERT_EQ(bitmap.InitCheck(), B_OK);
		FillPattern(bitmap);
		ASSERT_TRUE(picture.window->Lock());
		view->SetLowColor(1, 2, 3, 255);
		const rgb_color low = view->LowColor();
		EXPECT_EQ(low.red + low.green * 256 + low.blue * 65536, 1 + 2 * 256 + 3 * 65536);
		view->SetDrawingMode(B_OP_OVER);
		EXPECT_EQ(view->DrawingMode(), B_OP_OVER);
		view->SetFlags(B_WILL_DRAW | B_FRAME_EVENTS);
		EXPECT_EQ(view->Flags(), uint32(B_WILL_DRAW | B_FRAME_EVENTS));
		view->SetFontSize(20);
		BFont font;
		view->GetFont(&font);
		EXPECT_EQ(font.Size(), 20);
		font_height height;
		view->GetFontHeight(&height);
		EXPECT_GT(height.ascent + height.descent, 10);

		view->MovePenTo(5, 5);
		view->MovePenBy(10, 20);
		EXPECT_EQ(view->PenLocation(), BPoint(15, 25));
		view->StrokeLine(BPoint(40, 25));
		EXPECT_EQ(view->PenLocation(), BPoint(40, 25));
		view->SetFontSize(12);
		view->DrawString("Z", BPoint(60, 40));
		EXPECT_NEAR(view->PenLocation().x, 60 + view->StringWidth("Z"), 0.01f);

		view->DrawBitmap(&bitmap);
		view->DrawBitmap(&bitmap, BPoint(80, 40));
		view->Flush();
		picture.window->Sync();
		picture.window->Unlock();
		const probe::NativeSnapshot shot = Shot(picture.window, true);
		const auto* bits = static_cast<const uint32*>(bitmap.Bits());
		for (int y = 0; y < 10; y++)
			for (int x = 0; x < 10; x++) {
				const uint32 expected = (bits[y * 10 + x] & 0xffffffu) | 0xff000000u;
				ASSERT_EQ(shot.pixels[size_t(y * shot.width + x)], expected) << x << "," << y;
				ASSERT_EQ(shot.pixels[size_t((40 + y) * shot.width + 80 + x)], expected)
					<< x << "," << y << " at (80, 40)";
			}
	});
}

TEST_F(InterfaceKit, ViewsFollowTheWindowEdgesAsTheirResizingModesSay)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(0, 0, 199, 99), "Modes", log);
		auto* all = new LoggingView(BRect(0, 20, 199, 99), "all", B_FOLLOW_ALL_SIDES, log);
		auto* bar =
			new LoggingView(BRect(0, 0, 199, 19), "bar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, log);
		auto* corner = new LoggingView(
			BRect(180, 80, 199, 99), "corner", B_FOLLOW_RIGHT | B_FOLLOW_BOTTOM, log);
		auto* centre = new LoggingView(
			BRect(90, 40, 109, 59), "centre", B_FOLLOW_H_CENTER | B_FOLLOW_V_CENTER, log);
		auto* pinned =
			new LoggingView(BRect(5, 5, 14, 14), "pinned", B_FOLLOW_LEFT | B_FOLLOW_TOP, log);
		auto* child = new LoggingView(BRect(10, 10, 189, 69), "child", B_FOLLOW_ALL_SIDES, log);
		for (BView* view :
			{static_cast<BView*>(all), static_cast<BView*>(bar), static_cast<BView*>(corner),
				static_cast<BView*>(centre), static_cast<BView*>(pinned)})
			window->AddChild(view);
		all->AddChild(child);
		window->Show();
		ASSERT_TRUE(window->Lock());
		window->ResizeTo(299, 159);
		EXPECT_EQ(all->Frame(), BRect(0, 20, 299, 159));
		EXPECT_EQ(bar->Frame(), BRect(0, 0, 299, 19));
		EXPECT_EQ(corner->Frame(), BRect(280, 140, 299, 159));
		EXPECT_EQ(centre->Frame(), BRect(140, 70, 159, 89));
		EXPECT_EQ(pinned->Frame(), BRect(5, 5, 14, 14));
		EXPECT_EQ(child->Frame(), BRect(10, 10, 289, 129))
			<< "a grandchild did not follow its parent";
		EXPECT_EQ(child->Bounds(), BRect(0, 0, 279, 119));
		window->Unlock();
		EXPECT_TRUE(log.Has("all resized 299x139"));
		EXPECT_TRUE(log.Has("child resized 279x119"));
		EXPECT_FALSE(log.Has("pinned resized 9x9")) << "a view whose size stayed heard of a resize";
		EXPECT_TRUE(log.WaitFor("all draw")) << "a resized view was not drawn again";
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, UserResizeReachesTheWindowAndItsViews)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(0, 0, 99, 99), "User", log);
		window->AddChild(new LoggingView(window->Bounds(), "all", B_FOLLOW_ALL_SIDES, log));
		window->Show();
		ASSERT_TRUE(probe::UserResize(Native(window), 150, 120));
		EXPECT_TRUE(log.WaitFor("window resized 149x119"));
		EXPECT_TRUE(log.WaitFor("all resized 149x119"));
		EXPECT_EQ(window->Bounds(), BRect(0, 0, 149, 119));
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, FontsMeasureInPixelsAndKeepTheirFamilyForAnUnknownOne)
{
	RunWithDisplay([] {
		font_family family;
		font_style style;
		be_plain_font->GetFamilyAndStyle(&family, &style);
		EXPECT_STREQ(family, "DejaVu Sans");
		be_bold_font->GetFamilyAndStyle(&family, &style);
		EXPECT_STREQ(style, "Bold");

		BFont heading;
		heading.SetSize(24);
		EXPECT_EQ(heading.SetFamilyAndStyle("CopprplGoth Bd BT", "Bold"), B_NAME_NOT_FOUND);
		heading.GetFamilyAndStyle(&family, &style);
		EXPECT_STREQ(family, "DejaVu Sans") << "an unknown family replaced the font's family";
		EXPECT_EQ(heading.Size(), 24.0f);

		font_height plain, large;
		be_plain_font->GetHeight(&plain);
		heading.GetHeight(&large);
		EXPECT_GT(plain.ascent, 8.0f);
		EXPECT_GT(plain.descent, 1.0f);
		EXPECT_GE(plain.leading, 0.0f);
		EXPECT_NEAR(large.ascent, 2 * plain.ascent, 1.5f) << "sizes are not proportional";
		EXPECT_LT(plain.ascent + plain.descent, 18.0f)
			<< "12 points measured as more than 12 pixels";

		EXPECT_EQ(be_plain_font->StringWidth(""), 0.0f);
		EXPECT_LT(be_plain_font->StringWidth("iii"), be_plain_font->StringWidth("WWW"));
		EXPECT_NEAR(heading.StringWidth("Zoetra"), 2 * be_plain_font->StringWidth("Zoetra"), 3.0f);
		EXPECT_EQ(heading.StringWidth("Zoetra", 3), heading.StringWidth("Zoe"));

		BFont serif;
		EXPECT_EQ(serif.SetFamilyAndStyle("DejaVu Serif", "Bold"), B_OK);
		serif.GetFamilyAndStyle(&family, &style);
		EXPECT_STREQ(family, "DejaVu Serif");
	});
}

TEST_F(InterfaceKit, DrawStringPaintsTheHighColourAtThePenAndAdvancesIt)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(0, 0, 199, 49), "Text", log);
		auto* view = new LoggingView(window->Bounds(), "text", B_FOLLOW_ALL_SIDES, log);
		window->AddChild(view);
		window->Show();
		ASSERT_TRUE(log.WaitFor("text draw"));
		ASSERT_TRUE(window->Lock());
		view->SetHighColor(0, 0, 0);
		view->MovePenTo(10, 30);
		view->DrawString("Zoetra");
		const BPoint pen = view->PenLocation();
		EXPECT_NEAR(pen.x, 10 + view->StringWidth("Zoetra"), 0.01f);
		window->Sync();
		window->Unlock();
		const probe::NativeSnapshot shot = Shot(window, true);
		int dark = 0, darkOutside = 0;
		for (int y = 0; y < shot.height; y++)
			for (int x = 0; x < shot.width; x++) {
				const uint32 pixel = shot.pixels[size_t(y * shot.width + x)];
				if ((pixel & 0xff) < 0x80) {
					const bool inside = x >= 9 && x <= int(pen.x) + 1 && y >= 12 && y <= 34;
					(inside ? dark : darkOutside)++;
				}
			}
		EXPECT_GT(dark, 40) << "no text where the pen was";
		EXPECT_EQ(darkOutside, 0) << "text drawn away from the pen";
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, MenuItemsAreFoundAndRemovedByIndex)
{
	BMenu menu("File");
	auto* first = new BMenuItem("New", new BMessage('NEW '));
	auto* second = new BMenuItem("Open", new BMessage('OPEN'));
	menu.AddItem(first);
	menu.AddItem(second);
	EXPECT_EQ(menu.IndexOf(second), 1);
	EXPECT_EQ(menu.RemoveItem(0), first);
	EXPECT_EQ(menu.IndexOf(first), -1);
	EXPECT_EQ(menu.IndexOf(second), 0);
	EXPECT_EQ(first->Menu(), nullptr) << "a removed item belongs to no menu";
	EXPECT_EQ(menu.RemoveItem(1), nullptr);
	EXPECT_EQ(menu.CountItems(), 1);
	delete first;
}

TEST_F(InterfaceKit, MenuItemsPostToTheirTargetOrTheirWindow)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(150, 100, 469, 349), "Menus", log);
		auto* other = new LoggingWindow(BRect(0, 0, 50, 50), "Other", log);
		other->Show();
		auto* bar = new BMenuBar(
			window->Bounds(), "MenuBar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_ITEMS_IN_ROW, true);
		auto* file = new BMenu("File", B_ITEMS_IN_COLUMN);
		bar->AddItem(file);
		file->AddItem(new BMenuItem("New", new BMessage('FInw'), 'N'));
		file->AddSeparatorItem();
		auto* elsewhere = new BMenuItem("Elsewhere", new BMessage('ELSE'));
		file->AddItem(elsewhere);
		elsewhere->SetTarget(other);
		file->AddItem(new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W'));
		window->AddChild(bar);
		const float height = bar->Bounds().Height();
		EXPECT_GT(height, 10.0f);
		EXPECT_EQ(height, BMenuBar::PreferredHeight());
		EXPECT_EQ(bar->Bounds().Width(), 319.0f);
		window->Show();
		const probe::NativeSnapshot shot = Shot(window, false);
		EXPECT_EQ(shot.menuBarHeight, int(height) + 1) << "the native bar must cover H + 1 rows";
		EXPECT_EQ(shot.menuTitles, std::vector<std::string>{"File"});

		ASSERT_TRUE(probe::TriggerMenuItem(Native(window), "File", "New"));
		EXPECT_TRUE(log.WaitFor("window got FInw"));
		ASSERT_TRUE(probe::TriggerMenuItem(Native(window), "File", "Elsewhere"));
		EXPECT_TRUE(log.WaitFor("window got ELSE"));
		ASSERT_TRUE(probe::TriggerShortcut(Native(window), 'w'));
		EXPECT_TRUE(log.WaitFor("quit-requested"));
		EXPECT_EQ(log.Count("window got ELSE"), 1);
		EXPECT_TRUE(QuitAndWait(other, log));
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, ClicksReachTheViewUnderThePointerInItsCoordinates)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window =
			new LoggingWindow(BRect(0, 0, 199, 99), "Clicks", log, B_WILL_ACCEPT_FIRST_CLICK);
		auto* left = new LoggingView(BRect(0, 0, 99, 99), "left", B_FOLLOW_NONE, log);
		auto* right = new LoggingView(BRect(100, 0, 199, 99), "right", B_FOLLOW_NONE, log);
		auto* nested = new LoggingView(BRect(10, 20, 49, 59), "nested", B_FOLLOW_NONE, log);
		window->AddChild(left);
		window->AddChild(right);
		right->AddChild(nested);
		window->Show();
		ASSERT_TRUE(probe::Click(Native(window), 30, 40));
		EXPECT_TRUE(log.WaitFor("left down 30,40"));
		ASSERT_TRUE(probe::Click(Native(window), 125, 45));
		EXPECT_TRUE(log.WaitFor("nested down 15,25"));
		ASSERT_TRUE(probe::Click(Native(window), 190, 90));
		EXPECT_TRUE(log.WaitFor("right down 90,90"));
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, DropsReachTheViewUnderThePointerAndForeignPointersAreRefused)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(100, 50, 299, 149), "Drops", log);
		auto* target = new LoggingView(BRect(50, 0, 199, 99), "target", B_FOLLOW_NONE, log);
		window->AddChild(target);
		window->Show();
		BMessage drag('FLdg');
		drag.AddPointer("fli_data", &log);
		drag.AddInt32("size", 4);
		std::vector<uint8_t> bytes(size_t(drag.FlattenedSize()));
		ASSERT_EQ(drag.Flatten(reinterpret_cast<char*>(bytes.data()), ssize_t(bytes.size())), B_OK);

		ASSERT_TRUE(probe::DropMessage(Native(window), 60, 10, bytes, getpid() + 1, true));
		BMessage plain('PLAN');
		std::vector<uint8_t> plainBytes(size_t(plain.FlattenedSize()));
		ASSERT_EQ(
			plain.Flatten(reinterpret_cast<char*>(plainBytes.data()), ssize_t(plainBytes.size())),
			B_OK);
		ASSERT_TRUE(probe::DropMessage(Native(window), 60, 10, plainBytes, getpid() + 1, false));
		EXPECT_TRUE(log.WaitFor("target got PLAN dropped at 160,60"));
		EXPECT_FALSE(log.Has("target got FLdg dropped at 160,60"))
			<< "pointers crossed a process boundary";

		ASSERT_TRUE(probe::DropMessage(Native(window), 70, 30, bytes, getpid(), true));
		EXPECT_TRUE(log.WaitFor("target got FLdg dropped at 170,80"));

		TemporaryFolder folder("zoetra-drop");
		const std::string path = folder.Write("dropped", "");
		ASSERT_TRUE(probe::DropFiles(Native(window), 80, 5, {path}));
		EXPECT_TRUE(log.WaitFor("target got DATA dropped at 180,55"));
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

// What a view does not handle, posted or dropped, goes on to its parent view and from a
// view added to the window on to the window; a view that handles it ends its way there, and
// a removed view leaves the chain with its children.
TEST_F(InterfaceKit, WhatAViewDoesNotHandleGoesUpToItsParentAndOnToTheWindow)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(100, 50, 299, 149), "Chain", log);
		auto* outer = new BView(BRect(0, 0, 89, 89), "outer", B_FOLLOW_NONE, 0);
		auto* inner = new BView(BRect(10, 10, 49, 49), "inner", B_FOLLOW_NONE, 0);
		auto* logger = new LoggingView(BRect(100, 0, 199, 99), "logger", B_FOLLOW_NONE, log);
		auto* below = new BView(BRect(10, 10, 49, 49), "below", B_FOLLOW_NONE, 0);
		outer->AddChild(inner);
		EXPECT_EQ(inner->NextHandler(), nullptr) << "a chain belongs to a window's looper";
		window->AddChild(outer);
		window->AddChild(logger);
		logger->AddChild(below);
		EXPECT_EQ(inner->NextHandler(), outer);
		EXPECT_EQ(outer->NextHandler(), window);
		EXPECT_EQ(below->NextHandler(), logger);
		window->Show();

		ASSERT_EQ(window->PostMessage('INNR', inner), B_OK);
		ASSERT_EQ(window->PostMessage('BELW', below), B_OK);
		EXPECT_TRUE(log.WaitFor("window got INNR"));
		EXPECT_TRUE(log.WaitFor("logger got BELW"));
		BMessage plain('PLAN');
		std::vector<uint8_t> bytes(size_t(plain.FlattenedSize()));
		ASSERT_EQ(
			plain.Flatten(reinterpret_cast<char*>(bytes.data()), ssize_t(bytes.size())), B_OK);
		ASSERT_TRUE(probe::DropMessage(Native(window), 20, 20, bytes, getpid(), false));
		EXPECT_TRUE(log.WaitFor("window got PLAN")) << "a drop on the inner view";
		// A drop where no view lies reaches the window the same way, as data, never as a
		// request to close.
		BMessage quit(B_QUIT_REQUESTED);
		std::vector<uint8_t> quitBytes(size_t(quit.FlattenedSize()));
		ASSERT_EQ(
			quit.Flatten(reinterpret_cast<char*>(quitBytes.data()), ssize_t(quitBytes.size())),
			B_OK);
		ASSERT_TRUE(probe::DropMessage(Native(window), 95, 95, quitBytes, getpid(), false));
		EXPECT_TRUE(log.WaitFor("window got _QRQ"));
		EXPECT_FALSE(log.Has("quit-requested"));
		EXPECT_FALSE(log.Has("window got BELW")) << "the logging view passed on what it handled";

		ASSERT_TRUE(window->Lock());
		EXPECT_TRUE(window->RemoveChild(outer));
		EXPECT_EQ(outer->NextHandler(), nullptr);
		EXPECT_EQ(inner->NextHandler(), nullptr);
		window->Unlock();
		delete outer;
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

TEST_F(InterfaceKit, CloseBoxAsksTheWindowAndOnlyAConsentingWindowGoes)
{
	RunWithDisplay([] {
		EventLog log;
		auto* window = new LoggingWindow(BRect(0, 0, 99, 99), "Closing", log);
		window->Show();
		ASSERT_TRUE(probe::Close(Native(window)));
		EXPECT_TRUE(log.WaitFor("quit-requested"));
		EXPECT_TRUE(Shot(window, false).visible) << "a refusing window went away";
		ASSERT_TRUE(window->Lock());
		window->agreeToQuit = true;
		window->Unlock();
		ASSERT_TRUE(probe::Close(Native(window)));
		EXPECT_TRUE(log.WaitFor("destroyed Closing"));
	});
}

TEST_F(InterfaceKit, BoxBordersAndBitmapsRefuseWhatTheyCannotHold)
{
	RunWithDisplay([] {
		BBitmap unsupported(BRect(0, 0, 9, 9), B_CMAP8);
		EXPECT_EQ(unsupported.InitCheck(), B_BAD_VALUE);
		EXPECT_EQ(unsupported.Bits(), nullptr);
		BBitmap inverted(BRect(0, 0, -5, 9), B_RGB32);
		EXPECT_NE(inverted.InitCheck(), B_OK);
		BBitmap huge(BRect(0, 0, 99999, 99999), B_RGB32);
		EXPECT_NE(huge.InitCheck(), B_OK);

		EventLog log;
		auto* window = new LoggingWindow(BRect(0, 0, 99, 59), "Boxes", log);
		auto* plain =
			new BBox(BRect(0, 0, 49, 59), NULL, B_FOLLOW_NONE, B_WILL_DRAW, B_PLAIN_BORDER);
		auto* none = new BBox(BRect(50, 0, 99, 59), NULL, B_FOLLOW_NONE, B_WILL_DRAW, B_NO_BORDER);
		window->AddChild(plain);
		window->AddChild(none);
		window->Show();
		ASSERT_TRUE(window->Lock());
		window->UpdateIfNeeded();
		window->Sync();
		window->Unlock();
		const probe::NativeSnapshot shot = Shot(window, true);
		auto at = [&](int x, int y) { return shot.pixels[size_t(y * shot.width + x)]; };
		const uint32 panel = 0xffd8d8d8u;
		EXPECT_NE(at(0, 30), panel) << "a plain box has no left edge";
		EXPECT_NE(at(49, 30), panel) << "a plain box has no right edge";
		EXPECT_EQ(at(25, 30), panel);
		EXPECT_EQ(at(50, 30), panel) << "a box without border drew one";
		EXPECT_EQ(at(99, 59), panel);
		EXPECT_TRUE(QuitAndWait(window, log));
	});
}

// An application whose windows register themselves and go when it quits.
class TwoWindowApp : public BApplication {
public:
	explicit TwoWindowApp(EventLog& log)
		: BApplication("application/x-vnd.zoetra-interface-test"),
		  fLog(log)
	{
	}

	void ReadyToRun() override
	{
		fFirst = new LoggingWindow(BRect(10, 10, 109, 109), "First", fLog);
		fSecond = new LoggingWindow(BRect(200, 10, 299, 109), "Second", fLog);
		fFirst->Show();
		fSecond->Show();
		fLog.Add("windows " + std::to_string(CountWindows()));
		bool listed = true;
		for (int32 i = 0; i < CountWindows(); i++)
			listed = listed && (WindowAt(i) == fFirst || WindowAt(i) == fSecond);
		fLog.Add(listed && WindowAt(CountWindows()) == nullptr ? "listed" : "not listed");
		fLog.Add(zoetra::display::IsDisplayThread() ? "app on display thread"
													: "app off display thread");
		fFirst->agreeToQuit = fSecond->agreeToQuit = true;
		PostMessage(B_QUIT_REQUESTED);
	}

private:
	EventLog& fLog;
	LoggingWindow* fFirst = nullptr;
	LoggingWindow* fSecond = nullptr;
};

TEST_F(InterfaceKit, ApplicationRunsTheDisplayOnTheMainThreadAndListsItsWindows)
{
	TemporaryFolder runtime("zoetra-interface-runtime");
	ASSERT_NE(runtime.Path(), "");
	setenv("ZOETRA_RUNTIME_DIR", runtime.Path().c_str(), 1);
	EventLog log;
	{
		Watchdog watchdog(std::chrono::seconds(30), "the application");
		TwoWindowApp app(log);
		app.Run();
		EXPECT_TRUE(zoetra::display::IsDisplayThread())
			<< "Run() did not make this the display thread";
		EXPECT_EQ(app.CountWindows(), 0);
	}
	EXPECT_TRUE(log.Has("windows 2"));
	EXPECT_TRUE(log.Has("listed"));
	EXPECT_TRUE(log.Has("app off display thread"));
	EXPECT_TRUE(log.Has("destroyed First"));
	EXPECT_TRUE(log.Has("destroyed Second"));
}

TEST_F(InterfaceKit, ScreenFrameIsTheDisplaysMainScreen)
{
	RunWithDisplay([] {
		BScreen screen(B_MAIN_SCREEN_ID);
		ASSERT_TRUE(screen.IsValid());
		const BRect frame = screen.Frame();
		EXPECT_EQ(frame.left, 0.0f);
		EXPECT_GT(frame.Width(), 300.0f);
		EXPECT_GT(frame.Height(), 200.0f);
	});
}

} // namespace
