// What FliView needs of its window to pass on an animation dropped from another window.
#pragma once

class BLooper;

// A player window derives from this beside BWindow and hands out the looper that copies
// dropped animations into its view (FLI_DRAG) off the window thread; it may narrow the
// return type to its own looper class. FliView finds it with a dynamic_cast, so a view in
// any other window ignores such drops instead of posting to a looper that is not there.
class KillLooperOwner {
public:
	virtual BLooper* GetKillLooper() const = 0;

protected:
	~KillLooperOwner() = default;
};
