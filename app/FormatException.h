// FormatException: a file was refused; carries the text the user is shown.
#pragma once

// Thrown by value, caught by reference. Every object owns its own heap copy of the text,
// so a thrown copy never points into the object it was copied from.
class FormatException {
public:
	explicit FormatException(const char* text);
	FormatException(const FormatException& other);
	~FormatException();

	FormatException& operator=(const FormatException&) = delete;

	// Valid while this exception exists.
	const char* GetMessage() const;

private:
	char* message;
};
