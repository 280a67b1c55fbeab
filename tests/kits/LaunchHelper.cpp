// A minimal single-launch application for the launch tests: it reports what reaches it
// on standard output and quits on an argument named "--quit". With
// LAUNCH_HELPER_DISPLAY_FAILS set, its display takes that many milliseconds to fail to
// open, and the process ends with status 1 as a display-less player does. With
// LAUNCH_HELPER_QUIT_HANGS set, a quit request says "hanging" and never comes to an end.
#include <Application.h>

#include "private/app/DisplayLoop.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

std::unique_ptr<BPrivate::DisplayLoop> DisplayThatFails()
{
	usleep(static_cast<useconds_t>(atoi(getenv("LAUNCH_HELPER_DISPLAY_FAILS")) * 1000));
	_exit(1);
}

class LaunchHelper : public BApplication {
public:
	LaunchHelper()
		: BApplication("application/x-vnd.zoetra-launch-helper")
	{
	}

	void ReadyToRun() override
	{
		printf("ready %d\n", static_cast<int>(getpid()));
		fflush(stdout);
	}

	bool QuitRequested() override
	{
		if (getenv("LAUNCH_HELPER_QUIT_HANGS") == nullptr)
			return true;
		printf("hanging\n");
		fflush(stdout);
		while (true)
			pause();
	}

	void ArgvReceived(int32 argc, char** argv) override
	{
		for (int32 i = 1; i < argc; i++) {
			printf("arg %s\n", argv[i]);
			// Later launches pass it made absolute, like every argument.
			const char* slash = strrchr(argv[i], '/');
			if (strcmp(slash != nullptr ? slash + 1 : argv[i], "--quit") == 0)
				Quit();
		}
		fflush(stdout);
	}
};

}

int main()
{
	if (getenv("LAUNCH_HELPER_DISPLAY_FAILS") != nullptr)
		BPrivate::SetDisplayLoopFactory(DisplayThatFails);
	LaunchHelper application;
	application.Run();
	printf("exit\n");
	return 0;
}
