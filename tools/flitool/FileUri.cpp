// Percent-decoding of file:// URIs.
#include "FileUri.h"

#include <optional>
#include <sys/stat.h>

namespace flitool {

namespace {

constexpr char kScheme[] = "file://";
constexpr char kLocalHost[] = "localhost";

std::optional<int> HexDigit(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return std::nullopt;
}

// "%41" is "A"; a "%" not followed by two hex digits, or one that would make a NUL, means
// this is not a URI after all.
std::optional<std::string> PercentDecoded(const std::string& text)
{
	std::string decoded;
	for (size_t i = 0; i < text.size(); ++i) {
		if (text[i] != '%') {
			decoded += text[i];
			continue;
		}
		if (i + 2 >= text.size())
			return std::nullopt;
		const std::optional<int> high = HexDigit(text[i + 1]), low = HexDigit(text[i + 2]);
		if (!high || !low || (*high == 0 && *low == 0))
			return std::nullopt;
		decoded += static_cast<char>(*high * 16 + *low);
		i += 2;
	}
	return decoded;
}

} // namespace

std::string PathFromArgument(const std::string& argument)
{
	struct stat info {};
	if (argument.rfind(kScheme, 0) != 0 || ::stat(argument.c_str(), &info) == 0)
		return argument;
	std::string rest = argument.substr(sizeof kScheme - 1);
	if (rest.rfind(kLocalHost, 0) == 0)
		rest.erase(0, sizeof kLocalHost - 1);
	// Only a local file has a path here: "file:///..." or "file://localhost/...".
	if (rest.empty() || rest[0] != '/')
		return argument;
	return PercentDecoded(rest).value_or(argument);
}

} // namespace flitool
