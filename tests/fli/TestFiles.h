// Reading the project's test data files.
#pragma once

#include <string>
#include <vector>

namespace fli::test {

// The path of a file in tests/data.
std::string TestDataPath(const std::string& name);
// The whole file as bytes; fails the calling test (and returns nothing) when it cannot.
std::vector<unsigned char> ReadTestFile(const std::string& path);
// The file's lines, without their line ends.
std::vector<std::string> ReadLines(const std::string& path);

} // namespace fli::test
