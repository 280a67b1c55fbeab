// BMessage: typed, named fields and the delivery state of one message.
#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <Messenger.h>

#include "private/storage/EntryRefPrivate.h"
#include "private/app/MessagePrivate.h"
#include "private/app/MessengerPrivate.h"

#include <cstring>

using namespace BPrivate;

namespace {

std::vector<uint8> Bytes(const void* data, size_t size)
{
	const uint8* begin = static_cast<const uint8*>(data);
	return std::vector<uint8>(begin, begin + size);
}

struct MessengerTokens {
	int32 looper;
	int32 handler;
};

}

BMessage::BMessage()
	: what(0)
{
}

BMessage::BMessage(uint32 command)
	: what(command)
{
}

BMessage::BMessage(const BMessage& other) = default;

BMessage::~BMessage() = default;

BMessage& BMessage::operator=(const BMessage& other) = default;

BMessage::Field* BMessage::FindField(const char* name)
{
	if (name == nullptr)
		return nullptr;
	for (Field& field : fFields) {
		if (field.name == name)
			return &field;
	}
	return nullptr;
}

const BMessage::Field* BMessage::FindField(const char* name) const
{
	return const_cast<BMessage*>(this)->FindField(name);
}

status_t BMessage::GetInfo(const char* name, type_code* type, int32* count) const
{
	if (name == nullptr)
		return B_BAD_VALUE;
	const Field* field = FindField(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (type != nullptr)
		*type = field->type;
	if (count != nullptr)
		*count = static_cast<int32>(field->values.size());
	return B_OK;
}

status_t BMessage::GetInfo(
	type_code type, int32 index, char** name, type_code* foundType, int32* count) const
{
	if (index < 0)
		return B_BAD_INDEX;
	for (const Field& field : fFields) {
		if (type != B_ANY_TYPE && field.type != type)
			continue;
		if (index-- > 0)
			continue;
		if (name != nullptr)
			*name = const_cast<char*>(field.name.c_str());
		if (foundType != nullptr)
			*foundType = field.type;
		if (count != nullptr)
			*count = static_cast<int32>(field.values.size());
		return B_OK;
	}
	return type == B_ANY_TYPE || CountNames(type) > 0 ? B_BAD_INDEX : B_BAD_TYPE;
}

int32 BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const Field& field : fFields) {
		if (type == B_ANY_TYPE || field.type == type)
			count++;
	}
	return count;
}

bool BMessage::IsEmpty() const
{
	return fFields.empty();
}

status_t BMessage::MakeEmpty()
{
	fFields.clear();
	return B_OK;
}

status_t BMessage::RemoveName(const char* name)
{
	if (name == nullptr)
		return B_BAD_VALUE;
	for (auto field = fFields.begin(); field != fFields.end(); ++field) {
		if (field->name == name) {
			fFields.erase(field);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}

status_t BMessage::RemoveData(const char* name, int32 index)
{
	Field* field = FindField(name);
	if (name == nullptr)
		return B_BAD_VALUE;
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (index < 0 || index >= static_cast<int32>(field->values.size()))
		return B_BAD_INDEX;
	field->values.erase(field->values.begin() + index);
	if (field->values.empty())
		return RemoveName(name);
	return B_OK;
}

status_t BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
	bool isFixedSize, int32 /*count*/)
{
	if (name == nullptr || name[0] == '\0' || numBytes < 0 || type == B_ANY_TYPE
		|| (data == nullptr && numBytes > 0))
		return B_BAD_VALUE;
	Field* field = FindField(name);
	if (field == nullptr) {
		fFields.push_back(Field{name, type, isFixedSize, {}});
		field = &fFields.back();
	} else if (field->type != type) {
		return B_BAD_TYPE;
	} else if (field->fixedSize && !field->values.empty()
		&& field->values.front().size() != static_cast<size_t>(numBytes)) {
		return B_BAD_VALUE;
	}
	field->values.push_back(Bytes(data, static_cast<size_t>(numBytes)));
	return B_OK;
}

status_t BMessage::FindValue(
	const char* name, type_code type, int32 index, const std::vector<uint8>** value) const
{
	if (name == nullptr)
		return B_BAD_VALUE;
	const Field* field = FindField(name);
	if (field == nullptr)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || index >= static_cast<int32>(field->values.size()))
		return B_BAD_INDEX;
	*value = &field->values[index];
	return B_OK;
}

status_t BMessage::FindData(
	const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

status_t BMessage::FindData(
	const char* name, type_code type, int32 index, const void** data, ssize_t* numBytes) const
{
	if (data == nullptr)
		return B_BAD_VALUE;
	const std::vector<uint8>* value;
	status_t status = FindValue(name, type, index, &value);
	if (status != B_OK)
		return status;
	*data = value->data();
	if (numBytes != nullptr)
		*numBytes = static_cast<ssize_t>(value->size());
	return B_OK;
}

status_t BMessage::ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes)
{
	return ReplaceData(name, type, 0, data, numBytes);
}

status_t BMessage::ReplaceData(
	const char* name, type_code type, int32 index, const void* data, ssize_t numBytes)
{
	if (numBytes < 0 || (data == nullptr && numBytes > 0))
		return B_BAD_VALUE;
	const std::vector<uint8>* value;
	status_t status = FindValue(name, type, index, &value);
	if (status != B_OK)
		return status;
	Field* field = FindField(name);
	if (field->fixedSize && value->size() != static_cast<size_t>(numBytes))
		return B_BAD_VALUE;
	field->values[index] = Bytes(data, static_cast<size_t>(numBytes));
	return B_OK;
}

bool BMessage::HasData(const char* name, type_code type, int32 index) const
{
	const std::vector<uint8>* value;
	return FindValue(name, type, index, &value) == B_OK;
}

template <typename T>
status_t BMessage::AddValue(const char* name, type_code type, const T& value)
{
	return AddData(name, type, &value, sizeof(T), true);
}

template <typename T>
status_t BMessage::FindValueOf(const char* name, type_code type, int32 index, T* value) const
{
	if (value == nullptr)
		return B_BAD_VALUE;
	const std::vector<uint8>* bytes;
	status_t status = FindValue(name, type, index, &bytes);
	if (status != B_OK)
		return status;
	if (bytes->size() != sizeof(T))
		return B_BAD_DATA;
	memcpy(value, bytes->data(), sizeof(T));
	return B_OK;
}

template <typename T>
status_t BMessage::ReplaceValue(const char* name, type_code type, int32 index, const T& value)
{
	return ReplaceData(name, type, index, &value, sizeof(T));
}

#define FIXED_SIZE_ACCESSORS(Name, Type, TypeCode)                                                 \
	status_t BMessage::Add##Name(const char* name, Type value)                                     \
	{                                                                                              \
		return AddValue(name, TypeCode, value);                                                    \
	}                                                                                              \
	status_t BMessage::Find##Name(const char* name, Type* value) const                             \
	{                                                                                              \
		return FindValueOf(name, TypeCode, 0, value);                                              \
	}                                                                                              \
	status_t BMessage::Find##Name(const char* name, int32 index, Type* value) const                \
	{                                                                                              \
		return FindValueOf(name, TypeCode, index, value);                                          \
	}                                                                                              \
	bool BMessage::Has##Name(const char* name, int32 index) const                                  \
	{                                                                                              \
		return HasData(name, TypeCode, index);                                                     \
	}                                                                                              \
	status_t BMessage::Replace##Name(const char* name, Type value)                                 \
	{                                                                                              \
		return ReplaceValue(name, TypeCode, 0, value);                                             \
	}                                                                                              \
	status_t BMessage::Replace##Name(const char* name, int32 index, Type value)                    \
	{                                                                                              \
		return ReplaceValue(name, TypeCode, index, value);                                         \
	}

FIXED_SIZE_ACCESSORS(Bool, bool, B_BOOL_TYPE)
FIXED_SIZE_ACCESSORS(Int8, int8, B_INT8_TYPE)
FIXED_SIZE_ACCESSORS(Int16, int16, B_INT16_TYPE)
FIXED_SIZE_ACCESSORS(Int32, int32, B_INT32_TYPE)
FIXED_SIZE_ACCESSORS(Int64, int64, B_INT64_TYPE)
FIXED_SIZE_ACCESSORS(Float, float, B_FLOAT_TYPE)
FIXED_SIZE_ACCESSORS(Double, double, B_DOUBLE_TYPE)
FIXED_SIZE_ACCESSORS(Point, BPoint, B_POINT_TYPE)
FIXED_SIZE_ACCESSORS(Rect, BRect, B_RECT_TYPE)

#undef FIXED_SIZE_ACCESSORS

status_t BMessage::AddPointer(const char* name, const void* value)
{
	return AddValue(name, B_POINTER_TYPE, value);
}

status_t BMessage::FindPointer(const char* name, void** value) const
{
	return FindValueOf(name, B_POINTER_TYPE, 0, value);
}

status_t BMessage::FindPointer(const char* name, int32 index, void** value) const
{
	return FindValueOf(name, B_POINTER_TYPE, index, value);
}

bool BMessage::HasPointer(const char* name, int32 index) const
{
	return HasData(name, B_POINTER_TYPE, index);
}

status_t BMessage::ReplacePointer(const char* name, const void* value)
{
	return ReplaceValue(name, B_POINTER_TYPE, 0, value);
}

status_t BMessage::ReplacePointer(const char* name, int32 index, const void* value)
{
	return ReplaceValue(name, B_POINTER_TYPE, index, value);
}

// Strings are kept with their terminator, so a found string can be used in place.
status_t BMessage::AddString(const char* name, const char* value)
{
	if (value == nullptr)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, value, static_cast<ssize_t>(strlen(value) + 1), false);
}

status_t BMessage::FindString(const char* name, const char** value) const
{
	return FindString(name, 0, value);
}

status_t BMessage::FindString(const char* name, int32 index, const char** value) const
{
	if (value == nullptr)
		return B_BAD_VALUE;
	const std::vector<uint8>* bytes;
	status_t status = FindValue(name, B_STRING_TYPE, index, &bytes);
	if (status != B_OK)
		return status;
	if (bytes->empty() || bytes->back() != '\0')
		return B_BAD_DATA;
	*value = reinterpret_cast<const char*>(bytes->data());
	return B_OK;
}

bool BMessage::HasString(const char* name, int32 index) const
{
	return HasData(name, B_STRING_TYPE, index);
}

status_t BMessage::ReplaceString(const char* name, const char* value)
{
	return ReplaceString(name, 0, value);
}

status_t BMessage::ReplaceString(const char* name, int32 index, const char* value)
{
	if (value == nullptr)
		return B_BAD_VALUE;
	return ReplaceData(name, B_STRING_TYPE, index, value, static_cast<ssize_t>(strlen(value) + 1));
}

// A ref travels as its absolute path, terminator included.
status_t BMessage::AddRef(const char* name, const entry_ref* ref)
{
	const char* path = ref != nullptr ? EntryRefPrivate::Path(*ref) : nullptr;
	if (path == nullptr)
		return B_BAD_VALUE;
	return AddData(name, B_REF_TYPE, path, static_cast<ssize_t>(strlen(path) + 1), false);
}

status_t BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	if (ref == nullptr)
		return B_BAD_VALUE;
	const std::vector<uint8>* bytes;
	status_t status = FindValue(name, B_REF_TYPE, index, &bytes);
	if (status != B_OK)
		return status;
	if (bytes->empty() || bytes->back() != '\0')
		return B_BAD_DATA;
	return EntryRefPrivate::SetPath(*ref, reinterpret_cast<const char*>(bytes->data()));
}

bool BMessage::HasRef(const char* name, int32 index) const
{
	return HasData(name, B_REF_TYPE, index);
}

status_t BMessage::ReplaceRef(const char* name, const entry_ref* ref)
{
	return ReplaceRef(name, 0, ref);
}

status_t BMessage::ReplaceRef(const char* name, int32 index, const entry_ref* ref)
{
	const char* path = ref != nullptr ? EntryRefPrivate::Path(*ref) : nullptr;
	if (path == nullptr)
		return B_BAD_VALUE;
	return ReplaceData(name, B_REF_TYPE, index, path, static_cast<ssize_t>(strlen(path) + 1));
}

// A nested message is kept flattened and unflattened again by FindMessage.
status_t BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	std::vector<char> flat(static_cast<size_t>(message->FlattenedSize()));
	status_t status = message->Flatten(flat.data(), static_cast<ssize_t>(flat.size()));
	if (status != B_OK)
		return status;
	return AddData(name, B_MESSAGE_TYPE, flat.data(), static_cast<ssize_t>(flat.size()), false);
}

status_t BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	if (message == nullptr)
		return B_BAD_VALUE;
	const std::vector<uint8>* bytes;
	status_t status = FindValue(name, B_MESSAGE_TYPE, index, &bytes);
	if (status != B_OK)
		return status;
	return MessagePrivate(message).Unflatten(bytes->data(), bytes->size());
}

bool BMessage::HasMessage(const char* name, int32 index) const
{
	return HasData(name, B_MESSAGE_TYPE, index);
}

status_t BMessage::ReplaceMessage(const char* name, const BMessage* message)
{
	return ReplaceMessage(name, 0, message);
}

status_t BMessage::ReplaceMessage(const char* name, int32 index, const BMessage* message)
{
	if (message == nullptr)
		return B_BAD_VALUE;
	std::vector<char> flat(static_cast<size_t>(message->FlattenedSize()));
	status_t status = message->Flatten(flat.data(), static_cast<ssize_t>(flat.size()));
	if (status != B_OK)
		return status;
	return ReplaceData(name, B_MESSAGE_TYPE, index, flat.data(), static_cast<ssize_t>(flat.size()));
}

status_t BMessage::AddMessenger(const char* name, BMessenger messenger)
{
	MessengerTokens tokens{
		MessengerPrivate::LooperToken(messenger), MessengerPrivate::HandlerToken(messenger)};
	return AddData(name, B_MESSENGER_TYPE, &tokens, sizeof(tokens), true);
}

status_t BMessage::FindMessenger(const char* name, BMessenger* messenger) const
{
	return FindMessenger(name, 0, messenger);
}

status_t BMessage::FindMessenger(const char* name, int32 index, BMessenger* messenger) const
{
	if (messenger == nullptr)
		return B_BAD_VALUE;
	MessengerTokens tokens;
	status_t status = FindValueOf(name, B_MESSENGER_TYPE, index, &tokens);
	if (status == B_OK)
		MessengerPrivate::SetTo(*messenger, tokens.looper, tokens.handler);
	return status;
}

bool BMessage::HasMessenger(const char* name, int32 index) const
{
	return HasData(name, B_MESSENGER_TYPE, index);
}

bool BMessage::WasDropped() const
{
	return fWasDropped;
}

BPoint BMessage::DropPoint(BPoint* offset) const
{
	if (offset != nullptr)
		*offset = fDropOffset;
	return fDropPoint;
}

BMessenger BMessage::ReturnAddress() const
{
	BMessenger messenger;
	if (fReplyToSet)
		MessengerPrivate::SetTo(messenger, fReplyTo.looperToken, fReplyTo.handlerToken);
	else if (be_app != nullptr)
		messenger = be_app_messenger;
	return messenger;
}

bool BMessage::IsReply() const
{
	return fIsReply;
}

status_t BMessage::SendReply(uint32 command, BHandler* replyTo)
{
	BMessage reply(command);
	return SendReply(&reply, replyTo);
}

status_t BMessage::SendReply(BMessage* reply, BHandler* replyTo)
{
	if (reply == nullptr)
		return B_BAD_VALUE;
	BMessenger replyMessenger;
	if (replyTo != nullptr)
		replyMessenger = BMessenger(replyTo);
	return SendReply(reply, replyMessenger);
}

status_t BMessage::SendReply(BMessage* reply, BMessenger replyTo)
{
	if (reply == nullptr)
		return B_BAD_VALUE;
	BMessenger destination = ReturnAddress();
	if (!destination.IsValid())
		return B_BAD_REPLY;
	BMessage copy(*reply);
	MessagePrivate(&copy).SetIsReply(true);
	return destination.SendMessage(&copy, replyTo);
}

namespace BPrivate {

void MessagePrivate::SetTarget(int32 handlerToken)
{
	fMessage->fTarget.handlerToken = handlerToken;
}

int32 MessagePrivate::TargetToken() const
{
	return fMessage->fTarget.handlerToken;
}

void MessagePrivate::SetReplyTo(const BMessenger& replyTo)
{
	fMessage->fReplyTo.looperToken = MessengerPrivate::LooperToken(replyTo);
	fMessage->fReplyTo.handlerToken = MessengerPrivate::HandlerToken(replyTo);
	fMessage->fReplyToSet = true;
}

void MessagePrivate::ClearReplyTo()
{
	fMessage->fReplyTo = BMessage::Address();
	fMessage->fReplyToSet = false;
}

void MessagePrivate::SetIsReply(bool isReply)
{
	fMessage->fIsReply = isReply;
}

void MessagePrivate::SetWasDropped(bool dropped)
{
	fMessage->fWasDropped = dropped;
}

void MessagePrivate::SetDropPoint(BPoint where, BPoint offset)
{
	fMessage->fDropPoint = where;
	fMessage->fDropOffset = offset;
}

status_t MessagePrivate::Unflatten(const void* data, size_t size)
{
	if (data == nullptr)
		return B_BAD_VALUE;
	return fMessage->UnflattenBounded(static_cast<const uint8*>(data), size);
}

}
