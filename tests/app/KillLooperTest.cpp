// KillLooper inside a live application: the close reply, drags, hand-overs, and late messages.
#include "KillLooper.h"

#include "AnimationBuffers.h"
#include "PlayerMessages.h"
#include "KitTestWindows.h"
#include "PlaybackHarness.h"

#include <gtest/gtest.h>

using namespace zoetra::testing;

namespace {

// Gets the looper's replies.
class ReplyLog : public BLooper {
public:
	ReplyLog() { Run(); }
	void MessageReceived(BMessage* message) override { log.Add(Code(message->what)); }
	EventLog log;
};

// A handler inside the KillLooper: a message to it is handled after everything posted
// before it, so the test knows the looper has dealt with those.
class Barrier : public BHandler {
public:
	void MessageReceived(BMessage*) override { log.Add("passed"); }
	EventLog log;
};

struct Fixture {
	Fixture()
		: window(Open("Target")),
		  looper(new KillLooper(window->View())),
		  replies(new ReplyLog)
	{
		looper->Lock();
		looper->AddHandler(&barrier);
		looper->Unlock();
	}
	~Fixture()
	{
		looper->Lock();
		looper->RemoveHandler(&barrier);
		looper->Unlock();
		looper->DropView();
		looper->PostMessage(B_QUIT_REQUESTED);
		replies->PostMessage(B_QUIT_REQUESTED);
	}

	void PlayInView(const std::vector<unsigned char>& file)
	{
		window->View()->SetData(HeapCopy(file), file.size());
	}

	// Posts and waits until the looper has handled it.
	void Send(BMessage* message)
	{
		barrier.log.Clear();
		looper->PostMessage(message, NULL, replies);
		looper->PostMessage(uint32('BARR'), &barrier);
		ASSERT_TRUE(barrier.log.WaitFor("passed"));
	}

	Barrier barrier;
	OpenWindow window;
	KillLooper* looper;
	ReplyLog* replies;
};

BMessage LoadMessage(const std::vector<unsigned char>& file, const char* title)
{
	BMessage load(kLoadAnimation);
	load.AddPointer(kAnimationDataField, HeapCopy(file));
	AddAnimationSize(&load, uint32(file.size()));
	load.AddString(kTitleField, title);
	return load;
}

TEST(KillLooper, CloseRequestStopsPlayAndRepliesAndLaterLoadsAreRefused)
{
	Fixture fixture;
	ProbeView* view = fixture.window->View();
	fixture.PlayInView(CountedFile(3, 1));
	ASSERT_TRUE(view->WaitForFrames(2));

	fixture.looper->PostMessage(kKillThread, NULL, fixture.replies);
	ASSERT_TRUE(fixture.replies->log.WaitFor(Code(kWindowMayClose)));
	EXPECT_EQ(view->Thread(), 0) << "play has stopped before the reply";
	uint8* stopped = view->Data();

	// A source that still plays, for a drag that arrives after the close request.
	OpenWindow source = Open("Source");
	source->View()->SetData(HeapCopy(DemoFile()), DemoFile().size());
	BMessage drag(FLI_DRAG);
	ASSERT_TRUE(source->View()->MakeDragMessage(&drag));
	fixture.replies->log.Clear();
	fixture.Send(&drag);
	BMessage load = LoadMessage(DemoFile(), "Loaded");
	fixture.Send(&load);
	EXPECT_EQ(view->Thread(), 0) << "no play thread starts in a closing window";
	EXPECT_EQ(view->Data(), stopped);
	EXPECT_STREQ(fixture.window->Title(), "Target");
	source->View()->Stop();
}

TEST(KillLooper, DragPlaysACopyUnderTheSourcesTitleAndIncompleteDragsChangeNothing)
{
	Fixture fixture;
	ProbeView* view = fixture.window->View();
	OpenWindow source = Open("Source title");
	const std::vector<unsigned char> demo = DemoFile();
	source->View()->SetData(HeapCopy(demo), demo.size());
	BMessage drag(FLI_DRAG);
	ASSERT_TRUE(source->View()->MakeDragMessage(&drag));

	BMessage untitled(drag);
	untitled.RemoveName("title");
	BMessage empty(FLI_DRAG);
	fixture.Send(&untitled);
	fixture.Send(&empty);
	EXPECT_EQ(view->Data(), nullptr) << "a drag without all its fields is ignored";
	EXPECT_STREQ(fixture.window->Title(), "Target");

	fixture.Send(&drag);
	ASSERT_NE(view->Data(), nullptr);
	EXPECT_NE(view->Data(), source->View()->Data()) << "a copy, not the source's buffer";
	EXPECT_EQ(std::vector<unsigned char>(view->Data(), view->Data() + view->Size()), demo);
	EXPECT_STREQ(fixture.window->Title(), "Source title");
	EXPECT_TRUE(view->WaitForFrames(1)) << "the copy plays";

	// The source replaces its animation: the old drag no longer names a live buffer.
	source->View()->SetData(HeapCopy(CountedFile(2, 1)), CountedFile(2, 1).size());
	uint8* playing = view->Data();
	fixture.Send(&drag);
	EXPECT_EQ(view->Data(), playing);
	source->View()->Stop();
	view->Stop();
}

TEST(KillLooper, HandOverRetitlesAndPlaysAndALateCloseAfterTheViewIsGoneOnlyReplies)
{
	Fixture fixture;
	ProbeView* view = fixture.window->View();
	const std::vector<unsigned char> demo = DemoFile();
	BMessage load = LoadMessage(demo, "demo.fli");
	fixture.Send(&load);
	EXPECT_STREQ(fixture.window->Title(), "demo.fli");
	ASSERT_TRUE(view->WaitForFrames(2));

	// The window is being destroyed: the looper must not reach the view again.
	fixture.looper->DropView();
	fixture.looper->PostMessage(kKillThread, NULL, fixture.replies);
	EXPECT_TRUE(fixture.replies->log.WaitFor(Code(kWindowMayClose)));
	EXPECT_NE(view->Thread(), 0) << "the dropped view was not touched";
	view->Stop();
}

} // namespace
