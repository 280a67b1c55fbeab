// The whole-file reader: exact bytes, holes and zero pages, and files that hold less than
// their size says.
#include "io/WholeFileReader.h"

#include "TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using zoetra::testing::TemporaryFolder;

std::vector<unsigned char> Contents(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads `path` whole through a descriptor, as flitool does; false when the reader refuses.
bool Read(const std::string& path, std::vector<unsigned char>& into, uint64_t size)
{
	const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	io::DescriptorFile file(fd);
	into.assign(size, 0xAA);
	const bool whole = io::ReadWholeFile(file, into.data(), size);
	close(fd);
	return whole;
}

} // namespace

TEST(WholeFileReaderTest, ReadsDataAndHolesExactlyAndRefusesFilesThatHoldLess)
{
	const std::string bounce = std::string(ZOETRA_TEST_DATA) + "/bounce.fli";
	const std::vector<unsigned char> expected = Contents(bounce);
	std::vector<unsigned char> read;
	ASSERT_TRUE(Read(bounce, read, expected.size()));
	EXPECT_EQ(read, expected);

	// Data, a hole, data again: the hole reads as zeros, what surrounds it exactly. A hole
	// shorter than one read, and a longer one.
	TemporaryFolder folder;
	for (const uint64_t hole : {uint64_t(1) << 20, uint64_t(40) << 20}) {
		const std::string sparse = folder.File("sparse.bin");
		std::filesystem::remove(sparse);
		{
			std::ofstream out(sparse, std::ios::binary);
			out.write(
				reinterpret_cast<const char*>(expected.data()), std::streamsize(expected.size()));
			out.seekp(std::streamoff(expected.size() + hole));
			out.write(
				reinterpret_cast<const char*>(expected.data()), std::streamsize(expected.size()));
		}
		ASSERT_TRUE(Read(sparse, read, 2 * expected.size() + hole)) << hole;
		EXPECT_EQ(std::memcmp(read.data(), expected.data(), expected.size()), 0) << hole;
		EXPECT_EQ(std::count(read.begin() + std::ptrdiff_t(expected.size()),
					  read.begin() + std::ptrdiff_t(expected.size() + hole), 0),
			std::ptrdiff_t(hole))
			<< hole;
		EXPECT_EQ(
			std::memcmp(read.data() + expected.size() + hole, expected.data(), expected.size()), 0)
			<< hole;
	}

	// Asking for more than the file holds: the file shrank since its size was taken.
	EXPECT_FALSE(Read(bounce, read, expected.size() + 1));
	// sysfs reports 4096 bytes for attributes that hold a few: its size is not to be trusted.
	const char* attribute = "/sys/devices/system/cpu/online";
	struct stat status;
	if (stat(attribute, &status) == 0 && uint64_t(status.st_size) > Contents(attribute).size()) {
		EXPECT_FALSE(Read(attribute, read, uint64_t(status.st_size)));
	}
}
