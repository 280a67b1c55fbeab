// A test fixture for tests that need real windows: they run on the program's private X
// server (see XvfbServer.h), driven with the tools of XDesktop.h, and skip where Xvfb or
// those tools are not installed.
//
// How to use:
//   class RealDisplay : public XvfbTest {};
//   TEST_F(RealDisplay, WindowAppears) { ... FindWindow("Placed window") ... }
#pragma once

#include <gtest/gtest.h>

#include "XDesktop.h"
#include "XvfbServer.h"

namespace zoetra::testing {

class XvfbTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		static const bool toolsInstalled = XvfbAvailable() && DesktopToolsAvailable();
		if (!toolsInstalled)
			GTEST_SKIP() << "no Xvfb, xdotool, xwininfo or ImageMagick";
		ASSERT_TRUE(UseXvfbDisplay()) << "Xvfb did not start";
	}
};

} // namespace zoetra::testing
