// The KillLooper tests run inside the playback tests' live application, offscreen.
#include "PlaybackHarness.h"

int main(int argc, char** argv)
{
	return zoetra::testing::RunPlaybackTests(argc, argv, false);
}
