// InfoView: the product name in the heading font and five plain lines below, each centred.
#include "InfoView.h"

#include "AboutText.h"

#include <AppDefs.h>
#include <Font.h>
#include <InterfaceDefs.h>
#include <Window.h>

namespace {

float LineHeight(const font_height& height)
{
	return height.ascent + height.descent + height.leading;
}

constexpr InfoView::PlainLine kPlainLines[] = {
	{ZOETRA_ABOUT_VERSION, 1},
	{ZOETRA_ABOUT_WRITTEN_BY, 2},
	{ZOETRA_ABOUT_AUTHOR, 1},
	{ZOETRA_ABOUT_EMAIL, 2},
	{ZOETRA_ABOUT_WEB, 1},
};

} // namespace

BFont InfoView::HeadingFont()
{
	BFont font;
	// Where the family is not installed the font keeps the plain family, at 24 points.
	font.SetFamilyAndStyle("CopprplGoth Bd BT", "Bold");
	font.SetSize(24.0f);
	return font;
}

const char* InfoView::Heading()
{
	return ZOETRA_ABOUT_NAME;
}

std::span<const InfoView::PlainLine> InfoView::PlainLines()
{
	return kPlainLines;
}

InfoView::InfoView(BRect frame)
	: BBox(frame, NULL, B_FOLLOW_LEFT | B_FOLLOW_TOP,
		B_WILL_DRAW | B_NAVIGABLE_JUMP | B_FRAME_EVENTS, B_PLAIN_BORDER)
{
	ResizeTo(Bounds().Width(), TextHeight());
}

// The first baseline, seven plain advances (1 + 2 + 1 + 2 + 1), and the heading's ascent
// and descent as room below the last line.
float InfoView::TextHeight()
{
	font_height heading;
	HeadingFont().GetHeight(&heading);
	font_height plain;
	be_plain_font->GetHeight(&plain);
	return (LineHeight(heading) + 1) + 7 * LineHeight(plain) + (heading.ascent + heading.descent);
}

float InfoView::CentredX(float viewWidth, float textWidth)
{
	return (viewWidth - textWidth + 1) * 0.5f;
}

void InfoView::DrawCentred(const char* text, float y)
{
	MovePenTo(CentredX(Bounds().Width(), StringWidth(text)), y);
	DrawString(text);
}

void InfoView::Draw(BRect updateRect)
{
	BBox::Draw(updateRect);

	const BFont heading = HeadingFont();
	SetFont(&heading, B_FONT_ALL);
	font_height headingHeight;
	heading.GetHeight(&headingHeight);
	float y = LineHeight(headingHeight) + 1;
	DrawCentred(Heading(), y);

	SetFont(be_plain_font, B_FONT_ALL);
	font_height plainHeight;
	be_plain_font->GetHeight(&plainHeight);
	const float plainLine = LineHeight(plainHeight);
	for (const PlainLine& line : kPlainLines) {
		y += line.advance * plainLine;
		DrawCentred(line.text, y);
	}
}

void InfoView::KeyDown(const char* bytes, int32 numBytes)
{
	if (numBytes == 1 && bytes[0] == B_ESCAPE && Window() != nullptr) {
		Window()->PostMessage(B_QUIT_REQUESTED);
		return;
	}
	BBox::KeyDown(bytes, numBytes);
}
