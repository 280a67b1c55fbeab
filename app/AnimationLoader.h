// Reads large files off the application thread, each on a thread of its own, so that other
// launches, windows and alerts go on while a huge file is read.
#pragma once

#include "AnimationReader.h"

#include <Messenger.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

// Posted to the application when a load has ended: the int64 kLoadField names it.
enum { kAnimationLoaded = 'ALdd' };
constexpr const char* kLoadField = "load";

class AnimationLoader {
public:
	struct Result {
		// Its data is null when the file was refused.
		LoadedAnimation animation;
		std::string refusal;
		// The window the file is for, or null for a new one.
		void* target = nullptr;
	};

	AnimationLoader();
	// Stops the reads still running and waits for them; frees what was never taken.
	~AnimationLoader();

	AnimationLoader(const AnimationLoader&) = delete;
	AnimationLoader& operator=(const AnimationLoader&) = delete;

	// Whether the file is too large to read on the application thread. Every real
	// animation is far smaller (a frame holds at most 64000 pixels), and is read there.
	static bool IsLarge(const entry_ref& ref);

	// Reads `ref` for `target` on a thread of its own; kAnimationLoaded then goes to
	// `application`. Returns the load's number.
	int64 Start(const entry_ref& ref, void* target, const BMessenger& application);
	// Gives up the loads for `target` not taken yet: a later file aimed at a window is the
	// one the user wants there.
	void GiveUp(void* target);
	// The result of the load that kAnimationLoaded named (waiting for it to end); false
	// when it was given up.
	bool Take(int64 load, Result* result);
	// Whether a load has not been taken yet.
	bool Busy() const;

private:
	struct Load;

	mutable std::mutex fMutex;
	std::map<int64, std::unique_ptr<Load>> fLoads;
	int64 fNextLoad = 1;
};
