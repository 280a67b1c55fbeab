// The main-thread loop: a stand-in set by a test, the interface kit's display loop, or a
// headless wait for Quit().
#include "private/app/DisplayLoop.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace BPrivate {

namespace {

class HeadlessLoop : public DisplayLoop {
public:
	void Run() override
	{
		std::unique_lock<std::mutex> lock(fMutex);
		fQuitCalled.wait(lock, [&] { return fQuit; });
	}

	void Quit() override
	{
		{
			std::lock_guard<std::mutex> lock(fMutex);
			fQuit = true;
		}
		fQuitCalled.notify_all();
	}

private:
	std::mutex fMutex;
	std::condition_variable fQuitCalled;
	bool fQuit = false;
};

std::atomic<DisplayLoopFactory> sFactory{nullptr};

}

// Weak: a program that links the interface kit gets its display loop instead.
[[gnu::weak]] std::unique_ptr<DisplayLoop> CreateProgramDisplayLoop()
{
	return std::make_unique<HeadlessLoop>();
}

void SetDisplayLoopFactory(DisplayLoopFactory factory)
{
	sFactory.store(factory);
}

std::unique_ptr<DisplayLoop> CreateDisplayLoop()
{
	DisplayLoopFactory factory = sFactory.load();
	if (factory != nullptr) {
		std::unique_ptr<DisplayLoop> loop = factory();
		if (loop != nullptr)
			return loop;
	}
	return CreateProgramDisplayLoop();
}

}
