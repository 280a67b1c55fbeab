// Reads test data files for the fli tests.
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace fli::test {

std::string TestDataPath(const std::string& name)
{
	return std::string(ZOETRA_TEST_DATA) + "/" + name;
}

std::vector<unsigned char> ReadTestFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	EXPECT_TRUE(in.good()) << "cannot open " << path;
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> ReadLines(const std::string& path)
{
	std::ifstream in(path);
	EXPECT_TRUE(in.good()) << "cannot open " << path;
	std::vector<std::string> lines;
	for (std::string line; std::getline(in, line);) {
		if (!line.empty())
			lines.push_back(line);
	}
	return lines;
}

} // namespace fli::test
