// The player's parts without a display: refusal texts, reading files, the roster, live buffers.
#include "AnimationLoader.h"
#include "AnimationReader.h"
#include "FormatException.h"
#include "WindowRoster.h"

#include "ChildProcess.h"
#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <type_traits>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using zoetra::testing::RunInForkedChild;
using zoetra::testing::TemporaryFolder;

namespace {

TEST(FormatExceptionTest, EveryCopyOwnsItsTextAndNoneCanBeAssigned)
{
	static_assert(!std::is_copy_assignable_v<FormatException>);
	char text[] = "Unsupported file format.";
	auto* original = new FormatException(text);
	text[0] = 'X';
	EXPECT_STREQ(original->GetMessage(), "Unsupported file format.") << "the text is copied";
	FormatException copy(*original);
	EXPECT_NE(copy.GetMessage(), original->GetMessage());
	delete original;
	EXPECT_STREQ(copy.GetMessage(), "Unsupported file format.");

	try {
		throw FormatException("thrown");
	} catch (FormatException& caught) {
		EXPECT_STREQ(caught.GetMessage(), "thrown");
	}
}

std::string Bounce()
{
	std::ifstream in(std::string(ZOETRA_TEST_DATA) + "/bounce.fli", std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), {});
}

class ReadAnimationTest : public ::testing::Test {
protected:
	// The refusal text, or "" when the file was accepted (its buffer is then checked
	// against `expected` and freed).
	static std::string Refusal(const std::string& path, const std::string& expected = "")
	{
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) != B_OK)
			return "no ref";
		try {
			LoadedAnimation animation = ReadAnimation(ref);
			EXPECT_EQ(
				std::string(reinterpret_cast<char*>(animation.data), animation.size), expected);
			delete[] animation.data;
			return "";
		} catch (FormatException& error) {
			return error.GetMessage();
		}
	}

	TemporaryFolder files{"zoetra-read"};
	fs::path folder = files.Path();
};

TEST_F(ReadAnimationTest, AcceptsWholeAnimationsFromTheHeaderOnAndNamesLinkTargets)
{
	const std::string bounce = Bounce();
	ASSERT_GT(bounce.size(), 128u);
	EXPECT_EQ(Refusal(files.Write("whole.fli", bounce), bounce), "");
	EXPECT_EQ(Refusal(files.Write("header.fli", bounce.substr(0, 128)), bounce.substr(0, 128)), "");

	const std::string target = files.Write("target.fli", bounce);
	fs::create_symlink(target, folder / "link.fli");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((folder / "link.fli").c_str(), &ref), B_OK);
	LoadedAnimation animation = ReadAnimation(ref);
	EXPECT_STREQ(animation.name, "target.fli");
	EXPECT_EQ(animation.size, bounce.size());
	delete[] animation.data;
}

TEST_F(ReadAnimationTest, RefusesShortFilesWrongHeadersAndEntriesThatAreNotFiles)
{
	const std::string bounce = Bounce();
	std::string wrongMagic = bounce;
	wrongMagic[4] = 0x12;
	std::string wrongWidth = bounce;
	wrongWidth[8] = 0x41;
	std::string wrongHeight = bounce;
	wrongHeight[10] = 0xC9;
	const std::string refused = "Unsupported file format.";
	EXPECT_EQ(Refusal(files.Write("short.fli", bounce.substr(0, 127))), refused);
	EXPECT_EQ(Refusal(files.Write("empty.fli", "")), refused);
	EXPECT_EQ(Refusal(files.Write("magic.fli", wrongMagic)), refused);
	EXPECT_EQ(Refusal(files.Write("width.fli", wrongWidth)), refused);
	EXPECT_EQ(Refusal(files.Write("height.fli", wrongHeight)), refused);
	EXPECT_EQ(Refusal(folder.string()), refused) << "a directory";
	EXPECT_EQ(Refusal("/dev/zero"), refused) << "a device";

	fs::create_symlink(folder / "nowhere.fli", folder / "dangling.fli");
	EXPECT_EQ(Refusal((folder / "dangling.fli").string()), refused);

	const std::string gone = files.Write("gone.fli", bounce);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(gone.c_str(), &ref), B_OK);
	fs::remove(gone);
	EXPECT_THROW(ReadAnimation(ref), FormatException) << "removed after its ref was made";
}

TEST_F(ReadAnimationTest, RefusesAFifoWithoutWaitingForAWriter)
{
	const std::string fifo = (folder / "pipe.fli").string();
	ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
	auto result = std::async(std::launch::async, [&] { return Refusal(fifo); });
	ASSERT_EQ(result.wait_for(10s), std::future_status::ready) << "opening a FIFO hung";
	EXPECT_EQ(result.get(), "Unsupported file format.");
}

TEST_F(ReadAnimationTest, RefusesAFileItMayNotRead)
{
	if (geteuid() == 0)
		GTEST_SKIP() << "root reads every file";
	const std::string path = files.Write("private.fli", Bounce());
	chmod(path.c_str(), 0);
	EXPECT_EQ(Refusal(path), "Unsupported file format.");
}

// Sparse files: their size costs no disk.
std::string SparseAnimation(const fs::path& path, uint64_t size)
{
	{
		std::ofstream(path, std::ios::binary) << Bounce().substr(0, 128);
	}
	fs::resize_file(path, size);
	return path.string();
}

// A file of 64 MiB: the animation's header, a hole, zeros written out, another hole and a
// block of data. The buffer holds every byte, but memory only for the data.
TEST_F(ReadAnimationTest, HoldsMemoryOnlyForTheDataOfAMostlyEmptyFile)
{
	const std::string header = Bounce().substr(0, 128);
	const std::string block(1 << 20, 'd');
	const fs::path path = folder / "mostly-empty.fli";
	{
		std::ofstream file(path, std::ios::binary);
		file << header;
		file.seekp(8 << 20);
		file << std::string(8 << 20, '\0');
		file.seekp(40 << 20);
		file << block;
	}
	fs::resize_file(path, 64 << 20);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
	const std::atomic<bool> stop{true};
	EXPECT_THROW(ReadAnimation(ref, &stop), FormatException) << "a stopped read gives up";

	LoadedAnimation animation = ReadAnimation(ref);
	ASSERT_EQ(animation.size, 64u << 20);
	const size_t page = size_t(sysconf(_SC_PAGESIZE));
	const uintptr_t first = uintptr_t(animation.data) & ~(page - 1);
	std::vector<unsigned char> resident(
		(uintptr_t(animation.data) + animation.size - first + page - 1) / page);
	ASSERT_EQ(mincore(reinterpret_cast<void*>(first),
				  uintptr_t(animation.data) + animation.size - first, resident.data()),
		0);
	size_t residentPages = 0;
	for (unsigned char entry : resident)
		residentPages += entry & 1;
	EXPECT_LT(residentPages * page, size_t(4) << 20) << "the buffer holds memory for zeros";

	std::string expected(animation.size, '\0');
	expected.replace(0, header.size(), header);
	expected.replace(40 << 20, block.size(), block);
	EXPECT_TRUE(std::memcmp(animation.data, expected.data(), expected.size()) == 0);
	delete[] animation.data;
}

TEST_F(ReadAnimationTest, LargeFilesLoadOnThreadsAndALaterFileForAWindowReplacesAnEarlierOne)
{
	const std::string large = SparseAnimation(folder / "large.fli", 32 << 20);
	std::string wrongMagic = Bounce().substr(0, 128);
	wrongMagic[4] = 0x12;
	const std::string refused = files.Write("refused.fli", wrongMagic);
	fs::resize_file(refused, 32 << 20);
	entry_ref largeRef, refusedRef, smallRef;
	ASSERT_EQ(get_ref_for_path(large.c_str(), &largeRef), B_OK);
	ASSERT_EQ(get_ref_for_path(refused.c_str(), &refusedRef), B_OK);
	ASSERT_EQ(get_ref_for_path(files.Write("small.fli", Bounce()).c_str(), &smallRef), B_OK);
	EXPECT_TRUE(AnimationLoader::IsLarge(largeRef));
	EXPECT_FALSE(AnimationLoader::IsLarge(smallRef));

	int window = 0;
	AnimationLoader loader;
	const int64 replaced = loader.Start(largeRef, &window, BMessenger());
	loader.GiveUp(&window);
	const int64 kept = loader.Start(largeRef, &window, BMessenger());
	const int64 refusal = loader.Start(refusedRef, nullptr, BMessenger());
	loader.Start(largeRef, nullptr, BMessenger());
	AnimationLoader::Result result;
	EXPECT_FALSE(loader.Take(replaced, &result));
	ASSERT_TRUE(loader.Take(kept, &result));
	EXPECT_EQ(result.target, &window);
	ASSERT_EQ(result.animation.size, 32u << 20);
	EXPECT_EQ(std::memcmp(result.animation.data, Bounce().data(), 128), 0);
	delete[] result.animation.data;
	ASSERT_TRUE(loader.Take(refusal, &result));
	EXPECT_EQ(result.animation.data, nullptr);
	EXPECT_EQ(result.refusal, "Unsupported file format.");
	EXPECT_TRUE(loader.Busy()) << "the last load was not taken; the loader frees it";
}

TEST_F(ReadAnimationTest, RefusesFilesOfFourGibibytesAndMore)
{
	const std::string huge = SparseAnimation(folder / "huge.fli", uint64_t(1) << 32);
	EXPECT_EQ(Refusal(huge), "Unsupported file format.");
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZOETRA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZOETRA_SANITIZED 1
#endif
#endif

TEST_F(ReadAnimationTest, RefusesAFileWhoseBufferCannotBeAllocated)
{
#ifdef ZOETRA_SANITIZED
	GTEST_SKIP() << "sanitizers reserve more address space than the limit allows";
#endif
	const std::string big = SparseAnimation(folder / "big.fli", uint64_t(3) << 30);
	const int status = RunInForkedChild([&] {
		const rlimit limit{rlim_t(1) << 30, rlim_t(1) << 30};
		setrlimit(RLIMIT_AS, &limit);
		entry_ref ref;
		get_ref_for_path(big.c_str(), &ref);
		try {
			LoadedAnimation animation = ReadAnimation(ref);
			delete[] animation.data;
			return 1;
		} catch (FormatException&) {
			return 0;
		}
	});
	EXPECT_EQ(status, 0) << "status " << status;
}

PlayerWindow* FakeWindow(int n)
{
	static char places[16];
	return reinterpret_cast<PlayerWindow*>(&places[n]);
}

TEST(WindowRosterTest, NumbersUntitledWindowsWithoutReuseAndCountsAllWindows)
{
	WindowRoster roster;
	EXPECT_EQ(roster.Register(FakeWindow(1), true), 1);
	EXPECT_EQ(roster.Register(FakeWindow(2), true), 2);
	EXPECT_EQ(roster.Register(FakeWindow(3), false), 0) << "a window with a file takes no number";
	EXPECT_EQ(roster.Register(FakeWindow(4), true), 3);
	EXPECT_EQ(roster.CountWindows(), 4);
	EXPECT_FALSE(roster.Unregister(FakeWindow(2)));
	EXPECT_EQ(roster.Register(FakeWindow(5), true), 4) << "numbers are never reused";

	EXPECT_FALSE(roster.Unregister(FakeWindow(9))) << "an unknown window changes nothing";
	EXPECT_EQ(roster.CountWindows(), 4);
	EXPECT_FALSE(roster.Unregister(FakeWindow(1)));
	EXPECT_FALSE(roster.Unregister(FakeWindow(3)));
	EXPECT_FALSE(roster.Unregister(FakeWindow(5)));
	EXPECT_TRUE(roster.Unregister(FakeWindow(4))) << "the last one";
	EXPECT_EQ(roster.CountWindows(), 0);
}

TEST(WindowRosterTest, ReachesOnlyRegisteredWindowsNewestFirst)
{
	WindowRoster roster;
	roster.Register(FakeWindow(1), true);
	roster.Register(FakeWindow(2), false);
	roster.Register(FakeWindow(3), true);
	roster.Unregister(FakeWindow(2));

	PlayerWindow* reached = nullptr;
	EXPECT_TRUE(roster.WithWindow(FakeWindow(3), [&](PlayerWindow* window) { reached = window; }));
	EXPECT_EQ(reached, FakeWindow(3));
	reached = nullptr;
	EXPECT_FALSE(roster.WithWindow(FakeWindow(2), [&](PlayerWindow* window) { reached = window; }))
		<< "a window that has gone";
	EXPECT_EQ(reached, nullptr);

	std::vector<PlayerWindow*> order;
	roster.ForEachNewestFirst([&](PlayerWindow* window) { order.push_back(window); });
	EXPECT_EQ(order, (std::vector<PlayerWindow*>{FakeWindow(3), FakeWindow(1)}));
}

} // namespace
