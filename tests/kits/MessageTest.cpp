// BMessage fields, copies, delivery state and flattening, with hostile flat data.
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>

#include "private/app/MessagePrivate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<char> Flat(const BMessage& message)
{
	std::vector<char> bytes(static_cast<size_t>(message.FlattenedSize()));
	EXPECT_EQ(message.Flatten(bytes.data(), static_cast<ssize_t>(bytes.size())), B_OK);
	return bytes;
}

BMessage Rich()
{
	BMessage message('FLdg');
	int marker = 0;
	message.AddPointer("fli_data", &marker);
	message.AddInt32("size", 4096);
	message.AddString("title", "bounce.fli");
	message.AddBool("flag", true);
	message.AddFloat("scale", 2.5f);
	message.AddInt64("big", INT64_C(1) << 40);
	message.AddPoint("where", BPoint(3, 4));
	message.AddRect("frame", BRect(0, 0, 319, 199));
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path("/tmp", &ref), B_OK);
	message.AddRef("refs", &ref);
	EXPECT_EQ(get_ref_for_path("/", &ref), B_OK);
	message.AddRef("refs", &ref);
	BMessage inner('INNR');
	inner.AddString("name", "nested");
	message.AddMessage("inner", &inner);
	const uint8 raw[] = {1, 2, 3};
	message.AddData("raw", B_RAW_TYPE, raw, sizeof(raw), false);
	return message;
}

TEST(Messages, FieldsOfEveryTypeRoundTrip)
{
	BMessage message = Rich();
	void* pointer = nullptr;
	int32 size = 0;
	const char* title = nullptr;
	bool flag = false;
	float scale = 0;
	int64 big = 0;
	BPoint where;
	BRect frame;
	entry_ref ref;
	BMessage inner;
	EXPECT_EQ(message.FindPointer("fli_data", &pointer), B_OK);
	EXPECT_NE(pointer, nullptr);
	EXPECT_EQ(message.FindInt32("size", &size), B_OK);
	EXPECT_EQ(size, 4096);
	EXPECT_EQ(message.FindString("title", &title), B_OK);
	EXPECT_STREQ(title, "bounce.fli");
	EXPECT_EQ(message.FindBool("flag", &flag), B_OK);
	EXPECT_TRUE(flag);
	EXPECT_EQ(message.FindFloat("scale", &scale), B_OK);
	EXPECT_EQ(scale, 2.5f);
	EXPECT_EQ(message.FindInt64("big", &big), B_OK);
	EXPECT_EQ(big, INT64_C(1) << 40);
	EXPECT_EQ(message.FindPoint("where", &where), B_OK);
	EXPECT_EQ(where, BPoint(3, 4));
	EXPECT_EQ(message.FindRect("frame", &frame), B_OK);
	EXPECT_EQ(frame, BRect(0, 0, 319, 199));
	EXPECT_EQ(message.FindRef("refs", 1, &ref), B_OK);
	EXPECT_STREQ(ref.name, "/");
	EXPECT_EQ(message.FindRef("refs", &ref), B_OK);
	EXPECT_STREQ(ref.name, "tmp");
	EXPECT_TRUE(message.HasRef("refs", 1));
	EXPECT_FALSE(message.HasRef("refs", 2));
	EXPECT_EQ(message.FindMessage("inner", &inner), B_OK);
	EXPECT_EQ(inner.what, static_cast<uint32>('INNR'));
	EXPECT_EQ(inner.FindString("name", &title), B_OK);
	EXPECT_STREQ(title, "nested");
}

TEST(Messages, LookupErrorsAreDistinct)
{
	BMessage message = Rich();
	int32 value;
	const char* text;
	EXPECT_EQ(message.FindInt32("missing", &value), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.FindInt32("title", &value), B_BAD_TYPE);
	EXPECT_EQ(message.FindInt32("size", 1, &value), B_BAD_INDEX);
	EXPECT_EQ(message.FindInt32("size", -1, &value), B_BAD_INDEX);
	EXPECT_EQ(message.FindInt32(nullptr, &value), B_BAD_VALUE);
	EXPECT_EQ(message.FindInt32("size", static_cast<int32*>(nullptr)), B_BAD_VALUE);
	EXPECT_EQ(message.FindString("title", static_cast<const char**>(nullptr)), B_BAD_VALUE);
	EXPECT_EQ(message.AddInt32("title", 3), B_BAD_TYPE);
	EXPECT_EQ(message.AddString("title", nullptr), B_BAD_VALUE);
	EXPECT_EQ(message.AddString(nullptr, "x"), B_BAD_VALUE);
	EXPECT_EQ(message.AddRef("refs", nullptr), B_BAD_VALUE);
	entry_ref unset;
	EXPECT_EQ(message.AddRef("refs", &unset), B_BAD_VALUE);
	EXPECT_EQ(message.AddMessage("inner", nullptr), B_BAD_VALUE);
	EXPECT_FALSE(message.HasString("size"));
	EXPECT_EQ(message.FindString("missing", &text), B_NAME_NOT_FOUND);
}

TEST(Messages, ReplaceRemoveAndCount)
{
	BMessage message;
	message.AddInt32("n", 1);
	message.AddInt32("n", 2);
	message.AddInt32("n", 3);
	type_code type = 0;
	int32 count = 0;
	EXPECT_EQ(message.GetInfo("n", &type, &count), B_OK);
	EXPECT_EQ(type, static_cast<type_code>(B_INT32_TYPE));
	EXPECT_EQ(count, 3);
	EXPECT_EQ(message.ReplaceInt32("n", 1, 20), B_OK);
	EXPECT_EQ(message.ReplaceInt32("n", 5, 20), B_BAD_INDEX);
	EXPECT_EQ(message.ReplaceString("n", "x"), B_BAD_TYPE);
	EXPECT_EQ(message.RemoveData("n", 0), B_OK);
	int32 value = 0;
	EXPECT_EQ(message.FindInt32("n", &value), B_OK);
	EXPECT_EQ(value, 20);
	EXPECT_EQ(message.RemoveName("n"), B_OK);
	EXPECT_TRUE(message.IsEmpty());
	EXPECT_EQ(message.RemoveName("n"), B_NAME_NOT_FOUND);
	// A field that loses its last value is gone.
	message.AddString("s", "only");
	EXPECT_EQ(message.RemoveData("s"), B_OK);
	EXPECT_EQ(message.GetInfo("s", &type), B_NAME_NOT_FOUND);
	// Fixed-size fields keep one size.
	message.AddData("fixed", B_RAW_TYPE, "ab", 2, true);
	EXPECT_EQ(message.AddData("fixed", B_RAW_TYPE, "abc", 3, true), B_BAD_VALUE);

	message.AddInt32("a", 1);
	message.AddString("b", "x");
	message.AddInt32("c", 2);
	EXPECT_EQ(message.CountNames(B_INT32_TYPE), 2);
	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 4);
	char* name = nullptr;
	EXPECT_EQ(message.GetInfo(B_INT32_TYPE, 1, &name, &type), B_OK);
	EXPECT_STREQ(name, "c");
	EXPECT_EQ(message.GetInfo(B_INT32_TYPE, 2, &name, &type), B_BAD_INDEX);
	EXPECT_EQ(message.GetInfo(B_RECT_TYPE, 0, &name, &type), B_BAD_TYPE);
}

// One field type's Add, Find, Has and Replace, by name and at an index: the second value
// is found at index 1, a replacement lands where it is aimed, and an index past the end
// or a field of another type is refused.
template <typename T, typename In = T>
struct TypedAccess {
	status_t (BMessage::*add)(const char*, In);
	status_t (BMessage::*find)(const char*, T*) const;
	status_t (BMessage::*findAt)(const char*, int32, T*) const;
	bool (BMessage::*has)(const char*, int32) const;
	status_t (BMessage::*replace)(const char*, In);
	status_t (BMessage::*replaceAt)(const char*, int32, In);

	void Check(T first, T second, T third) const
	{
		BMessage message('TYPE');
		ASSERT_EQ((message.*add)("field", first), B_OK);
		ASSERT_EQ((message.*add)("field", second), B_OK);
		message.AddString("text", "not this type");
		EXPECT_TRUE((message.*has)("field", 1));
		EXPECT_FALSE((message.*has)("field", 2));
		EXPECT_FALSE((message.*has)("text", 0));
		T value{};
		EXPECT_EQ((message.*findAt)("field", 1, &value), B_OK);
		EXPECT_EQ(value, second);
		EXPECT_EQ((message.*replaceAt)("field", 1, third), B_OK);
		EXPECT_EQ((message.*findAt)("field", 1, &value), B_OK);
		EXPECT_EQ(value, third);
		EXPECT_EQ((message.*replace)("field", third), B_OK);
		EXPECT_EQ((message.*find)("field", &value), B_OK);
		EXPECT_EQ(value, third);
		EXPECT_EQ((message.*replaceAt)("field", 2, first), B_BAD_INDEX);
		EXPECT_EQ((message.*findAt)("field", 2, &value), B_BAD_INDEX);
		EXPECT_EQ((message.*replace)("text", first), B_BAD_TYPE);
		EXPECT_EQ((message.*find)("text", &value), B_BAD_TYPE);
	}
};

TEST(Messages, EveryTypeIsFoundAndReplacedAtAnIndex)
{
	using M = BMessage;
	TypedAccess<bool>{
		&M::AddBool, &M::FindBool, &M::FindBool, &M::HasBool, &M::ReplaceBool, &M::ReplaceBool}
		.Check(true, false, true);
	TypedAccess<int8>{
		&M::AddInt8, &M::FindInt8, &M::FindInt8, &M::HasInt8, &M::ReplaceInt8, &M::ReplaceInt8}
		.Check(-128, 7, 127);
	TypedAccess<int16>{&M::AddInt16, &M::FindInt16, &M::FindInt16, &M::HasInt16, &M::ReplaceInt16,
		&M::ReplaceInt16}
		.Check(-32768, 300, 32767);
	TypedAccess<int32>{&M::AddInt32, &M::FindInt32, &M::FindInt32, &M::HasInt32, &M::ReplaceInt32,
		&M::ReplaceInt32}
		.Check(INT32_MIN, 70000, INT32_MAX);
	TypedAccess<int64>{&M::AddInt64, &M::FindInt64, &M::FindInt64, &M::HasInt64, &M::ReplaceInt64,
		&M::ReplaceInt64}
		.Check(INT64_MIN, INT64_C(1) << 40, INT64_MAX);
	TypedAccess<float>{&M::AddFloat, &M::FindFloat, &M::FindFloat, &M::HasFloat, &M::ReplaceFloat,
		&M::ReplaceFloat}
		.Check(-1.5f, 0.25f, 3e30f);
	TypedAccess<double>{&M::AddDouble, &M::FindDouble, &M::FindDouble, &M::HasDouble,
		&M::ReplaceDouble, &M::ReplaceDouble}
		.Check(-1e300, 0.125, 1e-300);
	TypedAccess<BPoint>{&M::AddPoint, &M::FindPoint, &M::FindPoint, &M::HasPoint, &M::ReplacePoint,
		&M::ReplacePoint}
		.Check(BPoint(1, 2), BPoint(-3, 4.5f), BPoint(640, 480));
	TypedAccess<BRect>{
		&M::AddRect, &M::FindRect, &M::FindRect, &M::HasRect, &M::ReplaceRect, &M::ReplaceRect}
		.Check(BRect(0, 0, 319, 199), BRect(1, 2, 3, 4), BRect(-10, -10, 10, 10));
	int a = 0, b = 0, c = 0;
	TypedAccess<void*, const void*>{&M::AddPointer, &M::FindPointer, &M::FindPointer,
		&M::HasPointer, &M::ReplacePointer, &M::ReplacePointer}
		.Check(&a, &b, &c);
}

// Raw data, messages, refs and messengers, which are passed by address or by copy.
TEST(Messages, DataMessagesRefsAndMessengersAreReplacedWhole)
{
	BMessage message('DATA');
	const uint8 raw[] = {1, 2, 3};
	message.AddData("raw", B_RAW_TYPE, raw, sizeof(raw), false);
	EXPECT_TRUE(message.HasData("raw", B_RAW_TYPE));
	EXPECT_FALSE(message.HasData("raw", B_INT32_TYPE));
	const uint8 longer[] = {9, 8, 7, 6};
	EXPECT_EQ(message.ReplaceData("raw", B_RAW_TYPE, longer, sizeof(longer)), B_OK);
	const void* data = nullptr;
	ssize_t size = 0;
	ASSERT_EQ(message.FindData("raw", B_RAW_TYPE, &data, &size), B_OK);
	ASSERT_EQ(size, ssize_t(sizeof(longer)));
	EXPECT_EQ(std::memcmp(data, longer, sizeof(longer)), 0);
	EXPECT_EQ(message.FindData("raw", B_INT32_TYPE, &data, &size), B_BAD_TYPE);

	BMessage first('ONE'), second('TWO');
	message.AddMessage("inner", &first);
	EXPECT_TRUE(message.HasMessage("inner"));
	EXPECT_EQ(message.ReplaceMessage("inner", &second), B_OK);
	BMessage found;
	ASSERT_EQ(message.FindMessage("inner", &found), B_OK);
	EXPECT_EQ(found.what, static_cast<uint32>('TWO'));

	entry_ref tmp, root;
	ASSERT_EQ(get_ref_for_path("/tmp", &tmp), B_OK);
	ASSERT_EQ(get_ref_for_path("/", &root), B_OK);
	message.AddRef("refs", &tmp);
	EXPECT_EQ(message.ReplaceRef("refs", &root), B_OK);
	entry_ref ref;
	ASSERT_EQ(message.FindRef("refs", &ref), B_OK);
	EXPECT_EQ(ref, root);

	// No looper here, so no messenger is valid; two empty ones are equal and travel whole.
	const BMessenger none;
	message.AddMessenger("to", none);
	EXPECT_TRUE(message.HasMessenger("to"));
	BMessenger messenger;
	EXPECT_EQ(message.FindMessenger("to", &messenger), B_OK);
	EXPECT_TRUE(messenger == none);
	EXPECT_EQ(message.FindMessenger("to", 1, &messenger), B_BAD_INDEX);
	EXPECT_FALSE(message.ReturnAddress().IsValid());

	EXPECT_EQ(message.MakeEmpty(), B_OK);
	EXPECT_TRUE(message.IsEmpty());
	EXPECT_EQ(message.what, static_cast<uint32>('DATA'));
}

TEST(Messages, CopiesAreIndependent)
{
	BMessage original = Rich();
	BMessage copy(original);
	copy.ReplaceString("title", "changed");
	copy.what = 'DIFF';
	const char* title;
	original.FindString("title", &title);
	EXPECT_STREQ(title, "bounce.fli");
	EXPECT_EQ(original.what, static_cast<uint32>('FLdg'));
	BMessage assigned;
	assigned = copy;
	assigned.FindString("title", &title);
	EXPECT_STREQ(title, "changed");
}

TEST(Messages, DropStateIsSetOnlyByTheKits)
{
	BMessage message(B_SIMPLE_DATA);
	EXPECT_FALSE(message.WasDropped());
	BPrivate::MessagePrivate(&message).SetWasDropped(true);
	BPrivate::MessagePrivate(&message).SetDropPoint(BPoint(10, 20), BPoint(1, 2));
	EXPECT_TRUE(message.WasDropped());
	BPoint offset;
	EXPECT_EQ(message.DropPoint(&offset), BPoint(10, 20));
	EXPECT_EQ(offset, BPoint(1, 2));
	BMessage copy(message);
	EXPECT_TRUE(copy.WasDropped());
}

TEST(Messages, ReplyWithoutAnyoneToReplyToFails)
{
	BMessage message('ASK?');
	EXPECT_EQ(message.SendReply('ANSR'), B_BAD_REPLY);
	EXPECT_EQ(message.SendReply(static_cast<BMessage*>(nullptr)), B_BAD_VALUE);
}

TEST(Flattening, RoundTripKeepsEveryField)
{
	BMessage original = Rich();
	std::vector<char> bytes = Flat(original);
	BMessage copy;
	ASSERT_EQ(copy.Unflatten(bytes.data()), B_OK);
	EXPECT_EQ(copy.what, original.what);
	EXPECT_EQ(Flat(copy), bytes);
	BMessage bounded;
	ASSERT_EQ(BPrivate::MessagePrivate(&bounded).Unflatten(bytes.data(), bytes.size()), B_OK);
	EXPECT_EQ(Flat(bounded), bytes);
	EXPECT_EQ(copy.Flatten(bytes.data(), static_cast<ssize_t>(bytes.size() - 1)), B_BAD_VALUE);
}

// Every cut of a valid flat message is refused, and the message keeps its contents.
TEST(Flattening, EveryTruncationIsRefused)
{
	std::vector<char> bytes = Flat(Rich());
	for (size_t length = 0; length < bytes.size(); length++) {
		BMessage target('KEEP');
		target.AddInt32("kept", 1);
		ASSERT_EQ(BPrivate::MessagePrivate(&target).Unflatten(bytes.data(), length), B_BAD_DATA)
			<< "length " << length;
		EXPECT_EQ(target.what, static_cast<uint32>('KEEP'));
		EXPECT_TRUE(target.HasInt32("kept"));
	}
}

// Any byte changed to any of a few values either is refused or gives a message whose
// fields all read back cleanly; AddressSanitizer watches for stray reads.
TEST(Flattening, CorruptedBytesNeverReadOutOfBounds)
{
	std::vector<char> bytes = Flat(Rich());
	const uint8 replacements[] = {0x00, 0x01, 0x7f, 0x80, 0xff};
	for (size_t position = 0; position < bytes.size(); position++) {
		for (uint8 replacement : replacements) {
			std::vector<char> corrupt = bytes;
			corrupt[position] = static_cast<char>(replacement);
			BMessage target;
			if (BPrivate::MessagePrivate(&target).Unflatten(corrupt.data(), corrupt.size()) != B_OK)
				continue;
			char* name;
			type_code type;
			int32 count;
			for (int32 i = 0; target.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
				for (int32 j = 0; j < count; j++) {
					const void* data;
					ssize_t size;
					ASSERT_EQ(target.FindData(name, type, j, &data, &size), B_OK);
					const char* text;
					if (type == B_STRING_TYPE) {
						ASSERT_EQ(target.FindString(name, j, &text), B_OK);
					}
					entry_ref ref;
					if (type == B_REF_TYPE) {
						ASSERT_EQ(target.FindRef(name, j, &ref), B_OK);
					}
					BMessage nested;
					if (type == B_MESSAGE_TYPE)
						target.FindMessage(name, j, &nested);
				}
			}
		}
	}
}

TEST(Flattening, MalformedContentsAreRefused)
{
	auto refuse = [](BMessage& message, size_t offsetFromEnd, char value) {
		std::vector<char> bytes = Flat(message);
		bytes[bytes.size() - offsetFromEnd] = value;
		BMessage target;
		return BPrivate::MessagePrivate(&target).Unflatten(bytes.data(), bytes.size());
	};
	BMessage text;
	text.AddString("s", "abc");
	EXPECT_EQ(refuse(text, 1, 'x'), B_BAD_DATA) << "a string lost its terminator";
	BMessage ref;
	entry_ref tmp;
	get_ref_for_path("/tmp", &tmp);
	ref.AddRef("r", &tmp);
	EXPECT_EQ(refuse(ref, 5, 'x'), B_BAD_DATA) << "a ref whose path is not absolute";

	BMessage twice;
	twice.AddInt32("aa", 1);
	twice.AddInt32("ab", 2);
	std::vector<char> bytes = Flat(twice);
	std::string flat(bytes.begin(), bytes.end());
	flat.replace(flat.rfind("ab"), 2, "aa");
	BMessage target;
	EXPECT_EQ(BPrivate::MessagePrivate(&target).Unflatten(flat.data(), flat.size()), B_BAD_DATA)
		<< "two fields of one name";
	EXPECT_EQ(BPrivate::MessagePrivate(&target).Unflatten(nullptr, 10), B_BAD_VALUE);
	EXPECT_EQ(target.Unflatten(nullptr), B_BAD_VALUE);
}

}
