// BMessage: a command code with named, typed fields, the unit of work between loopers.
#pragma once

#include <AppDefs.h>
#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

class BHandler;
class BMessenger;
struct entry_ref;
namespace BPrivate {
class MessagePrivate;
}

// Errors: B_NAME_NOT_FOUND for a missing field, B_BAD_TYPE for a field of another type,
// B_BAD_INDEX past its last value, B_BAD_VALUE for a null name or destination.
class BMessage {
public:
	uint32 what;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();
	BMessage& operator=(const BMessage& other);

	// Fields.
	status_t GetInfo(const char* name, type_code* type, int32* count = NULL) const;
	status_t GetInfo(
		type_code type, int32 index, char** name, type_code* foundType, int32* count = NULL) const;
	int32 CountNames(type_code type) const;
	bool IsEmpty() const;
	status_t MakeEmpty();
	status_t RemoveName(const char* name);
	status_t RemoveData(const char* name, int32 index = 0);

	// Raw data of any type. A field holds values of one type; isFixedSize asks that all
	// its values have the same size.
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 count = 1);
	status_t FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const;
	status_t FindData(
		const char* name, type_code type, int32 index, const void** data, ssize_t* numBytes) const;
	status_t ReplaceData(const char* name, type_code type, const void* data, ssize_t numBytes);
	status_t ReplaceData(
		const char* name, type_code type, int32 index, const void* data, ssize_t numBytes);
	bool HasData(const char* name, type_code type, int32 index = 0) const;

	status_t AddBool(const char* name, bool value);
	status_t AddInt8(const char* name, int8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddString(const char* name, const char* value);
	status_t AddPointer(const char* name, const void* value);
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddPoint(const char* name, BPoint value);
	status_t AddRect(const char* name, BRect value);
	status_t AddMessage(const char* name, const BMessage* message);
	status_t AddMessenger(const char* name, BMessenger messenger);

	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt16(const char* name, int32 index, int16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindDouble(const char* name, int32 index, double* value) const;
	// The string stays valid until the message is changed or destroyed.
	status_t FindString(const char* name, const char** value) const;
	status_t FindString(const char* name, int32 index, const char** value) const;
	status_t FindPointer(const char* name, void** value) const;
	status_t FindPointer(const char* name, int32 index, void** value) const;
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindPoint(const char* name, BPoint* value) const;
	status_t FindPoint(const char* name, int32 index, BPoint* value) const;
	status_t FindRect(const char* name, BRect* value) const;
	status_t FindRect(const char* name, int32 index, BRect* value) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t FindMessenger(const char* name, BMessenger* messenger) const;
	status_t FindMessenger(const char* name, int32 index, BMessenger* messenger) const;

	bool HasBool(const char* name, int32 index = 0) const;
	bool HasInt8(const char* name, int32 index = 0) const;
	bool HasInt16(const char* name, int32 index = 0) const;
	bool HasInt32(const char* name, int32 index = 0) const;
	bool HasInt64(const char* name, int32 index = 0) const;
	bool HasFloat(const char* name, int32 index = 0) const;
	bool HasDouble(const char* name, int32 index = 0) const;
	bool HasString(const char* name, int32 index = 0) const;
	bool HasPointer(const char* name, int32 index = 0) const;
	bool HasRef(const char* name, int32 index = 0) const;
	bool HasPoint(const char* name, int32 index = 0) const;
	bool HasRect(const char* name, int32 index = 0) const;
	bool HasMessage(const char* name, int32 index = 0) const;
	bool HasMessenger(const char* name, int32 index = 0) const;

	status_t ReplaceBool(const char* name, bool value);
	status_t ReplaceBool(const char* name, int32 index, bool value);
	status_t ReplaceInt8(const char* name, int8 value);
	status_t ReplaceInt8(const char* name, int32 index, int8 value);
	status_t ReplaceInt16(const char* name, int16 value);
	status_t ReplaceInt16(const char* name, int32 index, int16 value);
	status_t ReplaceInt32(const char* name, int32 value);
	status_t ReplaceInt32(const char* name, int32 index, int32 value);
	status_t ReplaceInt64(const char* name, int64 value);
	status_t ReplaceInt64(const char* name, int32 index, int64 value);
	status_t ReplaceFloat(const char* name, float value);
	status_t ReplaceFloat(const char* name, int32 index, float value);
	status_t ReplaceDouble(const char* name, double value);
	status_t ReplaceDouble(const char* name, int32 index, double value);
	status_t ReplaceString(const char* name, const char* value);
	status_t ReplaceString(const char* name, int32 index, const char* value);
	status_t ReplacePointer(const char* name, const void* value);
	status_t ReplacePointer(const char* name, int32 index, const void* value);
	status_t ReplaceRef(const char* name, const entry_ref* ref);
	status_t ReplaceRef(const char* name, int32 index, const entry_ref* ref);
	status_t ReplacePoint(const char* name, BPoint value);
	status_t ReplacePoint(const char* name, int32 index, BPoint value);
	status_t ReplaceRect(const char* name, BRect value);
	status_t ReplaceRect(const char* name, int32 index, BRect value);
	status_t ReplaceMessage(const char* name, const BMessage* message);
	status_t ReplaceMessage(const char* name, int32 index, const BMessage* message);

	// Delivery.
	bool WasDropped() const;
	// Where the drop happened, in screen coordinates; `offset` receives the point under
	// the mouse relative to the dragged rectangle's top left.
	BPoint DropPoint(BPoint* offset = NULL) const;
	// The messenger that replies go to: the reply handler named when the message was
	// posted, or be_app when none was.
	BMessenger ReturnAddress() const;
	bool IsReply() const;
	status_t SendReply(uint32 command, BHandler* replyTo = NULL);
	status_t SendReply(BMessage* reply, BHandler* replyTo = NULL);
	status_t SendReply(BMessage* reply, BMessenger replyTo);

	// Flattening: what and the fields, not the delivery state. Pointer fields keep their
	// value, so a flattened message is only meaningful inside its own process.
	ssize_t FlattenedSize() const;
	status_t Flatten(char* buffer, ssize_t size) const;
	// Reads the size from the buffer's header and checks every length against it.
	// Data from outside the process goes through the bounded form in MessagePrivate.h.
	status_t Unflatten(const char* flatBuffer);

private:
	friend class BPrivate::MessagePrivate;

	struct Field {
		std::string name;
		type_code type;
		bool fixedSize;
		std::vector<std::vector<uint8>> values;
	};

	struct Address {
		int32 looperToken = -1;
		int32 handlerToken = -1;
	};

	Field* FindField(const char* name);
	const Field* FindField(const char* name) const;
	status_t FindValue(
		const char* name, type_code type, int32 index, const std::vector<uint8>** value) const;
	template <typename T>
	status_t AddValue(const char* name, type_code type, const T& value);
	template <typename T>
	status_t FindValueOf(const char* name, type_code type, int32 index, T* value) const;
	template <typename T>
	status_t ReplaceValue(const char* name, type_code type, int32 index, const T& value);
	status_t UnflattenBounded(const uint8* data, size_t size);

	std::vector<Field> fFields;
	Address fTarget;
	Address fReplyTo;
	bool fReplyToSet = false;
	bool fIsReply = false;
	bool fWasDropped = false;
	BPoint fDropPoint;
	BPoint fDropOffset;
};
