// The bundled demo: accepted, in step with its generator, and a proper loop through its
// ring frame.
#include "TestFiles.h"

#include "fli/Acceptance.h"
#include "fli/FrameSequence.h"
#include "DemoAnimation.h"

#include <gtest/gtest.h>

#include <string>

namespace fli::test {
namespace {

std::vector<unsigned char> DemoFile()
{
	return ReadTestFile(std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli");
}

// How many FLI_LC packets of size 0 (skip only) the file's frames hold.
int CountSkipOnlyPackets(const std::vector<unsigned char>& file)
{
	int found = 0;
	FrameWalk walk(file.data(), static_cast<uint32_t>(file.size()));
	while (const unsigned char* frame = walk.NextFrame()) {
		const unsigned char* chunk = frame + kFrameHeaderSize;
		for (int c = 0; c < GetInt16(frame + kFrameChunkCountOffset);
			 ++c, chunk += GetInt32(chunk)) {
			if (GetInt16(chunk + kChunkTypeOffset) != FLI_LC)
				continue;
			const unsigned char* in = chunk + kChunkHeaderSize + 4;
			for (int line = 0; line < GetInt16(chunk + kChunkHeaderSize + 2); ++line) {
				const int packets = *in++;
				for (int p = 0; p < packets; ++p) {
					const int size = static_cast<signed char>(in[1]);
					in += 2;
					found += size == 0;
					in += size > 0 ? size : size < 0 ? 1 : 0;
				}
			}
		}
	}
	return found;
}

TEST(DemoAnimation, IsAcceptedAndDescribesItself)
{
	const std::vector<unsigned char> file = DemoFile();
	ASSERT_TRUE(PassesSizeTest(static_cast<int64_t>(file.size())));
	ASSERT_TRUE(PassesHeaderTest(file.data(), static_cast<uint32_t>(file.size())));
	const FrameWalk walk(file.data(), static_cast<uint32_t>(file.size()));
	EXPECT_EQ(walk.FrameCount(), demo::kDemoFrameCount);
	EXPECT_EQ(walk.Speed(), demo::kDemoSpeed);
	EXPECT_EQ(walk.FirstPassFrameCount(), demo::kDemoFrameCount + 1);
	EXPECT_GT(CountSkipOnlyPackets(file), 0) << "the demo should exercise skip-only packets";
}

TEST(DemoAnimation, ShowsItsRenderedPicturesAndTheRingFrameClosesTheLoop)
{
	const std::vector<unsigned char> file = DemoFile();
	const encode::Palette6 palette6 = demo::DemoPalette();
	auto colour = [&palette6](unsigned char index) {
		const encode::Colour6 c = palette6[index];
		return (uint32_t(c.red) * 4 << 16) | (uint32_t(c.green) * 4 << 8) | (c.blue * 4u);
	};
	FrameSequence frames(
		file.data(), static_cast<uint32_t>(file.size()), FrameSequence::kFirstAndOneLaterPass);
	// First pass: pictures 0 to 63, then the ring frame brings back picture 0; the later
	// pass shows pictures 1 to 63 and 0 again.
	std::vector<int> expected;
	for (int i = 0; i <= demo::kDemoFrameCount; ++i)
		expected.push_back(i % demo::kDemoFrameCount);
	for (int i = 1; i <= demo::kDemoFrameCount; ++i)
		expected.push_back(i % demo::kDemoFrameCount);
	for (size_t shown = 0; shown < expected.size(); ++shown) {
		ASSERT_TRUE(frames.Next()) << shown;
		const encode::Picture picture = demo::RenderDemoPicture(expected[shown]);
		for (int p = 0; p < kPixelCount; ++p)
			ASSERT_EQ(frames.Pixels()[p], colour(picture[p]))
				<< "frame " << shown << " pixel " << p;
	}
	EXPECT_FALSE(frames.Next());
}

} // namespace
} // namespace fli::test
