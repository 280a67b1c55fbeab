// What an application tells its users about itself before it starts: its name, its version
// and how to use it.
#pragma once

struct app_identity_text {
	const char* name; // the product's name, as in "Zoetra 1.12"
	const char* version; // the version users see
	const char* usage; // the whole text of --help, ending in a newline
};

// Defined once by the application's executable. The BApplication constructor answers
// `--help` (the usage) and `--version` ("<name> <version>") on standard output and ends the
// process with status 0 before it does anything else: no display is needed and no running
// instance is contacted. `--` ends the options and is taken out: every later argument
// reaches ArgvReceived, even one that starts with '-'. Every other argument reaches
// ArgvReceived as it was given. A program that defines no identity text takes no options.
extern const app_identity_text be_app_identity_text __attribute__((weak));
