// Loopers, handlers and messengers: order, locking, replies, quitting and dead targets.
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include "EventLog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using namespace zoetra::testing;

constexpr uint32 kNumbered = 'NUMB';
constexpr uint32 kBlock = 'BLCK';
constexpr uint32 kQuitNow = 'QUIT';
constexpr uint32 kBlockThenQuit = 'BLQT';
constexpr uint32 kPing = 'PING';
constexpr uint32 kPong = 'PONG';

// A looper that records what it handles and can be told to block on a semaphore.
class RecordingLooper : public BLooper {
public:
	explicit RecordingLooper(EventLog* log, EventLog* deaths = nullptr, int32 capacity = 200)
		: BLooper("recorder", B_NORMAL_PRIORITY, capacity),
		  fLog(log),
		  fDeaths(deaths)
	{
	}

	~RecordingLooper() override
	{
		if (fDeaths != nullptr)
			fDeaths->Add("destroyed on " + std::to_string(find_thread(nullptr)));
	}

	void MessageReceived(BMessage* message) override
	{
		switch (message->what) {
			case kNumbered: {
				int32 number = -1;
				message->FindInt32("number", &number);
				fLog->Add(std::to_string(number));
				break;
			}
			case kBlock: {
				int32 gate = -1;
				message->FindInt32("gate", &gate);
				fLog->Add("blocking");
				acquire_sem(gate);
				break;
			}
			case kBlockThenQuit: {
				int32 gate = -1;
				message->FindInt32("gate", &gate);
				fLog->Add("blocking before quit");
				acquire_sem(gate);
				Quit();
				break;
			}
			case kQuitNow:
				fLog->Add("quitting");
				Quit();
				fLog->Add("after quit");
				break;
			case kPing:
				fLog->Add(std::string("ping locked=") + (IsLocked() ? "yes" : "no")
					+ " by looper thread=" + (LockingThread() == Thread() ? "yes" : "no"));
				message->SendReply(kPong);
				break;
			default:
				BLooper::MessageReceived(message);
		}
	}

private:
	EventLog* fLog;
	EventLog* fDeaths;
};

class RecordingHandler : public BHandler {
public:
	RecordingHandler(const char* name, EventLog* log)
		: BHandler(name),
		  fLog(log)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		std::string code;
		for (int shift = 24; shift >= 0; shift -= 8)
			code += static_cast<char>((message->what >> shift) & 0xff);
		fLog->Add(std::string(Name()) + (message->IsReply() ? " got reply " : " got ") + code);
	}

private:
	EventLog* fLog;
};

BMessage Numbered(int32 number)
{
	BMessage message(kNumbered);
	message.AddInt32("number", number);
	return message;
}

// Ends a running looper and waits until it has destroyed itself.
void QuitAndWait(BLooper* looper, EventLog& deaths)
{
	size_t before = deaths.Events().size();
	thread_id thread = looper->Thread();
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
	ASSERT_TRUE(deaths.WaitForCount(before + 1));
	status_t exitValue;
	wait_for_thread(thread, &exitValue);
}

TEST(Loopers, HandleMessagesInPostingOrder)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths, 1000);
	ASSERT_GT(looper->Run(), 0);
	for (int32 i = 0; i < 500; i++) {
		BMessage message = Numbered(i);
		ASSERT_EQ(looper->PostMessage(&message), B_OK);
	}
	ASSERT_TRUE(log.WaitForCount(500));
	std::vector<std::string> events = log.Events();
	for (int32 i = 0; i < 500; i++)
		ASSERT_EQ(events[i], std::to_string(i));
	QuitAndWait(looper, deaths);
}

TEST(Loopers, PostingCopiesTheMessage)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	BMessage message = Numbered(1);
	ASSERT_EQ(looper->PostMessage(&message), B_OK);
	message.ReplaceInt32("number", 2);
	ASSERT_EQ(looper->PostMessage(&message), B_OK);
	looper->Run();
	ASSERT_TRUE(log.WaitForCount(2));
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"1", "2"}));
	QuitAndWait(looper, deaths);
}

TEST(Loopers, LockIsRecursiveAndHeldDuringDispatch)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	// Made locked by its creator; Run() lets go.
	EXPECT_TRUE(looper->IsLocked());
	looper->Run();
	EXPECT_FALSE(looper->IsLocked());

	ASSERT_TRUE(looper->Lock());
	ASSERT_TRUE(looper->Lock());
	EXPECT_TRUE(looper->IsLocked());
	EXPECT_EQ(looper->CountLocks(), 2);
	EXPECT_EQ(looper->LockingThread(), find_thread(nullptr));

	std::atomic<status_t> otherResult{B_OK};
	std::thread other([&] { otherResult = looper->LockWithTimeout(20000); });
	other.join();
	EXPECT_EQ(otherResult.load(), B_TIMED_OUT);

	// A message posted meanwhile waits for the lock.
	looper->PostMessage(kPing);
	EXPECT_FALSE(log.WaitForCount(1, std::chrono::seconds(0)));
	looper->Unlock();
	EXPECT_FALSE(log.WaitForCount(1, std::chrono::seconds(0)));
	looper->Unlock();
	ASSERT_TRUE(log.WaitForCount(1));
	EXPECT_EQ(log.Events()[0], "ping locked=yes by looper thread=yes");
	EXPECT_FALSE(looper->IsLocked());
	QuitAndWait(looper, deaths);
}

// The handler list, the preferred handler that untargeted messages go to, the chain of
// next handlers (a handler's own, or else the looper), and locking the looper through a
// handler.
TEST(Loopers, HandlersAreListedAndUnhandledMessagesFollowTheChainToTheLooper)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	RecordingHandler last("last", &log);
	BHandler relay("relay");
	BHandler bare("bare");
	relay.SetName("preferred");
	relay.SetNextHandler(&last);
	// Made locked by its creator, so the list may change before Run().
	looper->AddHandler(&relay);
	looper->AddHandler(&last);
	looper->AddHandler(&bare);
	EXPECT_EQ(looper->CountHandlers(), 4);
	EXPECT_EQ(looper->HandlerAt(0), looper);
	EXPECT_EQ(looper->HandlerAt(2), &last);
	EXPECT_EQ(looper->HandlerAt(4), nullptr);
	EXPECT_EQ(looper->IndexOf(&relay), 1);
	EXPECT_EQ(looper->PreferredHandler(), nullptr);
	looper->SetPreferredHandler(&relay);
	EXPECT_EQ(looper->PreferredHandler(), &relay);
	EXPECT_STREQ(relay.Name(), "preferred");
	EXPECT_EQ(relay.NextHandler(), &last) << "a handler keeps the next handler it was given";
	EXPECT_EQ(bare.NextHandler(), looper);
	EXPECT_EQ(looper->NextHandler(), nullptr);
	looper->Run();

	// Untargeted: the preferred relay passes it to its own next handler.
	looper->PostMessage(kPing);
	ASSERT_TRUE(log.WaitForCount(1));
	EXPECT_EQ(log.Events()[0], "last got PING");
	// A handler that handles nothing passes everything on to the looper.
	BMessage numbered = Numbered(5);
	ASSERT_EQ(looper->PostMessage(&numbered, &bare), B_OK);
	ASSERT_TRUE(log.WaitForCount(2));
	EXPECT_EQ(log.Events()[1], "5");

	ASSERT_TRUE(relay.LockLooper());
	EXPECT_TRUE(looper->IsLocked());
	EXPECT_TRUE(looper->RemoveHandler(&bare));
	EXPECT_EQ(bare.NextHandler(), nullptr) << "a removed handler leaves the looper's chain";
	EXPECT_TRUE(looper->RemoveHandler(&relay));
	EXPECT_EQ(relay.NextHandler(), &last);
	EXPECT_EQ(looper->IndexOf(&relay), -1);
	// Removing the preferred handler leaves the looper itself to take untargeted messages.
	EXPECT_EQ(looper->PreferredHandler(), nullptr);
	EXPECT_FALSE(relay.LockLooper());
	looper->Unlock();
	EXPECT_FALSE(looper->IsLocked());
	ASSERT_TRUE(last.LockLooper());
	last.UnlockLooper();
	EXPECT_FALSE(looper->IsLocked());
	QuitAndWait(looper, deaths);
}

// Keeps the message it is handling: CurrentMessage() is that message until it is
// detached, after which the looper leaves it to its new owner.
class KeepingLooper : public BLooper {
public:
	void MessageReceived(BMessage* message) override
	{
		if (message->what != kNumbered) {
			BLooper::MessageReceived(message);
			return;
		}
		wasCurrent = CurrentMessage() == message;
		kept.reset(DetachCurrentMessage());
		currentAfterDetach = CurrentMessage();
		foundByThread = LooperForThread(find_thread(nullptr)) == this;
		log.Add("kept");
	}

	EventLog log;
	std::unique_ptr<BMessage> kept;
	bool wasCurrent = false;
	BMessage* currentAfterDetach = nullptr;
	bool foundByThread = false;
};

TEST(Loopers, TheCurrentMessageCanBeDetached)
{
	auto* looper = new KeepingLooper();
	const thread_id thread = looper->Run();
	EXPECT_EQ(BLooper::LooperForThread(thread), looper);
	EXPECT_EQ(BLooper::LooperForThread(find_thread(nullptr)), nullptr);
	BMessage numbered = Numbered(7);
	looper->PostMessage(&numbered);
	ASSERT_TRUE(looper->log.WaitForCount(1));
	ASSERT_TRUE(looper->Lock());
	EXPECT_TRUE(looper->wasCurrent);
	EXPECT_EQ(looper->currentAfterDetach, nullptr);
	EXPECT_TRUE(looper->foundByThread);
	ASSERT_NE(looper->kept, nullptr);
	int32 number = 0;
	EXPECT_EQ(looper->kept->FindInt32("number", &number), B_OK);
	EXPECT_EQ(number, 7);
	looper->Quit();
	status_t exitValue;
	wait_for_thread(thread, &exitValue);
}

TEST(Loopers, ReplyReachesTheReplyHandler)
{
	EventLog log, deaths;
	auto* server = new RecordingLooper(&log, &deaths);
	auto* client = new RecordingLooper(&log, &deaths);
	auto* replies = new RecordingHandler("replies", &log);
	client->AddHandler(replies);
	server->Run();
	client->Run();

	ASSERT_EQ(server->PostMessage(kPing, nullptr, replies), B_OK);
	ASSERT_TRUE(log.WaitForCount(2));
	EXPECT_EQ(log.Events()[1], "replies got reply PONG");

	ASSERT_TRUE(client->Lock());
	client->RemoveHandler(replies);
	client->Unlock();
	delete replies;
	QuitAndWait(server, deaths);
	QuitAndWait(client, deaths);
}

TEST(Loopers, MessagesForAHandlerThatLeftAreDropped)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	auto* handler = new RecordingHandler("leaver", &log);
	looper->AddHandler(handler);
	ASSERT_EQ(looper->PostMessage(kPing, handler), B_OK);
	looper->RemoveHandler(handler);
	delete handler;
	BMessage last = Numbered(99);
	looper->PostMessage(&last);
	looper->Run();
	ASSERT_TRUE(log.WaitForCount(1));
	EXPECT_EQ(log.Events(), std::vector<std::string>{"99"});
	QuitAndWait(looper, deaths);
}

TEST(Loopers, PostingErrors)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths, 2);
	auto* other = new RecordingLooper(&log, &deaths);
	EXPECT_EQ(looper->PostMessage(static_cast<BMessage*>(nullptr)), B_BAD_VALUE);
	EXPECT_EQ(looper->PostMessage(kPing, other), B_MISMATCHED_VALUES);
	EXPECT_EQ(looper->PostMessage(kPing), B_OK);
	EXPECT_EQ(looper->PostMessage(kPing), B_OK);
	EXPECT_EQ(looper->PostMessage(kPing), B_WOULD_BLOCK);
	// Never run: quitting deletes at once, on this thread.
	looper->Quit();
	other->Quit();
	EXPECT_EQ(deaths.Events().size(), 2u);
}

TEST(Loopers, QuitFromAnotherThreadHandlesMessagesPostedBeforeIt)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	looper->Run();
	BMessenger messenger(looper);
	sem_id gate = create_sem(0, "gate");
	BMessage block(kBlock);
	block.AddInt32("gate", gate);
	looper->PostMessage(&block);
	ASSERT_TRUE(log.WaitForCount(1));
	for (int32 i = 0; i < 5; i++) {
		BMessage message = Numbered(i);
		looper->PostMessage(&message);
	}
	thread_id thread = looper->Thread();
	// The blocked message holds the lock, so the quitting thread waits for it first.
	std::thread quitter([looper] {
		if (looper->Lock())
			looper->Quit();
	});
	release_sem(gate);
	quitter.join();
	// Behind the quit: accepted or refused, but never handled, and not leaked.
	BMessage late = Numbered(5);
	status_t lateResult = messenger.SendMessage(&late);
	EXPECT_TRUE(lateResult == B_OK || lateResult == B_BAD_PORT_ID);
	ASSERT_TRUE(deaths.WaitForCount(1));
	status_t exitValue;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"blocking", "0", "1", "2", "3", "4"}));
	delete_sem(gate);
}

TEST(Loopers, QuitOnItsOwnThreadDeletesItThere)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	thread_id thread = looper->Run();
	BMessenger messenger(looper);
	ASSERT_TRUE(messenger.IsValid());
	looper->PostMessage(kQuitNow);
	// The looper may be gone by now: only a messenger may still be used.
	BMessage afterwards = Numbered(1);
	status_t result = messenger.SendMessage(&afterwards);
	EXPECT_TRUE(result == B_OK || result == B_BAD_PORT_ID);
	ASSERT_TRUE(deaths.WaitForCount(1));
	EXPECT_EQ(deaths.Events()[0], "destroyed on " + std::to_string(thread));
	// The loop ended after the message at hand; the next one was never handled.
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"quitting", "after quit"}));
	status_t exitValue;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
	EXPECT_FALSE(messenger.IsValid());
}

TEST(Loopers, QuitRequestedMessageQuitsOnlyWhenAgreed)
{
	class Reluctant : public RecordingLooper {
	public:
		using RecordingLooper::RecordingLooper;
		bool QuitRequested() override { return fAgree.load(); }
		std::atomic<bool> fAgree{false};
	};
	EventLog log, deaths;
	auto* looper = new Reluctant(&log, &deaths);
	looper->Run();
	looper->PostMessage(B_QUIT_REQUESTED);
	BMessage marker = Numbered(1);
	looper->PostMessage(&marker);
	ASSERT_TRUE(log.WaitForCount(1));
	EXPECT_TRUE(deaths.Events().empty());
	looper->fAgree = true;
	thread_id thread = looper->Thread();
	looper->PostMessage(B_QUIT_REQUESTED);
	ASSERT_TRUE(deaths.WaitForCount(1));
	status_t exitValue;
	EXPECT_EQ(wait_for_thread(thread, &exitValue), B_OK);
}

TEST(Messengers, DeadLooperAnswersWithAnError)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	auto* handler = new RecordingHandler("handler", &log);
	looper->AddHandler(handler);
	looper->Run();
	BMessenger toLooper(looper);
	BMessenger toHandler(handler);
	ASSERT_EQ(toHandler.SendMessage(kPing), B_OK);
	ASSERT_TRUE(log.WaitForCount(1));
	EXPECT_EQ(log.Events()[0], "handler got PING");

	// The handler stays in the looper, which forgets it when it dies.
	QuitAndWait(looper, deaths);
	EXPECT_FALSE(toLooper.IsValid());
	EXPECT_EQ(toLooper.SendMessage(kPing), B_BAD_PORT_ID);
	EXPECT_EQ(toHandler.SendMessage(kPing), B_BAD_PORT_ID);
	EXPECT_FALSE(toLooper.LockTarget());
	BLooper* target = reinterpret_cast<BLooper*>(1);
	EXPECT_EQ(toHandler.Target(&target), nullptr);
	EXPECT_EQ(target, nullptr);
	EXPECT_EQ(handler->Looper(), nullptr);
	delete handler;
}

TEST(Messengers, ConstructionChecksItsTarget)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	auto* other = new RecordingLooper(&log, &deaths);
	RecordingHandler loose("loose", &log);
	status_t result = B_OK;
	BMessenger none(nullptr, nullptr, &result);
	EXPECT_EQ(result, B_BAD_VALUE);
	EXPECT_FALSE(none.IsValid());
	EXPECT_EQ(none.SendMessage(kPing), B_BAD_PORT_ID);
	BMessenger orphan(&loose, nullptr, &result);
	EXPECT_EQ(result, B_BAD_HANDLER);
	BMessenger mismatched(looper, other, &result);
	EXPECT_EQ(result, B_MISMATCHED_VALUES);
	BMessenger preferred(nullptr, looper, &result);
	EXPECT_EQ(result, B_OK);
	EXPECT_TRUE(preferred.IsValid());
	EXPECT_EQ(preferred.SendMessage(static_cast<BMessage*>(nullptr)), B_BAD_VALUE);
	looper->Quit();
	other->Quit();
	EXPECT_FALSE(preferred.IsValid());
}

// A thread waiting for the lock of a looper that destroys itself gets an error, not a
// lock on freed memory.
TEST(Messengers, LockWaitersFailWhenTheLooperDies)
{
	EventLog log, deaths;
	auto* looper = new RecordingLooper(&log, &deaths);
	looper->Run();
	BMessenger messenger(looper);
	sem_id gate = create_sem(0, "gate");
	BMessage block(kBlockThenQuit);
	block.AddInt32("gate", gate);
	looper->PostMessage(&block);
	ASSERT_TRUE(log.WaitForCount(1));
	std::atomic<bool> locked{true};
	std::thread waiter([&] { locked = messenger.LockTarget(); });
	release_sem(gate);
	waiter.join();
	ASSERT_TRUE(deaths.WaitForCount(1));
	EXPECT_FALSE(locked.load());
	EXPECT_FALSE(messenger.LockTarget());
	delete_sem(gate);
}

}
