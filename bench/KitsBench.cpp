// Costs of the kit operations on the play path and between loopers.
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The play-state guard's uncontended entry and exit: two atomic additions.
void GuardEnterLeave(benchmark::State& state)
{
	int32 count = 0;
	sem_id semaphore = create_sem(0, "guard");
	for (auto _ : state) {
		if (atomic_add(&count, 1) > 0)
			acquire_sem(semaphore);
		benchmark::DoNotOptimize(count);
		if (atomic_add(&count, -1) > 1)
			release_sem(semaphore);
	}
	delete_sem(semaphore);
}
BENCHMARK(GuardEnterLeave);

// A message posted to a looper and handled there, answered through a semaphore.
class Echo : public BLooper {
public:
	explicit Echo(sem_id done)
		: BLooper("echo"),
		  fDone(done)
	{
	}
	void MessageReceived(BMessage*) override { release_sem(fDone); }

private:
	sem_id fDone;
};

void PostAndDispatch(benchmark::State& state)
{
	sem_id done = create_sem(0, "done");
	Echo* looper = new Echo(done);
	looper->Run();
	BMessage message('ECHO');
	message.AddInt32("size", 64000);
	for (auto _ : state) {
		looper->PostMessage(&message);
		acquire_sem(done);
	}
	if (looper->Lock())
		looper->Quit();
	delete_sem(done);
}
BENCHMARK(PostAndDispatch)->UseRealTime();

void FlattenAndUnflatten(benchmark::State& state)
{
	BMessage message(B_ARGV_RECEIVED);
	message.AddString("cwd", "/home/user/animations");
	for (int i = 0; i < 8; i++)
		message.AddString("argv", "/home/user/animations/bounce.fli");
	message.AddInt32("argc", 8);
	std::vector<char> flat(static_cast<size_t>(message.FlattenedSize()));
	for (auto _ : state) {
		message.Flatten(flat.data(), static_cast<ssize_t>(flat.size()));
		BMessage copy;
		benchmark::DoNotOptimize(copy.Unflatten(flat.data()));
	}
}
BENCHMARK(FlattenAndUnflatten);

void SpawnResumeWait(benchmark::State& state)
{
	for (auto _ : state) {
		thread_id thread =
			spawn_thread([](void*) -> int32 { return 0; }, "short", B_NORMAL_PRIORITY, nullptr);
		resume_thread(thread);
		status_t exitValue;
		wait_for_thread(thread, &exitValue);
	}
}
BENCHMARK(SpawnResumeWait)->UseRealTime();

}

BENCHMARK_MAIN();
