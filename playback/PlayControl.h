// PlayControl: what the keys set for a play thread: paused or playing, and the speed.
#pragma once

#include <OS.h>
#include <SupportDefs.h>

#include <algorithm>

struct PlayControl {
	// Half or double speed at most three times: from 1/8 to 8 times the file's speed.
	static constexpr int32 kSlowest = -3;
	static constexpr int32 kFastest = 3;

	explicit PlayControl(bigtime_t fileDelay)
		: fileDelay(fileDelay)
	{
	}

	bigtime_t Delay() const { return speed >= 0 ? fileDelay >> speed : fileDelay << -speed; }
	void Slower() { speed = std::max(kSlowest, speed - 1); }
	void Faster() { speed = std::min(kFastest, speed + 1); }
	void FileSpeed() { speed = 0; }

	bigtime_t fileDelay;
	int32 speed = 0;
	bool paused = false;
};
