// PlayCursor: where the play thread is in an animation's play order, and the exact way back.
//
// Forward it is fli::FrameWalk (first pass 0..count with the ring frame, later passes
// 1..count). Back, it rebuilds the picture shown before the current one by decoding
// forward from the nearest known picture: the start of play (a black frame buffer and the
// palette in force then), the picture as the current later pass began (copied from the
// view's frame buffer as each later pass begins, one copy a pass), or a picture kept on an
// earlier way back. It keeps at most kMostKeptPictures of them, so after the first way back
// a step decodes at most a thirty-second of one round of play.
//
// Within the current pass the rebuilt picture is the one shown. Before it, the later passes
// are taken to be alike (the ring frame turns the last picture back into the first), so a
// picture of an earlier later pass is rebuilt as the same picture of the first later pass.
// Stepping back from the very first picture gives the last frame before the ring.
//
// Used by the play thread alone; nothing here is locked. The copy of the pass's start is
// allocated as play starts; playing forward allocates nothing; the first way back
// allocates the rebuilt picture and each picture it keeps.
#pragma once

#include <SupportDefs.h>

#include "fli/FrameWalk.h"

#include <array>
#include <map>
#include <vector>

class PlayCursor {
public:
	static constexpr size_t kMostKeptPictures = 32;

	// A picture as the decoder leaves it: the frame buffer, then the palette.
	struct Picture {
		std::vector<uint32> pixels;
		std::array<uint32, 256> palette;
	};

	// `pixels` and `palette`: the view's frame buffer (null when it has none) and its
	// palette, which the decoder changes frame after frame; read as each later pass
	// begins. The palette's colours as play starts are kept: the view keeps them from the
	// animation it played before until the file sets its own.
	PlayCursor(const uint8* data, uint32 size, const uint32* pixels, const uint32* palette);

	// Play order, as fli::FrameWalk: the next frame of the pass, nullptr once it has ended.
	const unsigned char* NextFrame();
	void StartNextPass();
	int32 FramesShownInPass() const { return walk.FramesShownInPass(); }
	int32 DelayMicroseconds() const { return walk.DelayMicroseconds(); }

	// The frame after the picture shown, into the next pass when this one has ended;
	// nullptr when there is none to show.
	const unsigned char* StepForward();
	// Goes to the picture shown before this one, or to the first picture of the first
	// pass, and rebuilds it in Rebuilt(); false when no picture has been shown yet.
	bool StepBack();
	bool GoHome();
	const Picture& Rebuilt() const { return rebuilt; }

	// The position for a title, "frame K of N": K counts from 1, and the ring frame is
	// frame 1 again; 0 before the first picture.
	int32 FrameNumber() const;
	int32 FrameCount() const { return walk.FrameCount(); }

private:
	// A place in the order: the first pass, or the later pass `laterPass` (from 1), and
	// the frame index within it.
	struct Place {
		bool firstPass;
		int32 index;
		int64 laterPass;
	};

	void CountFrames();
	// The place's number in one round: the first pass, then one later pass.
	int64 RoundStep(const Place& place) const;
	void MoveTo(const Place& place);
	void Rebuild(const Place& place);
	void KeepPicture(int64 roundStep);

	const uint8* data;
	uint32 size;
	const uint32* livePixels;
	const uint32* livePalette;
	fli::FrameWalk walk;
	std::array<uint32, 256> startPalette;
	// The picture as the later pass passStartPass began; 0 before any.
	Picture passStart;
	int64 passStartPass;
	Place shown;
	bool anyShown;
	// Counted on the first way back; -1 until then.
	int32 firstPassFrames;
	int32 laterPassFrames;
	Picture rebuilt;
	// Pictures after the round step that is their key, every keepInterval steps.
	std::map<int64, Picture> kept;
	int64 keepInterval;
};
