// FormatException: owns a private copy of the refusal text.
#include "FormatException.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

char* CopyText(const char* text)
{
	if (text == nullptr)
		text = "";
	const size_t length = std::strlen(text);
	char* copy = static_cast<char*>(std::malloc(length + 1));
	if (copy == nullptr)
		throw std::bad_alloc();
	std::memcpy(copy, text, length + 1);
	return copy;
}

} // namespace

FormatException::FormatException(const char* text)
	: message(CopyText(text))
{
}

FormatException::FormatException(const FormatException& other)
	: message(CopyText(other.GetMessage()))
{
}

FormatException::~FormatException()
{
	std::free(message);
}

const char* FormatException::GetMessage() const
{
	return message;
}
