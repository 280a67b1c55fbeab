// The flat form of a message: what and its fields as bytes, checked on the way back in.
//
// Layout, native byte order: magic, total size, what, field count; then per field: type,
// flags (bit 0: fixed size), name length, name bytes, value count; per value: size,
// bytes.
#include <Message.h>

#include <cstring>
#include <set>
#include <string>

namespace {

constexpr uint32 kFlatMagic = 'ZMf1';
constexpr size_t kHeaderSize = 4 * sizeof(uint32);
constexpr uint32 kFixedSizeFlag = 1;
constexpr uint32 kMaxNameLength = 255;

class Writer {
public:
	explicit Writer(char* buffer)
		: fBuffer(buffer),
		  fPosition(0)
	{
	}

	void Put32(uint32 value) { Put(&value, sizeof(value)); }
	void Put(const void* data, size_t size)
	{
		if (size > 0)
			memcpy(fBuffer + fPosition, data, size);
		fPosition += size;
	}

private:
	char* fBuffer;
	size_t fPosition;
};

// Every read is checked against the end; a failed read leaves the reader failed.
class Reader {
public:
	Reader(const uint8* data, size_t size)
		: fData(data),
		  fSize(size),
		  fPosition(0)
	{
	}

	bool Get32(uint32* value) { return Get(value, sizeof(*value)); }
	bool Get(void* destination, size_t size)
	{
		if (size > Remaining())
			return false;
		memcpy(destination, fData + fPosition, size);
		fPosition += size;
		return true;
	}
	const uint8* Take(size_t size)
	{
		if (size > Remaining())
			return nullptr;
		const uint8* start = fData + fPosition;
		fPosition += size;
		return start;
	}
	size_t Remaining() const { return fSize - fPosition; }

private:
	const uint8* fData;
	size_t fSize;
	size_t fPosition;
};

// The size a value of a fixed-size type must have; 0 for types of any size.
size_t RequiredSize(type_code type)
{
	switch (type) {
		case B_BOOL_TYPE:
		case B_INT8_TYPE:
		case B_UINT8_TYPE:
		case B_CHAR_TYPE:
			return 1;
		case B_INT16_TYPE:
		case B_UINT16_TYPE:
			return 2;
		case B_INT32_TYPE:
		case B_UINT32_TYPE:
		case B_FLOAT_TYPE:
			return 4;
		case B_INT64_TYPE:
		case B_UINT64_TYPE:
		case B_DOUBLE_TYPE:
		case B_POINT_TYPE:
		case B_MESSENGER_TYPE:
			return 8;
		case B_RECT_TYPE:
			return 16;
		case B_POINTER_TYPE:
			return sizeof(void*);
		default:
			return 0;
	}
}

bool ValueIsWellFormed(type_code type, const uint8* value, size_t size)
{
	size_t required = RequiredSize(type);
	if (required != 0)
		return size == required;
	if (type == B_STRING_TYPE)
		return size > 0 && value[size - 1] == '\0';
	if (type == B_REF_TYPE)
		return size > 1 && value[0] == '/' && value[size - 1] == '\0';
	return true;
}

}

ssize_t BMessage::FlattenedSize() const
{
	size_t size = kHeaderSize;
	for (const Field& field : fFields) {
		size += 3 * sizeof(uint32) + field.name.size() + sizeof(uint32);
		for (const std::vector<uint8>& value : field.values)
			size += sizeof(uint32) + value.size();
	}
	return static_cast<ssize_t>(size);
}

status_t BMessage::Flatten(char* buffer, ssize_t size) const
{
	ssize_t needed = FlattenedSize();
	if (buffer == nullptr || size < needed)
		return B_BAD_VALUE;
	Writer writer(buffer);
	writer.Put32(kFlatMagic);
	writer.Put32(static_cast<uint32>(needed));
	writer.Put32(what);
	writer.Put32(static_cast<uint32>(fFields.size()));
	for (const Field& field : fFields) {
		writer.Put32(field.type);
		writer.Put32(field.fixedSize ? kFixedSizeFlag : 0);
		writer.Put32(static_cast<uint32>(field.name.size()));
		writer.Put(field.name.data(), field.name.size());
		writer.Put32(static_cast<uint32>(field.values.size()));
		for (const std::vector<uint8>& value : field.values) {
			writer.Put32(static_cast<uint32>(value.size()));
			writer.Put(value.data(), value.size());
		}
	}
	return B_OK;
}

status_t BMessage::Unflatten(const char* flatBuffer)
{
	if (flatBuffer == nullptr)
		return B_BAD_VALUE;
	uint32 header[2];
	memcpy(header, flatBuffer, sizeof(header));
	if (header[0] != kFlatMagic)
		return B_BAD_DATA;
	return UnflattenBounded(reinterpret_cast<const uint8*>(flatBuffer), header[1]);
}

// Builds the new contents aside and takes them only when all of the data was sound, so
// a failed unflatten leaves the message as it was.
status_t BMessage::UnflattenBounded(const uint8* data, size_t size)
{
	Reader reader(data, size);
	uint32 magic, totalSize, command, fieldCount;
	if (!reader.Get32(&magic) || !reader.Get32(&totalSize) || !reader.Get32(&command)
		|| !reader.Get32(&fieldCount) || magic != kFlatMagic || totalSize != size)
		return B_BAD_DATA;

	std::vector<Field> fields;
	std::set<std::string> names;
	for (uint32 i = 0; i < fieldCount; i++) {
		uint32 type, flags, nameLength, valueCount;
		if (!reader.Get32(&type) || !reader.Get32(&flags) || !reader.Get32(&nameLength)
			|| nameLength == 0 || nameLength > kMaxNameLength)
			return B_BAD_DATA;
		const uint8* name = reader.Take(nameLength);
		if (name == nullptr || memchr(name, '\0', nameLength) != nullptr
			|| !reader.Get32(&valueCount) || valueCount == 0 || type == B_ANY_TYPE)
			return B_BAD_DATA;
		Field field{std::string(reinterpret_cast<const char*>(name), nameLength), type,
			(flags & kFixedSizeFlag) != 0, {}};
		if (!names.insert(field.name).second)
			return B_BAD_DATA;
		for (uint32 j = 0; j < valueCount; j++) {
			uint32 valueSize;
			if (!reader.Get32(&valueSize))
				return B_BAD_DATA;
			const uint8* value = reader.Take(valueSize);
			if (value == nullptr || !ValueIsWellFormed(type, value, valueSize))
				return B_BAD_DATA;
			if (field.fixedSize && j > 0 && field.values.front().size() != valueSize)
				return B_BAD_DATA;
			field.values.emplace_back(value, value + valueSize);
		}
		fields.push_back(std::move(field));
	}
	if (reader.Remaining() != 0)
		return B_BAD_DATA;

	what = command;
	fFields = std::move(fields);
	return B_OK;
}
