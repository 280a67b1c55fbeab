// The playback tests' main: an application with a live display, Xvfb when asked for, and
// the probing view and windows the tests share.
#include "PlaybackHarness.h"

#include <gtest/gtest.h>

#include <Errors.h>

#include "fli/Format.h"

#include <AppDefs.h>
#include <PlayerMessages.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <pthread.h>
#include <thread>

#include "DisplayHarness.h"
#include "TemporaryFolder.h"
#include "Watchdog.h"
#include "XvfbServer.h"

namespace zoetra::testing {

namespace {

std::mutex sRefsMutex;
std::vector<BMessage> sRefs;
bool sRealDisplay = false;

bool OnPlayThread()
{
	char name[16] = {};
	pthread_getname_np(pthread_self(), name, sizeof name);
	return std::strcmp(name, "fli_thread") == 0;
}

class HarnessApplication : public BApplication {
public:
	HarnessApplication()
		: BApplication("application/x-vnd.zoetra-playback-tests")
	{
	}

	void ReadyToRun() override
	{
		fTests = std::thread([this] {
			fResult = RUN_ALL_TESTS();
			Quit();
		});
	}

	void RefsReceived(BMessage* message) override
	{
		std::lock_guard guard(sRefsMutex);
		sRefs.push_back(*message);
	}

	int Finish()
	{
		if (fTests.joinable())
			fTests.join();
		return fResult;
	}

private:
	std::thread fTests;
	std::atomic<int> fResult{1};
};

} // namespace

std::vector<BMessage> ReceivedRefs()
{
	std::lock_guard guard(sRefsMutex);
	return sRefs;
}

bool OnRealDisplay()
{
	return sRealDisplay;
}

ProbeView::ProbeView(BRect frame, BWindow* window)
	: FliView(frame, window)
{
}

void ProbeView::FrameDecoded(const unsigned char* frame)
{
	{
		std::lock_guard guard(fMutex);
		const size_t index = fDecoded.size();
		fDecoded.push_back({static_cast<size_t>(frame - fliData), system_time()});
		if (std::find(fKeepAfter.begin(), fKeepAfter.end(), index) != fKeepAfter.end())
			fPictures[index].assign(Pixels(), Pixels() + fli::kPixelCount);
	}
	fChanged.notify_all();
}

thread_id ProbeView::SpawnPlayThread()
{
	return failSpawn ? B_NO_MORE_THREADS : FliView::SpawnPlayThread();
}

void ProbeView::Draw(BRect updateRect)
{
	if (OnPlayThread()) {
		const uint32* pixels = Pixels();
		const bool black =
			std::all_of(pixels, pixels + fli::kPixelCount, [](uint32 p) { return p == 0; });
		bool first;
		{
			std::lock_guard guard(fMutex);
			first = fPlayDraws == 0;
			fPlayDraws++;
			fBlackPlayDraws += black ? 1 : 0;
		}
		if (first && stopAtFirstDraw)
			SetState(STOP);
	}
	FliView::Draw(updateRect);
}

void ProbeView::MouseDown(BPoint where)
{
	FliView::MouseDown(where);
	mouseLog.Add("mouse down");
}

std::vector<ProbeView::Decoded> ProbeView::DecodedFrames()
{
	std::lock_guard guard(fMutex);
	return fDecoded;
}

std::vector<size_t> ProbeView::DecodedOffsets()
{
	std::vector<size_t> offsets;
	for (const Decoded& frame : DecodedFrames())
		offsets.push_back(frame.offset);
	return offsets;
}

bool ProbeView::WaitForFrames(size_t count, std::chrono::milliseconds bound)
{
	std::unique_lock lock(fMutex);
	return fChanged.wait_for(lock, bound, [&] { return fDecoded.size() >= count; });
}

void ProbeView::KeepPicturesAfter(std::vector<size_t> decodedIndices)
{
	std::lock_guard guard(fMutex);
	fKeepAfter = std::move(decodedIndices);
}

std::vector<uint32> ProbeView::PictureAfter(size_t decodedIndex)
{
	std::lock_guard guard(fMutex);
	auto found = fPictures.find(decodedIndex);
	return found != fPictures.end() ? found->second : std::vector<uint32>{};
}

void ProbeView::ForgetFrames()
{
	std::lock_guard guard(fMutex);
	fDecoded.clear();
	fPictures.clear();
	fPlayDraws = 0;
	fBlackPlayDraws = 0;
}

int ProbeView::PlayThreadDraws()
{
	std::lock_guard guard(fMutex);
	return fPlayDraws;
}

int ProbeView::BlackPlayThreadDraws()
{
	std::lock_guard guard(fMutex);
	return fBlackPlayDraws;
}

const uint32* ProbeView::Pixels() const
{
	return static_cast<const uint32*>(bitmap->Bits());
}

RecordingLooper::RecordingLooper()
	: BLooper("recording kill looper")
{
}

void RecordingLooper::MessageReceived(BMessage* message)
{
	{
		std::lock_guard guard(fMutex);
		fReceived.push_back(*message);
	}
	char code[5] = {char(message->what >> 24), char(message->what >> 16), char(message->what >> 8),
		char(message->what), 0};
	log.Add(code);
}

std::vector<BMessage> RecordingLooper::Received()
{
	std::lock_guard guard(fMutex);
	return fReceived;
}

PlaybackWindow::PlaybackWindow(const char* title, BRect frame)
	: BWindow(frame, title, B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_WILL_ACCEPT_FIRST_CLICK),
	  fView(new ProbeView(Bounds(), this)),
	  fLooper(new RecordingLooper)
{
	AddChild(fView);
	fLooper->Run();
	Show();
}

void PlaybackWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case FLI_DRAG:
			fLooper->PostMessage(message);
			break;
		case B_REFS_RECEIVED: {
			BMessage refs(*message);
			refs.AddPointer(kSourceWindowField, this);
			be_app->PostMessage(&refs);
			break;
		}
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

bool PlaybackWindow::Close()
{
	fView->Stop();
	BLooper* looper = fLooper;
	const thread_id thread = Thread();
	if (!Lock())
		return false;
	// The window, its views and their buffers are gone once its thread has ended.
	Watchdog watchdog(std::chrono::seconds(20), "closing a test window");
	Quit();
	status_t exitValue;
	if (wait_for_thread(thread, &exitValue) != B_OK)
		return false;
	looper->PostMessage(B_QUIT_REQUESTED);
	return true;
}

OpenWindow Open(const char* title, BRect frame)
{
	return OpenWindow(new PlaybackWindow(title, frame));
}

bool Close(OpenWindow& window)
{
	return window.release()->Close();
}

unsigned char* HeapCopy(const std::vector<unsigned char>& bytes)
{
	auto* copy = new unsigned char[bytes.size()];
	std::copy(bytes.begin(), bytes.end(), copy);
	return copy;
}

fli::test::Bytes CountedFile(int16_t frameCount, int16_t speed)
{
	fli::test::File file;
	file.frameCount = frameCount;
	file.speed = speed;
	const int frames = frameCount < 0 ? 2 : frameCount + 1;
	for (int i = 0; i < frames; i++)
		file.frames.push_back({{fli::test::ColorChunk({{0, {{uint8_t(i), 0, 0}}}})}});
	return fli::test::FileBytes(file);
}

std::vector<size_t> FrameOffsets(const fli::test::Bytes& file, int count)
{
	std::vector<size_t> offsets;
	size_t offset = fli::kFileHeaderSize;
	for (int i = 0; i < count; i++) {
		offsets.push_back(offset);
		offset += fli::GetInt32(file.data() + offset);
	}
	return offsets;
}

std::vector<unsigned char> DemoFile()
{
	std::ifstream in(std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli", std::ios::binary);
	return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

} // namespace zoetra::testing

int zoetra::testing::RunPlaybackTests(int argc, char** argv, bool onXvfb)
{
	using namespace zoetra::testing;
	::testing::InitGoogleTest(&argc, argv);
	if (GTEST_FLAG_GET(list_tests))
		return RUN_ALL_TESTS();

	// Single launch must never meet another test process or a real instance.
	TemporaryFolder runtime("zoetra-playback");
	if (runtime.Path().empty())
		return 2;
	setenv("ZOETRA_RUNTIME_DIR", runtime.Path().c_str(), 1);

	if (onXvfb)
		sRealDisplay = XvfbAvailable() && UseXvfbDisplay();
	if (!sRealDisplay)
		UseOffscreenPlatform();

	int result;
	{
		Watchdog watchdog(std::chrono::minutes(5), "the playback tests");
		HarnessApplication application;
		application.Run();
		result = application.Finish();
	}
	return result;
}
