// The playback tests offscreen.
#include "PlaybackHarness.h"

int main(int argc, char** argv)
{
	return zoetra::testing::RunPlaybackTests(argc, argv, false);
}
