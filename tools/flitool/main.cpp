// flitool: looks into FLI animations the way Zoetra plays them (info, frames, export).
#include "AnimationFile.h"
#include "Commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char kUsage[] =
	"usage: flitool info FILE\n"
	"       flitool frames FILE [--count N]\n"
	"       flitool export FILE DIR [--count N]\n"
	"\n"
	"Reads an FLI animation (320x200, 256 colours, magic 0xAF11) as the Zoetra player does.\n"
	"\n"
	"  info     print frames, speed, delay_us, size and first_pass, one per line\n"
	"  frames   write the frame buffer after each frame in play order to standard output,\n"
	"           256000 bytes a frame (blue, green, red, 0 for each pixel)\n"
	"  export   write the same frames as DIR/frame-0000.png, DIR/frame-0001.png, ...\n"
	"\n"
	"  --count N  stop after N frames (default: the first pass and one later pass);\n"
	"             output also stops when a pass after the first shows no frame\n"
	"  --help     show this text\n";

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& message)
{
	std::fprintf(
		stderr, "flitool: %s\nTry 'flitool --help' for more information.\n", message.c_str());
	return kExitUsage;
}

struct Arguments {
	std::string command;
	std::vector<std::string> operands;
	int64_t frameLimit = -1;
};

std::optional<int64_t> ParseCount(const std::string& text)
{
	if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
		return std::nullopt;
	errno = 0;
	char* end = nullptr;
	const long long value = std::strtoll(text.c_str(), &end, 10);
	if (errno == ERANGE || *end != '\0')
		return std::nullopt;
	return value;
}

// Fills `arguments`, or returns the exit code of a usage error.
std::optional<int> Parse(int argc, char** argv, Arguments& arguments)
{
	bool countSeen = false;
	for (int i = 1; i < argc; ++i) {
		const std::string argument = argv[i];
		std::optional<std::string> count;
		if (argument == "--count") {
			if (i + 1 >= argc)
				return UsageError("--count needs a number");
			count = argv[++i];
		} else if (argument.rfind("--count=", 0) == 0) {
			count = argument.substr(8);
		} else if (argument.size() > 1 && argument[0] == '-') {
			return UsageError("unknown option '" + argument + "'");
		} else if (arguments.command.empty()) {
			arguments.command = argument;
		} else {
			arguments.operands.push_back(argument);
		}
		if (count) {
			const std::optional<int64_t> value = ParseCount(*count);
			if (!value)
				return UsageError(
					"--count needs a whole number of 0 or more, not '" + *count + "'");
			if (countSeen)
				return UsageError("--count given twice");
			countSeen = true;
			arguments.frameLimit = *value;
		}
	}
	struct Shape {
		const char* command;
		size_t operands;
		bool takesCount;
	};
	static constexpr Shape shapes[] = {
		{"info", 1, false}, {"frames", 1, true}, {"export", 2, true}};
	if (arguments.command.empty())
		return UsageError("no command given");
	for (const Shape& shape : shapes) {
		if (arguments.command != shape.command)
			continue;
		if (arguments.operands.size() != shape.operands)
			return UsageError(
				arguments.command + " takes " + (shape.operands == 1 ? "FILE" : "FILE DIR"));
		if (countSeen && !shape.takesCount)
			return UsageError(arguments.command + " takes no --count");
		return std::nullopt;
	}
	return UsageError("unknown command '" + arguments.command + "'");
}

bool WantsHelp(int argc, char** argv)
{
	for (int i = 1; i < argc; ++i) {
		if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
			return true;
	}
	return false;
}

} // namespace

int main(int argc, char** argv)
{
	if (WantsHelp(argc, argv)) {
		std::fputs(kUsage, stdout);
		return 0;
	}
	Arguments arguments;
	if (const std::optional<int> usageError = Parse(argc, argv, arguments))
		return *usageError;

	const flitool::LoadedAnimation loaded = flitool::LoadAnimation(arguments.operands[0]);
	if (loaded.status == flitool::LoadStatus::NotFound) {
		std::fputs("File not found\n", stderr);
		return kExitFailure;
	}
	if (loaded.status == flitool::LoadStatus::Unsupported) {
		std::fputs("Unsupported file format.\n", stderr);
		return kExitFailure;
	}

	if (arguments.command == "info")
		return flitool::RunInfo(loaded.bytes, stdout);
	if (arguments.command == "frames") {
		if (isatty(STDOUT_FILENO)) {
			std::fputs("flitool: frames are binary; redirect standard output to a file or a pipe\n",
				stderr);
			return kExitFailure;
		}
		return flitool::RunFrames(loaded.bytes, arguments.frameLimit, stdout);
	}
	return flitool::RunExport(loaded.bytes, arguments.operands[1], arguments.frameLimit);
}
