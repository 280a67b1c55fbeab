// zoetra under faults, as real processes on a private Xvfb: a stopped instance, quit
// signals while an alert waits, a launch from a removed folder, a huge file, drops from
// another program.
#include "ChildProcess.h"
#include "PlayerDesktopTest.h"
#include "PlayerProcess.h"
#include "WaitFor.h"

#include "private/app/LaunchProtocol.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <thread>

using namespace zoetra::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const std::string kBounce = std::string(ZOETRA_TEST_DATA) + "/bounce.fli";

class PlayerFaultsTest : public PlayerDesktopTest {
protected:
	std::string SocketPath() const
	{
		return runtime.Path() + "/application_x-vnd.quenvik-Zoetra.socket";
	}
};

// While the instance is stopped, each launch decides within the decision time (plus a
// margin for starting a player on a busy machine): it hands over and ends, or opens its
// file itself. When the instance wakes it opens none of the files again.
TEST_F(PlayerFaultsTest, AStoppedInstanceLeavesEachLaunchedFileShownExactlyOnce)
{
	PlayerProcess instance(runtime.Path(), {});
	const unsigned long window = WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, 0u);
	const pid_t pid = instance.Pid();
	ASSERT_EQ(kill(pid, SIGSTOP), 0);

	std::vector<std::string> names;
	std::vector<std::unique_ptr<PlayerProcess>> launches;
	for (int i = 0; i < 4; i++) {
		names.push_back("launch" + std::to_string(i) + ".fli");
		launches.push_back(std::make_unique<PlayerProcess>(
			runtime.Path(), std::vector<std::string>{files.Copy(kBounce, names.back())}));
	}
	const auto bound = std::chrono::steady_clock::now()
		+ std::chrono::microseconds(BPrivate::kDecisionTimeout) + 5s;
	for (size_t i = 0; i < launches.size(); i++) {
		PlayerProcess& launch = *launches[i];
		const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
			bound - std::chrono::steady_clock::now());
		EXPECT_TRUE(WaitFor([&] { return !launch.Running() || !launch.Output().empty(); }, left))
			<< names[i] << ": the launch neither handed over nor opened its file in time";
	}
	ASSERT_EQ(kill(pid, SIGCONT), 0);

	for (const std::string& name : names)
		EXPECT_NE(WaitForWindow("^" + name + "$"), 0u) << name;
	// Long enough for the woken instance to serve every connection it had queued.
	std::this_thread::sleep_for(std::chrono::microseconds(BPrivate::kConnectionTimeout) + 1s);
	for (const std::string& name : names)
		EXPECT_EQ(Windows("^" + name + "$").size(), 1u) << name;
	Key(window, "ctrl+q");
	EXPECT_EQ(instance.WaitForExit(5s), 0);
}

// A quit signal ends the player as Quit does even while an alert waits on the application
// thread: the alert is answered, neither the file after it in the list nor a launch queued
// behind it opens, the status is 0 and the socket is gone.
TEST_F(PlayerFaultsTest, QuitSignalsEndThePlayerEvenWhileAnAlertWaits)
{
	const std::string first = files.Copy(kBounce, "first.fli");
	const std::string refused = files.Write("refused.fli", "not an animation");
	const std::string later = files.Copy(kBounce, "later.fli");
	const std::string queued = files.Copy(kBounce, "queued.fli");
	for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
		SCOPED_TRACE(strsignal(signal));
		PlayerProcess player(runtime.Path(), {first, refused, later});
		ASSERT_NE(WaitForWindow("^first.fli$"), 0u);
		ASSERT_NE(WaitForWindow("^Error$"), 0u) << DescribeWindows();
		PlayerProcess launch(runtime.Path(), {queued});
		ASSERT_EQ(launch.WaitForExit(), 0) << "the launch was not handed over";
		ASSERT_TRUE(fs::exists(SocketPath()));

		ASSERT_EQ(kill(player.Pid(), signal), 0);
		EXPECT_EQ(player.WaitForExit(5s), 0) << "the player did not end in time";
		EXPECT_FALSE(fs::exists(SocketPath())) << "the socket outlived the player";
		EXPECT_EQ(player.Output(), first + "\n" + refused + "\n") << "a queued file was opened";
		EXPECT_TRUE(WaitUntilGone("\\.fli$|^Error$"));
	}
}

// A launch from a folder that was removed cannot make its relative path absolute: nothing of
// the instance's folder opens, though a file of that name lies there, and the instance says
// the file was not found. With no instance running, the launch says so itself.
TEST_F(PlayerFaultsTest, ALaunchFromARemovedFolderOpensNothingOfTheInstancesFolder)
{
	files.Copy(kBounce, "victim.fli");
	const std::vector<std::string> environment{
		"ZOETRA_RUNTIME_DIR=" + runtime.Path(), "XDG_RUNTIME_DIR=" + runtime.Path()};
	auto launchFromRemovedFolder = [&] {
		return std::make_unique<ChildProcess>(
			std::vector<std::string>{"sh", "-c",
				"mkdir \"$0\" && cd \"$0\" && rmdir \"$0\" && exec \"$1\" victim.fli",
				files.File("gone"), PlayerPath()},
			ChildOptions{.environment = environment});
	};

	PlayerProcess instance({.environment = environment, .folder = files.Path()}, {});
	const unsigned long window = WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, 0u);
	auto launch = launchFromRemovedFolder();
	EXPECT_EQ(launch->WaitForExit(), 0) << "the launch was not handed over";
	ASSERT_NO_FATAL_FAILURE(AnswerAlert());
	EXPECT_TRUE(Windows("^victim.fli$").empty()) << "the instance opened its own victim.fli";
	EXPECT_EQ(instance.Output(), "");
	Key(window, "ctrl+q");
	EXPECT_EQ(instance.WaitForExit(5s), 0);

	auto alone = launchFromRemovedFolder();
	ASSERT_NO_FATAL_FAILURE(AnswerAlert());
	const unsigned long empty = WaitForWindow("^Untitled 1$");
	ASSERT_NE(empty, 0u);
	EXPECT_TRUE(Windows("^victim.fli$").empty());
	EXPECT_EQ(alone->Output(), "");
	Key(empty, "ctrl+q");
	EXPECT_EQ(alone->WaitForExit(5s), 0);
}

// A file of 4 GiB - 1 byte with a valid header: the next file opens at once.
TEST_F(PlayerFaultsTest, AHugeFileDoesNotHoldUpTheNextOne)
{
	const std::string huge = files.Copy(kBounce, "huge.fli");
	fs::resize_file(huge, (uint64_t(1) << 32) - 1);
	PlayerProcess player(runtime.Path(), {huge});
	ASSERT_TRUE(player.WaitForOutput(huge + "\n"));

	const std::string later = files.Copy(kBounce, "later.fli");
	PlayerProcess launch(runtime.Path(), {later});
	EXPECT_EQ(launch.WaitForExit(10s), 0);
	EXPECT_NE(WaitForWindow("^later.fli$", 10s), 0u) << "the second file waited";
	EXPECT_NE(WaitForWindow("^huge.fli$", 60s), 0u);
	EXPECT_TRUE(Windows("^Untitled").empty()) << "its file opened: no empty window";
	Key(WaitForWindow("^later.fli$"), "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// A large file is read off the application thread, but a start whose only file is refused
// still shows the alert first and the empty window after it.
TEST_F(PlayerFaultsTest, ALargeFileThatIsRefusedShowsItsAlertThenTheEmptyWindow)
{
	const std::string large = files.Write("large.fli", std::string(128, 'x'));
	fs::resize_file(large, 64 << 20);
	PlayerProcess player(runtime.Path(), {large});
	const unsigned long alert = WaitForWindow("^Error$");
	ASSERT_NE(alert, 0u);
	EXPECT_TRUE(Windows("^Untitled").empty()) << "the empty window came first";
	Key(alert, "Return");
	const unsigned long window = WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, 0u);
	EXPECT_TRUE(player.WaitForOutput(large + "\n")) << player.Output();
	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// Another program drags `path` onto `window`, offering copy or move with move proposed,
// and keeps running while the case lasts: the window fetches the dropped data from it.
class ForeignDrop {
public:
	ForeignDrop(const std::string& path, unsigned long window)
		: fSource({std::string(ZOETRA_BUILD_DIR) + "/tests/drag_source", path})
	{
		if (!fSource.WaitForLine("ready"))
			return;
		XWindowGeometry from, to;
		if (!WindowGeometry(WaitForWindow("^drag source$"), from) || !WindowGeometry(window, to))
			return;
		Drag(from.x + from.width / 2, from.y + from.height / 2, to.x + to.width / 2,
			to.y + to.height - 100);
	}

	// What the source heard the window answer.
	std::string Answer()
	{
		if (fSource.WaitForLine("copy", 5s))
			return "copy";
		const std::vector<std::string> lines = fSource.Lines();
		return lines.size() > 1 ? lines.back() : "no answer";
	}

private:
	ChildProcess fSource;
};

TEST_F(PlayerFaultsTest, DropsFromAnotherProgramAreCopiesAndAMissingFileIsNamed)
{
	PlayerProcess player(runtime.Path(), {});
	const unsigned long window = WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, 0u);
	MoveWindow(window, 600, 300);

	const std::string dropped = files.Copy(kBounce, "dropped.fli");
	{
		ForeignDrop drop(dropped, window);
		EXPECT_EQ(drop.Answer(), "copy");
		EXPECT_NE(WaitForWindow("^dropped.fli$"), 0u) << "the window takes the file";
	}
	EXPECT_TRUE(fs::exists(dropped));

	ForeignDrop drop(files.File("missing.fli"), window);
	EXPECT_EQ(drop.Answer(), "copy");
	// A dropped file that does not exist gets an alert.
	ASSERT_NO_FATAL_FAILURE(AnswerAlert());
	EXPECT_EQ(WindowName(window), "dropped.fli") << "and the window plays on";
	Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

} // namespace
