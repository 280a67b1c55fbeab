// FliView as a view: construction, destruction, drawing, the drag out and the drops in.
#include "FliView.h"

#include "AnimationBuffers.h"

#include <AppDefs.h>
#include <Message.h>

#include <cstring>

FliView::FliView(BRect frame, BWindow* window)
	: BView(frame, "FliView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
	  window(window),
	  bitmap(nullptr),
	  fliData(nullptr),
	  fliSize(0),
	  playThread(0),
	  playState(STOP),
	  stateSem(-1),
	  stateCount(0),
	  wakeSem(-1),
	  fliGeneration(0)
{
	SetViewColor(B_TRANSPARENT_32_BIT);
	bitmap = new BBitmap(Bounds(), B_RGB32, false, false);
	// The palette has no colours before the first colour chunk; black is the sound start.
	std::memset(palette, 0, sizeof(palette));
	Clear(0xFFFFFFFF);
	stateSem = create_sem(0, "fli_sem");
	wakeSem = create_sem(0, "fli_wake");
}

FliView::~FliView()
{
	// Destroying a view that plays would leave its thread drawing a dead object. Stopping
	// it here is safe only off the window thread; on it, the owner must have stopped it.
	if (!CallerHoldsWindowLock())
		Stop();
	delete bitmap;
	delete_sem(stateSem);
	delete_sem(wakeSem);
	ReleaseBuffer();
}

void FliView::Draw(BRect)
{
	if (bitmap != nullptr)
		DrawBitmap(bitmap, Bounds());
}

void FliView::MouseDown(BPoint)
{
	BMessage drag(FLI_DRAG);
	if (!MakeDragMessage(&drag)) {
		if (Window() != nullptr)
			Window()->Activate(true);
		return;
	}
	DragMessage(&drag, Frame(), nullptr);
}

bool FliView::MakeDragMessage(BMessage* message) const
{
	const uint8* data;
	uint32 size;
	uint64 generation;
	{
		std::lock_guard guard(fieldLock);
		if (playThread == 0)
			return false;
		data = fliData;
		size = fliSize;
		generation = fliGeneration;
	}
	BWindow* source = Window();
	message->AddPointer(kAnimationDataField, data);
	AddAnimationSize(message, size);
	message->AddString(kTitleField, source != nullptr ? source->Title() : "");
	message->AddPointer(kSourceWindowField, source);
	// The receiver copies only while this generation still names this very buffer.
	message->AddInt64(kDragGenerationField, static_cast<int64>(generation));
	return true;
}

void FliView::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case B_SIMPLE_DATA:
		case B_REFS_RECEIVED:
			ForwardDroppedFiles(message);
			break;
		case FLI_DRAG:
			ForwardDraggedAnimation(message);
			break;
		default:
			BView::MessageReceived(message);
			break;
	}
}

// Dropped files go up the handler chain to the window as B_REFS_RECEIVED, every field kept;
// the window has the application load the first of "refs" into it. A message that was not
// dropped, or has no "refs", ends here.
void FliView::ForwardDroppedFiles(BMessage* message)
{
	if (!message->WasDropped() || !message->HasRef("refs", 0))
		return;
	BMessage refs(*message);
	refs.what = B_REFS_RECEIVED;
	BView::MessageReceived(&refs);
}

// An animation dragged from another window goes up the handler chain, unchanged, to the
// window, whose kill looper loads it: loading stops this view's play thread, which must not
// happen on the window thread. A drag from this very window, or without a source, ends here.
void FliView::ForwardDraggedAnimation(BMessage* message)
{
	void* source = nullptr;
	if (message->FindPointer(kSourceWindowField, &source) != B_OK || source == Window())
		return;
	BView::MessageReceived(message);
}

bool FliView::CallerHoldsWindowLock() const
{
	return window != nullptr && window->LockingThread() == find_thread(nullptr);
}
