// The playback tests in windows on a private Xvfb.
#include "PlaybackHarness.h"

int main(int argc, char** argv)
{
	return zoetra::testing::RunPlaybackTests(argc, argv, true);
}
