// The process's command line as the kit reads it, with the options the kit answers itself
// (see AppIdentity.h) taken out before the application sees its arguments.
#pragma once

#include <string>
#include <vector>

namespace BPrivate {

struct CommandLine {
	enum Request { kRun, kHelp, kVersion };

	// The first of --help and --version before `--`; kRun when neither was given.
	Request request = kRun;
	// Program first, without the options and the first `--`.
	std::vector<std::string> arguments;
};

// The process's own command line (main() need not pass it on); it takes options when the
// executable defines be_app_identity_text.
CommandLine ProcessCommandLine();

// Prints what --help or --version asks for and ends the process: status 0, or 1 when
// standard output cannot take the text. Returns for kRun.
void AnswerCommandLineRequest(const CommandLine& commandLine);

}
