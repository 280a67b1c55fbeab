// FliView as a view: construction, destruction, drawing, keys, the drag out and the drops in.
#include "FliView.h"

#include "AnimationBuffers.h"

#include "PlayerMessages.h"

#include <AppDefs.h>
#include <InterfaceDefs.h>
#include <Message.h>

#include <algorithm>
#include <cctype>
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
	  fliGeneration(0),
	  positionShown(false),
	  aspect(kStretch)
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
	if (bitmap == nullptr)
		return;
	const BRect bounds = Bounds();
	const BRect picture = PictureFrame(bounds, aspect);
	if (picture != bounds) {
		// The bars beside or above and below the picture.
		SetHighColor(0, 0, 0);
		FillRect(BRect(bounds.left, bounds.top, bounds.right, picture.top - 1));
		FillRect(BRect(bounds.left, picture.bottom + 1, bounds.right, bounds.bottom));
		FillRect(BRect(bounds.left, picture.top, picture.left - 1, picture.bottom));
		FillRect(BRect(picture.right + 1, picture.top, bounds.right, picture.bottom));
	}
	DrawBitmap(bitmap, picture);
}

BRect FliView::PictureFrame(BRect bounds, AspectMode mode)
{
	if (mode == kStretch)
		return bounds;
	const int64 across = mode == kKeep8By5 ? 8 : 4;
	const int64 down = mode == kKeep8By5 ? 5 : 3;
	const int64 width = int64(bounds.Width()) + 1;
	const int64 height = int64(bounds.Height()) + 1;
	int64 pictureWidth = width;
	int64 pictureHeight = height;
	if (width * down <= height * across)
		pictureHeight = std::max<int64>(1, (width * down + across / 2) / across);
	else
		pictureWidth = std::max<int64>(1, (height * across + down / 2) / down);
	const float left = bounds.left + float((width - pictureWidth) / 2);
	const float top = bounds.top + float((height - pictureHeight) / 2);
	return BRect(left, top, left + float(pictureWidth - 1), top + float(pictureHeight - 1));
}

void FliView::SetAspect(AspectMode mode)
{
	aspect = mode;
	Invalidate();
}

void FliView::KeyDown(const char* bytes, int32 numBytes)
{
	int32 modifiers = 0;
	int32 key = 0;
	if (BMessage* message = Window() != nullptr ? Window()->CurrentMessage() : nullptr) {
		message->FindInt32("modifiers", &modifiers);
		message->FindInt32("key", &key);
	}
	// Shift is part of some of the keys' characters (+, F); the other modifiers make
	// shortcuts, which are not the player's.
	if (numBytes != 1 || (modifiers & (B_COMMAND_KEY | B_CONTROL_KEY | B_OPTION_KEY)) != 0) {
		BView::KeyDown(bytes, numBytes);
		return;
	}
	switch (std::tolower(uint8(bytes[0]))) {
		case B_SPACE:
			PostPlayCommand(kTogglePause);
			break;
		case '.':
		case B_RIGHT_ARROW:
			PostPlayCommand(kStepForward);
			break;
		case ',':
		case B_LEFT_ARROW:
			PostPlayCommand(kStepBack);
			break;
		case B_HOME:
			PostPlayCommand(kGoHome);
			break;
		case '-':
			PostPlayCommand(kSlower);
			break;
		case '+':
		case '=':
			PostPlayCommand(kFaster);
			break;
		case B_BACKSPACE:
			PostPlayCommand(kFileSpeed);
			break;
		case 'a':
			SetAspect(AspectMode((aspect + 1) % 3));
			break;
		case 'f':
			Window()->PostMessage(kToggleFullScreen);
			break;
		case B_FUNCTION_KEY:
			if (key == B_F11_KEY)
				Window()->PostMessage(kToggleFullScreen);
			else
				BView::KeyDown(bytes, numBytes);
			break;
		case B_ESCAPE:
			Window()->PostMessage(kLeaveFullScreen);
			break;
		case '1':
		case '2':
		case '3':
		case '4': {
			BMessage zoom(kZoomPicture);
			zoom.AddInt32(kZoomField, bytes[0] - '0');
			Window()->PostMessage(&zoom);
			break;
		}
		default:
			BView::KeyDown(bytes, numBytes);
			break;
	}
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
	std::string title;
	{
		std::lock_guard guard(fieldLock);
		if (playThread == 0)
			return false;
		data = fliData;
		size = fliSize;
		generation = fliGeneration;
		// The name alone, also while the title shows a paused position.
		title = plainTitle;
	}
	BWindow* source = Window();
	message->AddPointer(kAnimationDataField, data);
	AddAnimationSize(message, size);
	message->AddString(kTitleField, title.c_str());
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
