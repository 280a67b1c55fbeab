// The command line: read from /proc, the kit's options taken out, --help and --version answered.
#include "private/app/CommandLine.h"

#include <AppIdentity.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace BPrivate {

namespace {

std::vector<std::string> ReadProcessArguments()
{
	std::ifstream file("/proc/self/cmdline", std::ios::binary);
	std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	std::vector<std::string> arguments;
	size_t start = 0;
	while (start < contents.size()) {
		size_t end = contents.find('\0', start);
		if (end == std::string::npos)
			end = contents.size();
		arguments.push_back(contents.substr(start, end - start));
		start = end + 1;
	}
	return arguments;
}

bool HasIdentityText()
{
	return &be_app_identity_text != nullptr;
}

// Options are taken only when `takesOptions` is true; otherwise every argument stays.
CommandLine ParseCommandLine(std::vector<std::string> arguments, bool takesOptions)
{
	CommandLine commandLine;
	bool optionsEnded = !takesOptions;
	for (size_t i = 0; i < arguments.size(); i++) {
		std::string& argument = arguments[i];
		if (i > 0 && !optionsEnded) {
			if (argument == "--") {
				optionsEnded = true;
				continue;
			}
			const bool help = argument == "--help";
			if (help || argument == "--version") {
				if (commandLine.request == CommandLine::kRun)
					commandLine.request = help ? CommandLine::kHelp : CommandLine::kVersion;
				continue;
			}
		}
		commandLine.arguments.push_back(std::move(argument));
	}
	return commandLine;
}

} // namespace

CommandLine ProcessCommandLine()
{
	return ParseCommandLine(ReadProcessArguments(), HasIdentityText());
}

void AnswerCommandLineRequest(const CommandLine& commandLine)
{
	if (commandLine.request == CommandLine::kRun || !HasIdentityText())
		return;
	const app_identity_text& identity = be_app_identity_text;
	const int printed = commandLine.request == CommandLine::kHelp
		? std::fputs(identity.usage, stdout)
		: std::printf("%s %s\n", identity.name, identity.version);
	// A text that did not reach its reader is a failure, not a success (a full disk).
	if (printed < 0 || std::fflush(stdout) != 0) {
		std::fprintf(stderr, "%s: cannot write to standard output: %s\n",
			program_invocation_short_name, std::strerror(errno));
		std::exit(1);
	}
	std::exit(0);
}

}
