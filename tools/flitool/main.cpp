// flitool: looks into FLI animations the way Zoetra plays them, and exports them.
#include "AnimationFile.h"
#include "Commands.h"
#include "FileUri.h"
#include "OutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
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
	"       flitool gif FILE OUT.gif [--scale N]\n"
	"       flitool thumbnail [-s SIZE] FILE OUT.png\n"
	"       flitool --help | --version\n"
	"\n"
	"Reads an FLI animation (320x200, 256 colours, magic 0xAF11) as the Zoetra player does.\n"
	"\n"
	"  info       print frames, speed, delay_us, size and first_pass, one per line\n"
	"  frames     write the frame buffer after each frame in play order to standard output,\n"
	"             256000 bytes a frame (blue, green, red, 0 for each pixel)\n"
	"  export     write the same frames as DIR/frame-0000.png, DIR/frame-0001.png, ...\n"
	"  gif        write the animation as an animated GIF that loops as the player loops\n"
	"  thumbnail  write the first frame as a PNG for a file manager; FILE may be a file:// URI\n"
	"\n"
	"OUT.gif and OUT.png may be - for standard output. Outputs are written as cp\n"
	"writes them; export moves its frames into DIR all at once.\n"
	"\n"
	"  --count N  stop after N frames (default: the first pass and one later pass);\n"
	"             output also stops when a pass after the first shows no frame\n"
	"  --scale N  make the GIF N times larger, 1 to 8 (default 1)\n"
	"  -s SIZE    the thumbnail's longer side in pixels, 1 to 4096 (default 256)\n"
	"  --help     show this text\n"
	"  --version  show flitool's version\n"
	"\n"
	"Exit status: 0 done, 1 failed, 2 wrong usage, 3 info on a truncated file.\n";

constexpr char kVersion[] = "flitool " ZOETRA_SHORT_VERSION "\n";

using flitool::kExitFailure;
using flitool::kExitUsage;

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
	int scale = 1;
	int thumbnailSize = 256;
};

// An option that takes a whole number from `smallest` to `largest`.
struct NumberOption {
	const char* name;
	const char* alias; // another spelling, or nullptr
	int64_t smallest;
	int64_t largest;
	const char* meaning; // for messages: "--count needs <meaning>"
};

constexpr NumberOption kCount{"--count", nullptr, 0, INT64_MAX, "a whole number of 0 or more"};
constexpr NumberOption kScale{
	"--scale", nullptr, 1, flitool::kLargestGifScale, "a whole number from 1 to 8"};
constexpr NumberOption kSize{
	"-s", "--size", 1, flitool::kLargestThumbnailSize, "a size in pixels from 1 to 4096"};
constexpr const NumberOption* kOptions[] = {&kCount, &kScale, &kSize};

std::optional<int64_t> ParseNumber(const std::string& text)
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

// The option `argument` names (as "NAME" or "NAME=VALUE"), or nullptr.
const NumberOption* FindOption(const std::string& argument, std::optional<std::string>& value)
{
	for (const NumberOption* option : kOptions) {
		for (const char* name : {option->name, option->alias}) {
			if (name == nullptr)
				continue;
			const std::string spelled = name;
			if (argument == spelled)
				return option;
			if (argument.rfind(spelled + "=", 0) == 0) {
				value = argument.substr(spelled.size() + 1);
				return option;
			}
		}
	}
	return nullptr;
}

void Store(const NumberOption* option, int64_t value, Arguments& arguments)
{
	if (option == &kCount)
		arguments.frameLimit = value;
	else if (option == &kScale)
		arguments.scale = static_cast<int>(value);
	else
		arguments.thumbnailSize = static_cast<int>(value);
}

struct Shape {
	const char* command;
	size_t operands;
	const char* operandNames;
	const NumberOption* option; // the one option it takes, or nullptr
};

constexpr Shape kShapes[] = {{"info", 1, "FILE", nullptr}, {"frames", 1, "FILE", &kCount},
	{"export", 2, "FILE DIR", &kCount}, {"gif", 2, "FILE OUT.gif", &kScale},
	{"thumbnail", 2, "FILE OUT.png", &kSize}};

// Fills `arguments`, or returns the exit code of a usage error.
std::optional<int> Parse(int argc, char** argv, Arguments& arguments)
{
	std::vector<const NumberOption*> seen;
	for (int i = 1; i < argc; ++i) {
		const std::string argument = argv[i];
		std::optional<std::string> value;
		const NumberOption* option = FindOption(argument, value);
		if (option == nullptr) {
			if (argument.size() > 1 && argument[0] == '-')
				return UsageError("unknown option '" + argument + "'");
			if (arguments.command.empty())
				arguments.command = argument;
			else
				arguments.operands.push_back(argument);
			continue;
		}
		if (!value) {
			if (i + 1 >= argc)
				return UsageError(std::string(option->name) + " needs a number");
			value = argv[++i];
		}
		const std::optional<int64_t> number = ParseNumber(*value);
		if (!number || *number < option->smallest || *number > option->largest)
			return UsageError(
				std::string(option->name) + " needs " + option->meaning + ", not '" + *value + "'");
		for (const NumberOption* earlier : seen) {
			if (earlier == option)
				return UsageError(std::string(option->name) + " given twice");
		}
		seen.push_back(option);
		Store(option, *number, arguments);
	}
	if (arguments.command.empty())
		return UsageError("no command given");
	for (const Shape& shape : kShapes) {
		if (arguments.command != shape.command)
			continue;
		if (arguments.operands.size() != shape.operands)
			return UsageError(arguments.command + " takes " + shape.operandNames);
		for (const NumberOption* option : seen) {
			if (option != shape.option)
				return UsageError(arguments.command + " takes no " + option->name);
		}
		return std::nullopt;
	}
	return UsageError("unknown command '" + arguments.command + "'");
}

// "--help" or "--version" anywhere: the text to print instead of running, or nullptr.
const char* AskedText(int argc, char** argv)
{
	for (int i = 1; i < argc; ++i) {
		if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
			return kUsage;
		if (std::strcmp(argv[i], "--version") == 0)
			return kVersion;
	}
	return nullptr;
}

bool IsBinaryOutputToTerminal(const std::string& command, const std::string& output)
{
	const bool toStandardOutput = command == "frames" || output == "-";
	return toStandardOutput && isatty(STDOUT_FILENO);
}

// The output path of a command that writes one file, or nullptr.
const std::string* OutputPath(const Arguments& arguments)
{
	if (arguments.command == "gif" || arguments.command == "thumbnail")
		return &arguments.operands[1];
	return nullptr;
}

int Run(const Arguments& arguments, const flitool::Animation& animation)
{
	const std::string& command = arguments.command;
	if (command == "info")
		return flitool::RunInfo(animation, stdout);
	if (command == "frames")
		return flitool::RunFrames(animation, arguments.frameLimit, stdout);
	if (command == "export")
		return flitool::RunExport(animation, arguments.operands[1], arguments.frameLimit);
	if (command == "gif")
		return flitool::RunGif(animation, arguments.operands[1], arguments.scale);
	return flitool::RunThumbnail(animation, arguments.operands[1], arguments.thumbnailSize);
}

} // namespace

int main(int argc, char** argv)
{
	if (const char* text = AskedText(argc, argv)) {
		std::fputs(text, stdout);
		return flitool::FlushStandardOutput(stdout) ? 0 : kExitFailure;
	}
	Arguments arguments;
	if (const std::optional<int> usageError = Parse(argc, argv, arguments))
		return *usageError;
	const std::string* output = OutputPath(arguments);
	if (IsBinaryOutputToTerminal(arguments.command, output ? *output : "")) {
		std::fprintf(stderr,
			"flitool: %s writes binary data; redirect standard output to a "
			"file or a pipe\n",
			arguments.command.c_str());
		return kExitFailure;
	}

	const std::string input = flitool::PathFromArgument(arguments.operands[0]);
	const flitool::LoadedAnimation loaded = flitool::LoadAnimation(input);
	if (loaded.status == flitool::LoadStatus::Unreadable) {
		std::fprintf(stderr, "flitool: cannot read %s: %s\n", input.c_str(), loaded.cause.c_str());
		return kExitFailure;
	}
	if (loaded.status == flitool::LoadStatus::Unsupported) {
		std::fputs("Unsupported file format.\n", stderr);
		return kExitFailure;
	}
	if (output != nullptr && !flitool::CheckOutputPath(*output, loaded.animation))
		return kExitFailure;
	if (arguments.command != "info")
		flitool::NoteTruncation(loaded.animation, input);
	return Run(arguments, loaded.animation);
}
