// InfoView: draws the About text, each line centred.
#pragma once

#include <Box.h>
#include <Font.h>

#include <span>

class InfoView : public BBox {
public:
	// Keeps the frame's width and sizes its height to the text, once, with the fonts in
	// force now.
	explicit InfoView(BRect frame);

	void Draw(BRect updateRect) override;
	// Escape closes the About window, as its close box does.
	void KeyDown(const char* bytes, int32 numBytes) override;

	struct PlainLine {
		const char* text;
		int advance; // in plain line heights, before the line
	};

	// The first line, in the heading font, and the five below it, in be_plain_font.
	static const char* Heading();
	static BFont HeadingFont();
	static std::span<const PlainLine> PlainLines();

	// The height the text needs with the current plain font.
	static float TextHeight();
	// Where a line of width `textWidth` starts in a view of `viewWidth` (right - left).
	static float CentredX(float viewWidth, float textWidth);

private:
	void DrawCentred(const char* text, float y);
};
