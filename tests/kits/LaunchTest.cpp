// Single launch with real processes: hand-over, stale sockets, simultaneous starts and
// what the listener refuses.
#include <Message.h>

#include "ChildProcess.h"
#include "TemporaryFolder.h"
#include "WaitFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <set>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr char kSocketName[] = "application_x-vnd.zoetra-launch-helper.socket";
// The wire format of a launch: magic and size, then the flattened message.
constexpr uint32 kWireMagic = 'ZLnc';

using namespace zoetra::testing;

class LaunchTest : public testing::Test {
protected:
	void SetUp() override
	{
		ASSERT_NE(fFolder, "");
		ASSERT_EQ(mkdir(fWork.c_str(), 0755), 0);
	}

	void TearDown() override { EXPECT_TRUE(fFiles.Remove()); }

	// The helper started in `directory` (the work folder by default), with the runtime
	// folder of this test.
	std::unique_ptr<ChildProcess> Start(
		const std::vector<std::string>& arguments, const std::string& directory = "")
	{
		std::vector<std::string> command{LAUNCH_HELPER};
		command.insert(command.end(), arguments.begin(), arguments.end());
		return std::make_unique<ChildProcess>(command,
			ChildOptions{
				.environment = {"ZOETRA_RUNTIME_DIR=" + fFolder},
				.folder = directory.empty() ? fWork : directory,
			});
	}

	std::unique_ptr<ChildProcess> StartInstance()
	{
		auto instance = Start({});
		EXPECT_EQ(instance->ReadLine().rfind("ready ", 0), 0u);
		return instance;
	}

	// A later launch that must hand over and end with status 0.
	void HandOver(const std::vector<std::string>& arguments, const std::string& directory = "")
	{
		auto launch = Start(arguments, directory);
		EXPECT_EQ(launch->WaitForExit(), 0);
		EXPECT_EQ(launch->Output(), "") << "a launch that handed over must print nothing";
	}

	void QuitInstance(ChildProcess& instance)
	{
		HandOver({"--quit"});
		EXPECT_EQ(instance.ReadLine(), "arg " + fWork + "/--quit");
		EXPECT_EQ(instance.ReadLine(), "exit");
		EXPECT_EQ(instance.WaitForExit(), 0);
	}

	std::string SocketPath() const { return fFolder + "/" + kSocketName; }

	TemporaryFolder fFiles{"zoetra-launch-test"};
	const std::string fFolder = fFiles.Path();
	const std::string fWork = fFolder + "/work";
};

TEST_F(LaunchTest, LaterLaunchHandsOverAbsoluteArgumentsAndExits)
{
	auto instance = StartInstance();
	std::string sub = fWork + "/sub";
	ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
	HandOver({"clip.fli", "../up.fli", "/abs/other.fli"}, sub);
	EXPECT_EQ(instance->ReadLine(), "arg " + sub + "/clip.fli");
	EXPECT_EQ(instance->ReadLine(), "arg " + sub + "/../up.fli");
	EXPECT_EQ(instance->ReadLine(), "arg /abs/other.fli");

	// Only this user may reach the socket.
	struct stat info;
	ASSERT_EQ(stat(fFolder.c_str(), &info), 0);
	EXPECT_EQ(info.st_mode & 0777, 0700u);
	ASSERT_EQ(stat(SocketPath().c_str(), &info), 0);
	EXPECT_TRUE(S_ISSOCK(info.st_mode));
	EXPECT_EQ(info.st_mode & 077, 0u);

	QuitInstance(*instance);
	EXPECT_NE(access(SocketPath().c_str(), F_OK), 0) << "the socket outlived its instance";
}

TEST_F(LaunchTest, StaleSocketOfAKilledInstanceIsRecovered)
{
	auto killed = StartInstance();
	killed->Signal(SIGKILL);
	EXPECT_EQ(killed->WaitForExit(), 128 + SIGKILL);
	ASSERT_EQ(access(SocketPath().c_str(), F_OK), 0) << "the killed instance left no socket";

	auto instance = Start({"own.fli"});
	EXPECT_EQ(instance->ReadLine(), "arg own.fli");
	EXPECT_EQ(instance->ReadLine().rfind("ready ", 0), 0u);
	HandOver({"later.fli"});
	EXPECT_EQ(instance->ReadLine(), "arg " + fWork + "/later.fli");
	QuitInstance(*instance);
}

TEST_F(LaunchTest, SimultaneousLaunchesEndWithExactlyOneInstance)
{
	std::vector<std::unique_ptr<ChildProcess>> launches;
	for (int i = 0; i < 4; i++)
		launches.push_back(Start({"f" + std::to_string(i)}));

	// Three end with status 0; the fourth is the instance and keeps running.
	auto ended = [&] {
		return size_t(std::count_if(launches.begin(), launches.end(),
			[](const auto& launch) { return !launch->Running(); }));
	};
	ASSERT_TRUE(WaitFor([&] { return ended() >= 3; })) << "launches did not hand over";
	ChildProcess* instance = nullptr;
	for (const auto& launch : launches) {
		if (launch->Running())
			instance = launch.get();
		else
			EXPECT_EQ(launch->WaitForExit(std::chrono::milliseconds(0)), 0);
	}
	ASSERT_NE(instance, nullptr) << "no launch became the instance";
	EXPECT_EQ(ended(), 3u) << "more than one launch kept running";

	// The instance prints its own argument as given and the others made absolute.
	std::set<std::string> names;
	bool ready = false;
	while (names.size() < 4) {
		std::string line = instance->ReadLine();
		ASSERT_FALSE(line.empty()) << "arguments were lost";
		if (line.rfind("ready ", 0) == 0) {
			ready = true;
			continue;
		}
		ASSERT_EQ(line.rfind("arg ", 0), 0u) << line;
		names.insert(line.substr(line.find_last_of(" /") + 1));
	}
	EXPECT_EQ(names, (std::set<std::string>{"f0", "f1", "f2", "f3"}));
	if (!ready) {
		EXPECT_EQ(instance->ReadLine().rfind("ready ", 0), 0u);
	}
	QuitInstance(*instance);
}

int Connect(const std::string& path)
{
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
	if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
		close(fd);
		return -1;
	}
	return fd;
}

// Sends raw bytes and reports whether the listener acknowledged them.
bool SendRaw(const std::string& path, const std::string& bytes, bool closeEarly = false)
{
	int fd = Connect(path);
	if (fd < 0)
		return false;
	send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
	char answer = 0;
	bool acknowledged = false;
	if (!closeEarly) {
		pollfd entry = {fd, POLLIN, 0};
		acknowledged = poll(&entry, 1, 3000) > 0 && read(fd, &answer, 1) == 1;
	}
	close(fd);
	return acknowledged;
}

std::string Framed(const BMessage& message, uint32 claimedSize = 0)
{
	std::string body(static_cast<size_t>(message.FlattenedSize()), '\0');
	message.Flatten(body.data(), static_cast<ssize_t>(body.size()));
	uint32 header[2] = {
		kWireMagic, claimedSize != 0 ? claimedSize : static_cast<uint32>(body.size())};
	return std::string(reinterpret_cast<const char*>(header), sizeof(header)) + body;
}

BMessage LaunchMessage(const char* argument)
{
	BMessage message(B_ARGV_RECEIVED);
	message.AddString("cwd", "/");
	message.AddString("argv", "intruder");
	message.AddString("argv", argument);
	message.AddInt32("argc", 2);
	return message;
}

TEST_F(LaunchTest, MalformedMessagesAreDroppedAndTheInstanceGoesOn)
{
	auto instance = StartInstance();
	std::string path = SocketPath();

	EXPECT_FALSE(SendRaw(path, "this is not a launch message at all"));
	EXPECT_FALSE(SendRaw(path, Framed(LaunchMessage("oversized"), 512 * 1024 * 1024)));
	std::string whole = Framed(LaunchMessage("truncated"));
	EXPECT_FALSE(SendRaw(path, whole.substr(0, whole.size() - 5), true));
	BMessage wrongCode = LaunchMessage("wrong code");
	wrongCode.what = B_REFS_RECEIVED;
	EXPECT_FALSE(SendRaw(path, Framed(wrongCode)));
	BMessage withPointer = LaunchMessage("with pointer");
	withPointer.AddPointer("extra", &withPointer);
	EXPECT_FALSE(SendRaw(path, Framed(withPointer)));
	BMessage badCount = LaunchMessage("bad count");
	badCount.ReplaceInt32("argc", 7);
	EXPECT_FALSE(SendRaw(path, Framed(badCount)));
	std::string corrupt = Framed(LaunchMessage("corrupt"));
	corrupt[corrupt.size() - 1] = 'x';
	EXPECT_FALSE(SendRaw(path, corrupt));

	// A well-formed one still gets through, and it is the first thing printed.
	EXPECT_TRUE(SendRaw(path, Framed(LaunchMessage("/good.fli"))));
	EXPECT_EQ(instance->ReadLine(), "arg /good.fli");
	QuitInstance(*instance);
}

TEST_F(LaunchTest, PeersOfAnotherUserAreRefused)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to act as another user";
	auto instance = StartInstance();
	std::string path = SocketPath();
	std::string message = Framed(LaunchMessage("/from-other-user.fli"));

	const int status = RunInForkedChild([&] {
		// Another user by its effective id, which the peer credentials report; the file
		// system id stays root's so that the private folder can still be entered.
		if (seteuid(65534) != 0)
			return 2;
		setfsuid(0);
		int probe = Connect(path);
		if (probe < 0)
			return 3;
		close(probe);
		return SendRaw(path, message) ? 1 : 0;
	});
	EXPECT_NE(status, 3) << "the test could not reach the socket as another user";
	EXPECT_EQ(status, 0) << "the listener acknowledged another user";

	HandOver({"/mine.fli"});
	EXPECT_EQ(instance->ReadLine(), "arg /mine.fli");
	QuitInstance(*instance);
}

}
