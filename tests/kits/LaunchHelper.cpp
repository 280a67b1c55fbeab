// A minimal single-launch application for the launch tests: it reports what reaches it
// on standard output and quits on an argument named "--quit".
#include <Application.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

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
	LaunchHelper application;
	application.Run();
	printf("exit\n");
	return 0;
}
