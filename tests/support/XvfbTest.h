// A test fixture for tests that need real windows: they run on the program's private X
// server (see XvfbServer.h), and skip where Xvfb is not installed.
//
// How to use:
//   class RealDisplay : public XvfbTest {};
//   TEST_F(RealDisplay, WindowAppears) { ... FindWindow("Placed window") ... }
#pragma once

#include <gtest/gtest.h>

#include "XvfbServer.h"

namespace zoetra::testing {

class XvfbTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (!XvfbAvailable())
			GTEST_SKIP() << "Xvfb is not installed";
		ASSERT_TRUE(UseXvfbDisplay()) << "Xvfb did not start";
	}
};

} // namespace zoetra::testing
