// Large files are read on threads of their own; the application takes each result when the
// load's message reaches it.
#include "AnimationLoader.h"

#include "FormatException.h"

#include <File.h>
#include <Message.h>

#include <atomic>
#include <thread>

namespace {

constexpr off_t kLargeFile = 16 << 20;

} // namespace

struct AnimationLoader::Load {
	std::thread thread;
	std::atomic<bool> stop{false};
	void* target = nullptr;
	// Written by the load's thread before it posts, read after it is joined.
	Result result;
};

AnimationLoader::AnimationLoader() = default;

AnimationLoader::~AnimationLoader()
{
	std::map<int64, std::unique_ptr<Load>> loads;
	{
		std::lock_guard lock(fMutex);
		loads.swap(fLoads);
	}
	for (auto& [id, load] : loads)
		load->stop = true;
	for (auto& [id, load] : loads) {
		load->thread.join();
		delete[] load->result.animation.data;
	}
}

bool AnimationLoader::IsLarge(const entry_ref& ref)
{
	BFile file(&ref, B_READ_ONLY);
	off_t size = 0;
	return file.InitCheck() == B_OK && file.GetSize(&size) == B_OK && size > kLargeFile;
}

int64 AnimationLoader::Start(const entry_ref& ref, void* target, const BMessenger& application)
{
	auto load = std::make_unique<Load>();
	Load* running = load.get();
	running->target = target;
	std::lock_guard lock(fMutex);
	const int64 id = fNextLoad++;
	running->thread = std::thread([running, id, ref, application] {
		try {
			running->result.animation = ReadAnimation(ref, &running->stop);
		} catch (FormatException& error) {
			running->result.refusal = error.GetMessage();
		}
		BMessage loaded(kAnimationLoaded);
		loaded.AddInt64(kLoadField, id);
		application.SendMessage(&loaded);
	});
	fLoads[id] = std::move(load);
	return id;
}

void AnimationLoader::GiveUp(void* target)
{
	std::lock_guard lock(fMutex);
	for (auto& [id, load] : fLoads) {
		if (load->target == target)
			load->stop = true;
	}
}

bool AnimationLoader::Take(int64 id, Result* result)
{
	std::unique_ptr<Load> load;
	{
		std::lock_guard lock(fMutex);
		auto found = fLoads.find(id);
		if (found == fLoads.end())
			return false;
		load = std::move(found->second);
		fLoads.erase(found);
	}
	// Once its message is out, the thread is at its end.
	load->thread.join();
	if (load->stop) {
		delete[] load->result.animation.data;
		return false;
	}
	*result = std::move(load->result);
	result->target = load->target;
	return true;
}

bool AnimationLoader::Busy() const
{
	std::lock_guard lock(fMutex);
	return !fLoads.empty();
}
