// The About window's geometry with the fonts of the display it opens on.
#include "InfoView.h"
#include "InfoWindow.h"

#include "DisplayHarness.h"

#include <Font.h>

#include <gtest/gtest.h>

using namespace zoetra::testing;

namespace {

float Line(const font_height& height)
{
	return height.ascent + height.descent + height.leading;
}

TEST(AboutBox, WindowIsFixedAt210By150279WideAndAsHighAsItsSixLines)
{
	UseOffscreenPlatform();
	RunWithDisplay([] {
		BFont heading;
		heading.SetFamilyAndStyle("CopprplGoth Bd BT", "Bold");
		heading.SetSize(24.0f);
		font_height h;
		heading.GetHeight(&h);
		font_height p;
		be_plain_font->GetHeight(&p);
		ASSERT_GT(Line(p), 0.0f);
		const float expected = Line(h) + 1 + 7 * Line(p) + h.ascent + h.descent;

		auto* window = new InfoWindow;
		EXPECT_EQ(window->Frame().left, 210.0f);
		EXPECT_EQ(window->Frame().top, 150.0f);
		EXPECT_EQ(window->Bounds().Width(), 279.0f);
		// A window is a whole number of pixels high.
		EXPECT_NEAR(window->Bounds().Height(), expected, 0.5f);
		EXPECT_EQ(window->Flags(), uint32(B_NOT_RESIZABLE | B_NOT_ZOOMABLE));
		EXPECT_STREQ(window->Title(), "About Zoetra");
		ASSERT_EQ(window->CountChildren(), 1);
		BView* view = window->ChildAt(0);
		EXPECT_NE(dynamic_cast<InfoView*>(view), nullptr);
		EXPECT_FLOAT_EQ(view->Bounds().Height(), expected);
		EXPECT_EQ(view->Bounds().Width(), 279.0f);
		EXPECT_EQ(view->ResizingMode(), uint32(B_FOLLOW_LEFT | B_FOLLOW_TOP));
		EXPECT_EQ(view->Flags(), uint32(B_WILL_DRAW | B_NAVIGABLE_JUMP | B_FRAME_EVENTS));
		window->Quit();
	});
}

// A line wider than the room inside the border is cut off on both sides: a long contact
// address set when the build is configured fails here.
TEST(AboutBox, EveryLineFitsInsideTheBorderInItsFont)
{
	UseOffscreenPlatform();
	RunWithDisplay([] {
		auto* window = new InfoWindow;
		// 280 pixels (right - left + 1) less the plain border's pixel on each side.
		const float room = window->ChildAt(0)->Bounds().Width() + 1 - 2;
		EXPECT_EQ(room, 278.0f);
		window->Quit();

		const BFont heading = InfoView::HeadingFont();
		const float headingWidth = heading.StringWidth(InfoView::Heading());
		EXPECT_GT(headingWidth, 0.0f);
		EXPECT_LE(headingWidth, room) << InfoView::Heading();
		ASSERT_EQ(InfoView::PlainLines().size(), 5u);
		for (const InfoView::PlainLine& line : InfoView::PlainLines()) {
			const float width = be_plain_font->StringWidth(line.text);
			EXPECT_GT(width, 0.0f) << line.text;
			EXPECT_LE(width, room) << line.text << " is " << width << " pixels wide";
		}
	});
}

TEST(AboutBox, ALineAsWideAsTheViewStartsAtItsLeftEdgeAndWiderOnesLeftOfIt)
{
	EXPECT_EQ(InfoView::CentredX(279.0f, 280.0f), 0.0f);
	EXPECT_EQ(InfoView::CentredX(279.0f, 100.0f), 90.0f);
	EXPECT_LT(InfoView::CentredX(279.0f, 300.0f), 0.0f);
}

} // namespace
