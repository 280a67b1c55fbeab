// zoetra under faults, as real processes on a private Xvfb: drops from another program.
#include "ChildProcess.h"
#include "PlayerProcess.h"
#include "XDesktop.h"

#include <gtest/gtest.h>

#include <filesystem>
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

	RuntimeFolder runtime;
	// Not a runtime folder: a private folder for the files a case makes.
	RuntimeFolder files;
};

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
