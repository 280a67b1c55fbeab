// A test fixture for the player as a user meets it: real windows on the program's private
// X server (see XvfbTest.h), a single-launch folder and a folder of files for each case.
//
// How to use:
//   class PlayerTest : public PlayerDesktopTest {};
//   TEST_F(PlayerTest, RefusesText) {
//   	PlayerProcess player(runtime.Path(), {files.Write("text.fli", "text")});
//   	AnswerAlert();
//   }
#pragma once

#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "XDesktop.h"
#include "XvfbTest.h"

namespace zoetra::testing {

class PlayerDesktopTest : public XvfbTest {
protected:
	// Dismisses the error alert with its one button.
	void AnswerAlert()
	{
		const unsigned long alert = WaitForWindow("^Error$");
		ASSERT_NE(alert, 0u) << "no alert; the windows there are:\n" << DescribeWindows();
		Key(alert, "Return");
		ASSERT_TRUE(WaitUntilGone("^Error$"));
	}

	// Each window's id, title, state and place, to tell what a case saw when it failed.
	static std::string DescribeWindows()
	{
		return RunTool({"sh", "-c",
						   "for w in $(xdotool search --name .); do echo $w "
						   "$(xdotool getwindowname $w) $(xwininfo -id $w | grep -E "
						   "'Map State|Absolute|Width|Height'); done"})
			.output;
	}

	TemporaryFolder runtime;
	TemporaryFolder files{"zoetra-files"};
};

} // namespace zoetra::testing
