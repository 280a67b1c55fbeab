// zoetra under faults, as real processes on a private Xvfb: a stopped instance, quit
// signals, a huge file, drops from another program.
#include "ChildProcess.h"
#include "PlayerProcess.h"
#include "XDesktop.h"

#include "private/LaunchProtocol.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace zoetra::testing;
namespace fs = std::filesystem;

namespace {

const std::string kBounce = std::string(ZOETRA_TEST_DATA) + "/bounce.fli";

XDesktop* desktop = nullptr;

class DesktopEnvironment : public ::testing::Environment {
public:
	void SetUp() override
	{
		if (!XDesktop::Available())
			return;
		desktop = new XDesktop;
		if (!desktop->Start()) {
			delete desktop;
			desktop = nullptr;
		}
	}
	void TearDown() override { delete desktop; }
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

class PlayerFaultsTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (desktop == nullptr)
			GTEST_SKIP() << "no Xvfb, xdotool or ImageMagick";
	}

	std::string Copy(const std::string& from, const std::string& name)
	{
		fs::copy_file(from, fs::path(files.Path()) / name);
		return (fs::path(files.Path()) / name).string();
	}

	std::string SocketPath() const
	{
		return runtime.Path() + "/application_x-vnd.quenvik-Zoetra.socket";
	}

	RuntimeFolder runtime;
	// Not a runtime folder: a private folder for the files a case makes.
	RuntimeFolder files;
};

// The process that shows `window`.
pid_t ProcessOf(const std::string& window)
{
	return pid_t(std::atoi(RunCommand("xdotool getwindowpid " + window).c_str()));
}

// While the instance is stopped, each launch decides within the decision time (plus a
// margin for starting a player on a busy machine): it hands over and ends, or opens its
// file itself. When the instance wakes it opens none of the files again.
TEST_F(PlayerFaultsTest, AStoppedInstanceLeavesEachLaunchedFileShownExactlyOnce)
{
	PlayerProcess instance(runtime.Path(), {});
	const std::string window = desktop->WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, "");
	const pid_t pid = ProcessOf(window);
	ASSERT_GT(pid, 0);
	ASSERT_EQ(kill(pid, SIGSTOP), 0);

	std::vector<std::string> names;
	std::vector<std::unique_ptr<PlayerProcess>> launches;
	for (int i = 0; i < 4; i++) {
		names.push_back("launch" + std::to_string(i) + ".fli");
		launches.push_back(std::make_unique<PlayerProcess>(
			runtime.Path(), std::vector<std::string>{Copy(kBounce, names.back())}));
	}
	const auto bound = std::chrono::steady_clock::now()
		+ std::chrono::microseconds(BPrivate::kDecisionTimeout) + 5s;
	for (size_t i = 0; i < launches.size(); i++) {
		while (launches[i]->Running() && launches[i]->Output().empty()
			&& std::chrono::steady_clock::now() < bound)
			std::this_thread::sleep_for(20ms);
		EXPECT_TRUE(!launches[i]->Running() || !launches[i]->Output().empty())
			<< names[i] << ": the launch neither handed over nor opened its file in time";
	}
	ASSERT_EQ(kill(pid, SIGCONT), 0);

	for (const std::string& name : names)
		EXPECT_NE(desktop->WaitForWindow("^" + name + "$"), "") << name;
	// Long enough for the woken instance to serve every connection it had queued.
	std::this_thread::sleep_for(std::chrono::microseconds(BPrivate::kConnectionTimeout) + 1s);
	for (const std::string& name : names)
		EXPECT_EQ(desktop->Windows("^" + name + "$").size(), 1u) << name;
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(instance.WaitForExit(5s), 0);
}

TEST_F(PlayerFaultsTest, QuitSignalsEndThePlayerAsQuitDoes)
{
	const std::string first = Copy(kBounce, "first.fli");
	const std::string second = Copy(kBounce, "second.fli");
	for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
		SCOPED_TRACE(strsignal(signal));
		PlayerProcess player(runtime.Path(), {first, second});
		const std::string window = desktop->WaitForWindow("^first.fli$");
		ASSERT_NE(window, "");
		ASSERT_NE(desktop->WaitForWindow("^second.fli$"), "");
		ASSERT_TRUE(fs::exists(SocketPath()));
		ASSERT_EQ(kill(ProcessOf(window), signal), 0);
		EXPECT_EQ(player.WaitForExit(5s), 0);
		EXPECT_FALSE(fs::exists(SocketPath())) << "the socket outlived the player";
		EXPECT_TRUE(desktop->WaitUntilGone("\\.fli$"));
	}
}

// A file of 4 GiB - 1 byte with a valid header: the next file opens at once.
TEST_F(PlayerFaultsTest, AHugeFileDoesNotHoldUpTheNextOne)
{
	const std::string huge = (fs::path(files.Path()) / "huge.fli").string();
	fs::copy_file(kBounce, huge);
	fs::resize_file(huge, (uint64_t(1) << 32) - 1);
	PlayerProcess player(runtime.Path(), {huge});
	ASSERT_TRUE(player.WaitForOutput(huge + "\n"));

	const std::string later = Copy(kBounce, "later.fli");
	PlayerProcess launch(runtime.Path(), {later});
	EXPECT_EQ(launch.WaitForExit(10s), 0);
	EXPECT_NE(desktop->WaitForWindow("^later.fli$", 10s), "") << "the second file waited";
	EXPECT_NE(desktop->WaitForWindow("^huge.fli$", 60s), "");
	EXPECT_TRUE(desktop->Windows("^Untitled").empty()) << "its file opened: no empty window";
	desktop->Key(desktop->WaitForWindow("^later.fli$"), "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// A large file is read off the application thread, but a start whose only file is refused
// still shows the alert first and the empty window after it.
TEST_F(PlayerFaultsTest, ALargeFileThatIsRefusedShowsItsAlertThenTheEmptyWindow)
{
	const std::string large = (fs::path(files.Path()) / "large.fli").string();
	std::ofstream(large, std::ios::binary) << std::string(128, 'x');
	fs::resize_file(large, 64 << 20);
	PlayerProcess player(runtime.Path(), {large});
	const std::string alert = desktop->WaitForWindow("^Error$");
	ASSERT_NE(alert, "");
	EXPECT_TRUE(desktop->Windows("^Untitled").empty()) << "the empty window came first";
	desktop->Key(alert, "Return");
	const std::string window = desktop->WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, "");
	EXPECT_EQ(player.Output(), large + "\n");
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

// Another program drags `path` onto `window`, offering copy or move with move proposed,
// and keeps running while the case lasts: the window fetches the dropped data from it.
class ForeignDrop {
public:
	ForeignDrop(const std::string& path, const std::string& window)
		: fSource({std::string(ZOETRA_BUILD_DIR) + "/tests/drag_source", path})
	{
		if (!fSource.WaitForLine("ready"))
			return;
		const XWindowGeometry from = desktop->Geometry(desktop->WaitForWindow("^drag source$"));
		const XWindowGeometry to = desktop->Geometry(window);
		desktop->Drag(from.x + from.width / 2, from.y + from.height / 2, to.x + to.width / 2,
			to.y + to.height - 100);
	}

	// What the source heard the window answer.
	std::string Answer()
	{
		if (fSource.WaitForLine("copy", 5s))
			return "copy";
		return fSource.Lines().size() > 1 ? fSource.Lines().back() : "no answer";
	}

private:
	ChildProcess fSource;
};

TEST_F(PlayerFaultsTest, DropsFromAnotherProgramAreCopiesAndAMissingFileIsNamed)
{
	PlayerProcess player(runtime.Path(), {});
	const std::string window = desktop->WaitForWindow("^Untitled 1$");
	ASSERT_NE(window, "");
	desktop->Move(window, 600, 300);

	const std::string dropped = Copy(kBounce, "dropped.fli");
	{
		ForeignDrop drop(dropped, window);
		EXPECT_EQ(drop.Answer(), "copy");
		EXPECT_NE(desktop->WaitForWindow("^dropped.fli$"), "") << "the window takes the file";
	}
	EXPECT_TRUE(fs::exists(dropped));

	ForeignDrop drop((fs::path(files.Path()) / "missing.fli").string(), window);
	EXPECT_EQ(drop.Answer(), "copy");
	const std::string alert = desktop->WaitForWindow("^Error$");
	ASSERT_NE(alert, "") << "a dropped file that does not exist gets an alert";
	desktop->Key(alert, "Return");
	ASSERT_TRUE(desktop->WaitUntilGone("^Error$"));
	EXPECT_EQ(desktop->Name(window), "dropped.fli") << "and the window plays on";
	desktop->Key(window, "ctrl+q");
	EXPECT_EQ(player.WaitForExit(5s), 0);
}

} // namespace
