// KillLooper: stops, replaces and copies animations for its window, off the window thread.
#include "KillLooper.h"

#include "AnimationBuffers.h"
#include "FliView.h"
#include "PlayerMessages.h"

#include <Message.h>
#include <Window.h>

KillLooper::KillLooper(FliView* view)
	: BLooper(NULL, B_NORMAL_PRIORITY, 100),
	  fliView(view),
	  closing(false)
{
	Run();
}

KillLooper::~KillLooper()
{
}

void KillLooper::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case FLI_DRAG:
			LoadDraggedAnimation(message);
			break;
		case kKillThread:
			KillThread(message);
			break;
		case kLoadAnimation:
			LoadAnimation(message);
			break;
		case kStopForQuit:
			StopForQuit(message);
			break;
		default:
			BLooper::MessageReceived(message);
			break;
	}
}

void KillLooper::DropView()
{
	std::lock_guard guard(viewLock);
	fliView = nullptr;
	closing = true;
}

void KillLooper::StopForGood()
{
	std::lock_guard guard(viewLock);
	closing = true;
	if (fliView != nullptr)
		fliView->Stop();
}

// A second close request, or one that arrives after the window is gone, finds nothing to
// stop and only replies; a reply to a window that is gone is lost harmlessly.
void KillLooper::KillThread(BMessage* message)
{
	StopForGood();
	message->SendReply(kWindowMayClose);
}

void KillLooper::StopForQuit(BMessage* message)
{
	StopForGood();
	int32 done = -1;
	if (message->FindInt32(kStopDoneField, &done) == B_OK)
		release_sem(done);
}

// The copy is taken only from a buffer that its view still plays (AnimationBuffers.h), so
// a source window that replaced or freed its buffer meanwhile makes the drop do nothing.
// A message that lacks any of its fields is ignored whole.
void KillLooper::LoadDraggedAnimation(BMessage* message)
{
	const char* title = nullptr;
	if (message->FindString(kTitleField, &title) != B_OK)
		return;
	{
		std::lock_guard guard(viewLock);
		if (closing)
			return;
	}
	uint8* copy = nullptr;
	uint32 size = 0;
	if (CopyAnimation(message, &copy, &size) == B_OK)
		Play(copy, size, title);
}

void KillLooper::LoadAnimation(BMessage* message)
{
	void* data = nullptr;
	uint32 size = 0;
	const char* title = nullptr;
	if (message->FindPointer(kAnimationDataField, &data) != B_OK)
		return;
	if (!FindAnimationSize(message, &size) || message->FindString(kTitleField, &title) != B_OK) {
		delete[] static_cast<unsigned char*>(data);
		return;
	}
	Play(static_cast<unsigned char*>(data), size, title);
}

void KillLooper::Play(unsigned char* data, uint32 size, const char* title)
{
	std::lock_guard guard(viewLock);
	if (closing || fliView == nullptr) {
		delete[] data;
		return;
	}
	// Retitled once the earlier animation has stopped, which may have shown its position.
	fliView->SetData(data, size, title);
}
