// PlayCursor: play order forward through fli::FrameWalk, and back by decoding again.
#include "PlayCursor.h"

#include "fli/Decoder.h"

#include <algorithm>
#include <cstring>

namespace {

// Steps between kept pictures never fall below this: a short animation keeps few.
constexpr int64 kLeastKeepInterval = 16;

} // namespace

PlayCursor::PlayCursor(const uint8* data, uint32 size, const uint32* pixels, const uint32* palette)
	: data(data),
	  size(size),
	  livePixels(pixels),
	  livePalette(palette),
	  walk(data, size),
	  passStartPass(0),
	  shown{true, -1, 0},
	  anyShown(false),
	  firstPassFrames(-1),
	  laterPassFrames(-1),
	  keepInterval(kLeastKeepInterval)
{
	std::memcpy(startPalette.data(), palette, sizeof startPalette);
	if (livePixels != nullptr)
		passStart.pixels.resize(fli::kPixelCount);
}

const unsigned char* PlayCursor::NextFrame()
{
	const unsigned char* frame = walk.NextFrame();
	if (frame != nullptr) {
		shown.firstPass = walk.InFirstPass();
		shown.index = walk.FrameIndex();
		anyShown = true;
	}
	return frame;
}

void PlayCursor::StartNextPass()
{
	walk.StartNextPass();
	shown.laterPass++;
	if (livePixels == nullptr)
		return;
	std::memcpy(passStart.pixels.data(), livePixels, passStart.pixels.size() * sizeof(uint32));
	std::memcpy(passStart.palette.data(), livePalette, sizeof passStart.palette);
	passStartPass = shown.laterPass;
}

const unsigned char* PlayCursor::StepForward()
{
	if (const unsigned char* frame = NextFrame())
		return frame;
	StartNextPass();
	return NextFrame();
}

int32 PlayCursor::FrameNumber() const
{
	if (!anyShown)
		return 0;
	return shown.index == walk.FrameCount() ? 1 : shown.index + 1;
}

void PlayCursor::CountFrames()
{
	if (firstPassFrames >= 0)
		return;
	firstPassFrames = walk.FirstPassFrameCount();
	// A later pass starts from frame 0's size whatever the walk did before.
	fli::FrameWalk later(data, size);
	later.StartNextPass();
	while (later.NextFrame() != nullptr) {
	}
	laterPassFrames = later.FramesShownInPass();
	const int64 round = int64(firstPassFrames) + laterPassFrames;
	keepInterval = std::max(
		kLeastKeepInterval, (round + int64(kMostKeptPictures) - 1) / int64(kMostKeptPictures));
}

bool PlayCursor::StepBack()
{
	if (!anyShown)
		return false;
	CountFrames();
	Place place = shown;
	if (!shown.firstPass && shown.index > 1) {
		place.index--;
	} else if (!shown.firstPass && shown.laterPass > 1) {
		place.index = laterPassFrames;
		place.laterPass--;
	} else if (!shown.firstPass || shown.index > 0) {
		place = {true, shown.firstPass ? shown.index - 1 : firstPassFrames - 1, 0};
	} else {
		// Before the first picture comes the last frame before the ring.
		const int32 lastBeforeRing = std::min(int32(walk.FrameCount()) - 1, firstPassFrames - 1);
		place = {true, std::max(0, lastBeforeRing), 0};
	}
	Rebuild(place);
	MoveTo(place);
	return true;
}

bool PlayCursor::GoHome()
{
	if (!anyShown)
		return false;
	CountFrames();
	const Place home{true, 0, 0};
	Rebuild(home);
	MoveTo(home);
	return true;
}

int64 PlayCursor::RoundStep(const Place& place) const
{
	return place.firstPass ? place.index : int64(firstPassFrames) + place.index - 1;
}

// A fresh walk stepped up to the place: following frame sizes costs next to nothing.
void PlayCursor::MoveTo(const Place& place)
{
	walk = fli::FrameWalk(data, size);
	if (!place.firstPass)
		walk.StartNextPass();
	const int32 firstIndex = place.firstPass ? 0 : 1;
	for (int32 index = firstIndex; index <= place.index; index++)
		walk.NextFrame();
	shown = place;
}

// The picture at the place, decoded from the nearest picture known before it, keeping
// those it passes on the way.
void PlayCursor::Rebuild(const Place& place)
{
	const int64 roundStep = RoundStep(place);
	rebuilt.pixels.resize(fli::kPixelCount);
	int64 step = -1;
	const Picture* start = nullptr;
	auto nearest = kept.upper_bound(roundStep);
	if (nearest != kept.begin()) {
		--nearest;
		step = nearest->first;
		start = &nearest->second;
	}
	// The current later pass began after the first pass's last frame; the last picture of
	// the pass before it is that start itself.
	const int64 passBegan = int64(firstPassFrames) - 1;
	const bool inPassStarted = !place.firstPass && place.laterPass == passStartPass;
	const bool endsPassBefore = passStartPass > 0 && place.laterPass == passStartPass - 1
		&& place.index == (place.firstPass ? firstPassFrames - 1 : laterPassFrames);
	if (endsPassBefore) {
		rebuilt.pixels = passStart.pixels;
		rebuilt.palette = passStart.palette;
		return;
	}
	if (inPassStarted && passBegan > step) {
		step = passBegan;
		start = &passStart;
	}
	if (start != nullptr) {
		rebuilt.pixels = start->pixels;
		rebuilt.palette = start->palette;
	} else {
		fli::Clear(rebuilt.pixels.data(), 0);
		rebuilt.palette = startPalette;
	}
	const fli::DecodeContext context{rebuilt.pixels.data(), rebuilt.palette.data(), data + size};
	fli::FrameWalk round(data, size);
	for (int64 next = 0; next <= roundStep; next++) {
		const unsigned char* frame = round.NextFrame();
		if (frame == nullptr) {
			round.StartNextPass();
			frame = round.NextFrame();
		}
		if (frame == nullptr)
			break;
		if (next <= step)
			continue;
		fli::DecodeFrame(context, frame);
		if ((next + 1) % keepInterval == 0 && next < roundStep)
			KeepPicture(next);
	}
}

void PlayCursor::KeepPicture(int64 roundStep)
{
	if (kept.size() >= kMostKeptPictures || kept.count(roundStep) != 0)
		return;
	kept.emplace(roundStep, rebuilt);
}
