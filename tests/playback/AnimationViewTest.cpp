// The view: drawing scaled, the drag message, safe copies of dragged buffers, and drops.
#include <gtest/gtest.h>

#include <Entry.h>
#include <Errors.h>

#include <AnimationBuffers.h>

#include "fli/Format.h"

#include <cstring>
#include <unistd.h>

#include "DisplayHarness.h"
#include "DisplayProbe.h"
#include "DisplayWindow.h"
#include "PlaybackHarness.h"
#include "private/interface/WindowPrivate.h"
#include "TemporaryFolder.h"
#include "WaitFor.h"

using namespace zoetra::testing;
namespace probe = zoetra::display::probe;

namespace {

zoetra::display::DisplayWindow& Native(BWindow* window)
{
	return BPrivate::WindowPrivate::Display(window);
}

std::vector<uint8_t> Flat(const BMessage& message)
{
	std::vector<uint8_t> bytes(size_t(message.FlattenedSize()));
	EXPECT_EQ(message.Flatten(reinterpret_cast<char*>(bytes.data()), ssize_t(bytes.size())), B_OK);
	return bytes;
}

std::vector<std::string> FieldNames(const BMessage& message)
{
	std::vector<std::string> names;
	char* name;
	type_code type;
	for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type) == B_OK; i++)
		names.push_back(name);
	return names;
}

} // namespace

TEST(AnimationView, DrawShowsTheWholeFrameBufferScaledToTheBoundsWhateverTheUpdateRect)
{
	OpenWindow window = Open("Draw", BRect(50, 50, 369, 249));
	ProbeView* view = window->View();
	ASSERT_TRUE(window->Lock());
	auto* pixels = const_cast<uint32*>(view->Pixels());
	for (int i = 0; i < fli::kPixelCount; i++)
		pixels[i] = uint32(i * 2654435761u) & 0x00ffffffu;
	window->ResizeTo(639, 399);
	view->Draw(BRect());
	view->Sync();
	window->Unlock();
	probe::NativeSnapshot shot;
	ASSERT_TRUE(probe::Snapshot(Native(window.get()), shot, true));
	ASSERT_EQ(shot.width, 640);
	ASSERT_EQ(shot.height, 400);
	int wrong = 0;
	for (int y = 0; y < 400; y++)
		for (int x = 0; x < 640; x++)
			if (shot.pixels[size_t(y) * 640 + size_t(x)]
				!= (pixels[(y / 2) * 320 + x / 2] | 0xff000000u))
				wrong++;
	EXPECT_EQ(wrong, 0);
	EXPECT_TRUE(Close(window));
}

TEST(AnimationView, DragMessageCarriesTheFourFieldsInOrderAndAGeneration)
{
	OpenWindow window = Open("Dragged title");
	ProbeView* view = window->View();
	BMessage idle(FLI_DRAG);
	EXPECT_FALSE(view->MakeDragMessage(&idle)) << "an Empty view drags nothing";
	EXPECT_TRUE(idle.IsEmpty());

	const auto file = CountedFile(2, 1);
	unsigned char* data = HeapCopy(file);
	view->SetData(data, file.size());
	BMessage drag(FLI_DRAG);
	ASSERT_TRUE(view->MakeDragMessage(&drag));
	EXPECT_EQ(FieldNames(drag),
		(std::vector<std::string>{"fli_data", "size", "title", "source_window", "fli_generation"}));
	void* pointer = nullptr;
	int32 size = 0;
	const char* title = nullptr;
	void* source = nullptr;
	EXPECT_EQ(drag.FindPointer("fli_data", &pointer), B_OK);
	EXPECT_EQ(pointer, data);
	EXPECT_EQ(drag.FindInt32("size", &size), B_OK);
	EXPECT_EQ(size, int32(file.size()));
	EXPECT_EQ(drag.FindString("title", &title), B_OK);
	EXPECT_STREQ(title, "Dragged title");
	EXPECT_EQ(drag.FindPointer("source_window", &source), B_OK);
	EXPECT_EQ(source, static_cast<BWindow*>(window.get()));

	view->Stop();
	BMessage stopped(FLI_DRAG);
	EXPECT_FALSE(view->MakeDragMessage(&stopped)) << "a Stopped view activates instead";
	EXPECT_TRUE(Close(window));
}

TEST(AnimationView, ADraggedBufferIsCopiedOnlyWhileItsViewStillHoldsIt)
{
	OpenWindow window = Open("Source");
	ProbeView* view = window->View();
	const auto file = CountedFile(2, 1);
	view->SetData(HeapCopy(file), file.size());
	BMessage drag(FLI_DRAG);
	ASSERT_TRUE(view->MakeDragMessage(&drag));

	uint8* copy = nullptr;
	uint32 size = 0;
	ASSERT_EQ(CopyAnimation(&drag, &copy, &size), B_OK);
	EXPECT_EQ(size, file.size());
	EXPECT_EQ(std::memcmp(copy, file.data(), file.size()), 0);
	EXPECT_NE(copy, view->Data()) << "the receiver gets a buffer of its own";
	delete[] copy;

	BMessage wrongSize(drag);
	wrongSize.ReplaceInt32("size", int32(file.size() + 100));
	EXPECT_EQ(CopyAnimation(&wrongSize, &copy, &size), B_ENTRY_NOT_FOUND)
		<< "would read past the buffer";
	BMessage bare(FLI_DRAG);
	bare.AddPointer("fli_data", view->Data());
	bare.AddInt32("size", int32(file.size()));
	EXPECT_EQ(CopyAnimation(&bare, &copy, &size), B_BAD_VALUE) << "no generation, no copy";

	view->SetData(HeapCopy(file), file.size());
	EXPECT_EQ(CopyAnimation(&drag, &copy, &size), B_ENTRY_NOT_FOUND)
		<< "the buffer was replaced and freed";
	BMessage fresh(FLI_DRAG);
	ASSERT_TRUE(view->MakeDragMessage(&fresh));
	EXPECT_TRUE(Close(window));
	EXPECT_EQ(CopyAnimation(&fresh, &copy, &size), B_ENTRY_NOT_FOUND) << "the view was destroyed";
}

TEST(AnimationView, DroppedFilesGoToTheApplicationNamingTheWindow)
{
	OpenWindow window = Open("Files");
	TemporaryFolder folder("zoetra-drop");
	const std::string path = folder.Write("dropped.fli", "");
	const size_t before = ReceivedRefs().size();

	// Not dropped: ignored, whatever it carries.
	BMessage posted(B_SIMPLE_DATA);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
	posted.AddRef("refs", &ref);
	ASSERT_EQ(window->PostMessage(&posted, window->View()), B_OK);
	// Dropped without "refs": ignored.
	BMessage empty(B_REFS_RECEIVED);
	empty.AddInt32("marker", 1);
	ASSERT_TRUE(probe::DropMessage(Native(window.get()), 20, 20, Flat(empty), getpid(), false));
	// Dropped '_RRC' with refs and a field of its own: passed on, the field kept.
	BMessage refs(B_REFS_RECEIVED);
	refs.AddRef("refs", &ref);
	refs.AddInt32("marker", 2);
	ASSERT_TRUE(probe::DropMessage(Native(window.get()), 20, 20, Flat(refs), getpid(), false));
	// A file from the desktop arrives as a dropped 'DATA' with refs.
	ASSERT_TRUE(probe::DropFiles(Native(window.get()), 30, 30, {path}));

	ASSERT_TRUE(WaitFor([&] { return ReceivedRefs().size() >= before + 2; }));
	// Messages reach the application in the order the window handled them, so anything
	// wrongly passed on would show up before the two expected ones.
	const auto received = ReceivedRefs();
	ASSERT_EQ(received.size(), before + 2);
	for (size_t i = before; i < received.size(); i++) {
		const BMessage& message = received[i];
		EXPECT_EQ(message.what, uint32(B_REFS_RECEIVED));
		void* source = nullptr;
		EXPECT_EQ(message.FindPointer("source_window", &source), B_OK);
		EXPECT_EQ(source, static_cast<BWindow*>(window.get()));
		entry_ref got;
		EXPECT_EQ(message.FindRef("refs", &got), B_OK);
	}
	int32 marker = 0;
	EXPECT_EQ(received[before].FindInt32("marker", &marker), B_OK);
	EXPECT_EQ(marker, 2);
	EXPECT_FALSE(received[before + 1].HasInt32("marker"));
	EXPECT_TRUE(Close(window));
}

TEST(AnimationView, DraggedAnimationsFromOtherWindowsGoUnchangedToTheKillLooper)
{
	OpenWindow source = Open("Source", BRect(100, 100, 419, 299));
	OpenWindow target = Open("Target", BRect(500, 100, 819, 299));
	const auto file = CountedFile(2, 1);
	source->View()->SetData(HeapCopy(file), file.size());
	target->View()->SetData(HeapCopy(file), file.size());

	BMessage own(FLI_DRAG);
	ASSERT_TRUE(target->View()->MakeDragMessage(&own));
	own.AddInt32("marker", 1);
	BMessage foreign(FLI_DRAG);
	ASSERT_TRUE(source->View()->MakeDragMessage(&foreign));
	foreign.AddInt32("marker", 2);
	BMessage sourceless(FLI_DRAG);
	sourceless.AddInt32("marker", 3);

	ASSERT_TRUE(probe::DropMessage(Native(target.get()), 40, 40, Flat(own), getpid(), true));
	ASSERT_TRUE(probe::DropMessage(Native(target.get()), 40, 40, Flat(sourceless), getpid(), true));
	ASSERT_TRUE(probe::DropMessage(Native(target.get()), 40, 40, Flat(foreign), getpid(), true));
	ASSERT_TRUE(target->Looper()->log.WaitFor("FLdg"));
	// The window handles the drops in order, so the ignored ones came first.
	const auto received = target->Looper()->Received();
	ASSERT_EQ(received.size(), 1u);
	EXPECT_EQ(received[0].what, uint32(FLI_DRAG));
	EXPECT_EQ(FieldNames(received[0]), FieldNames(foreign));
	EXPECT_EQ(Flat(received[0]), Flat(foreign)) << "the message reaches the looper unchanged";
	EXPECT_TRUE(source->Looper()->Received().empty());
	// The drop changed nothing in the target itself: the looper loads it, not the view.
	uint8* copy = nullptr;
	uint32 size = 0;
	ASSERT_EQ(CopyAnimation(&received[0], &copy, &size), B_OK);
	delete[] copy;

	EXPECT_TRUE(Close(target));
	EXPECT_TRUE(Close(source));
}
