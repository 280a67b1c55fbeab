// Decodes animations made by another program and checks every frame against hashes from an
// independent decoder, through the same walk that `flitool frames` uses.
#include "FrameHash.h"
#include "TestFiles.h"

#include "fli/Acceptance.h"
#include "fli/FrameSequence.h"

#include <gtest/gtest.h>

namespace fli::test {
namespace {

class ReferenceFile : public ::testing::TestWithParam<const char*> {};

TEST_P(ReferenceFile, EveryFrameInPlayOrderMatchesItsHash)
{
	const std::string name = GetParam();
	const std::vector<unsigned char> file = ReadTestFile(TestDataPath(name + ".fli"));
	const std::vector<std::string> hashes = ReadLines(TestDataPath(name + ".frames.sha256"));
	ASSERT_FALSE(hashes.empty());
	ASSERT_TRUE(PassesSizeTest(static_cast<int64_t>(file.size())));
	ASSERT_TRUE(PassesHeaderTest(file.data(), static_cast<uint32_t>(file.size())));

	FrameSequence frames(
		file.data(), static_cast<uint32_t>(file.size()), static_cast<int64_t>(hashes.size()));
	for (size_t i = 0; i < hashes.size(); ++i) {
		ASSERT_TRUE(frames.Next()) << "the sequence ended before frame " << i;
		ASSERT_EQ(HashFrame(frames.Pixels()), hashes[i]) << "frame " << i << " in play order";
	}
	EXPECT_FALSE(frames.Next()) << "the frame limit was not kept";
}

INSTANTIATE_TEST_SUITE_P(GimpExports, ReferenceFile, ::testing::Values("bounce", "sparse"));

} // namespace
} // namespace fli::test
