// The walk through the frames in play order: passes, the ring frame, timing fields, bounds.
#include "DecodeCanvas.h"
#include "FliBuilder.h"

#include "fli/FrameWalk.h"

#include <gtest/gtest.h>

#include <map>

namespace fli::test {
namespace {

// An animation whose frames can be told apart by where they start.
class WalkedFile {
public:
	explicit WalkedFile(const File& file)
		: bytes_(FileBytes(file)),
		  buffer_(bytes_)
	{
		uint64_t offset = kFileHeaderSize;
		for (size_t i = 0; i < file.frames.size(); ++i) {
			frameAt_[offset] = static_cast<int>(i);
			offset += FrameBytes(file.frames[i]).size();
		}
	}
	explicit WalkedFile(const Bytes& bytes)
		: bytes_(bytes),
		  buffer_(bytes_)
	{
	}

	FrameWalk Walk() const { return FrameWalk(buffer_.Data(), buffer_.Size()); }

	// The frame numbers (by position in the file) of the rest of the walk's current pass.
	std::vector<int> Pass(FrameWalk& walk) const
	{
		std::vector<int> frames;
		while (const unsigned char* frame = walk.NextFrame()) {
			const auto found = frameAt_.find(static_cast<uint64_t>(frame - buffer_.Data()));
			frames.push_back(found == frameAt_.end() ? -1 : found->second);
			if (frames.size() > 100000)
				break;
		}
		return frames;
	}

private:
	Bytes bytes_;
	ExactBuffer buffer_;
	std::map<uint64_t, int> frameAt_;
};

File FileWithFrames(int16_t frameCount, int framesInFile)
{
	File file{frameCount, 2, {}};
	for (int i = 0; i < framesInFile; ++i)
		file.frames.push_back(Frame{std::vector<Chunk>(static_cast<size_t>(i), BlackChunk())});
	return file;
}

using Frames = std::vector<int>;

TEST(FrameWalk, FirstPassShowsEveryFrameThroughTheRingFrameLaterPassesStartAtFrameOne)
{
	const WalkedFile file(FileWithFrames(2, 3));
	FrameWalk walk = file.Walk();
	EXPECT_TRUE(walk.InFirstPass());
	EXPECT_EQ(file.Pass(walk), (Frames{0, 1, 2}));
	EXPECT_EQ(walk.FramesShownInPass(), 3);
	for (int pass = 0; pass < 3; ++pass) {
		walk.StartNextPass();
		EXPECT_FALSE(walk.InFirstPass());
		EXPECT_EQ(file.Pass(walk), (Frames{1, 2})) << pass;
	}
	EXPECT_TRUE(walk.LaterPassesShowFrames());
	EXPECT_EQ(walk.FirstPassFrameCount(), 3);
}

TEST(FrameWalk, FrameIndexCountsFromThePassStart)
{
	const WalkedFile file(FileWithFrames(2, 3));
	FrameWalk walk = file.Walk();
	EXPECT_EQ(walk.FrameIndex(), -1);
	walk.NextFrame();
	EXPECT_EQ(walk.FrameIndex(), 0);
	walk.NextFrame();
	EXPECT_EQ(walk.FrameIndex(), 1);
	// A pass cut short: the next one still starts at frame 1.
	walk.StartNextPass();
	walk.NextFrame();
	EXPECT_EQ(walk.FrameIndex(), 1);
}

TEST(FrameWalk, FrameCountZeroShowsFrameZeroOnceAndLaterPassesShowNothing)
{
	const WalkedFile file(FileWithFrames(0, 3));
	FrameWalk walk = file.Walk();
	EXPECT_FALSE(walk.LaterPassesShowFrames());
	EXPECT_EQ(file.Pass(walk), (Frames{0}));
	walk.StartNextPass();
	EXPECT_EQ(file.Pass(walk), Frames{});
	EXPECT_EQ(walk.FramesShownInPass(), 0);
}

TEST(FrameWalk, NegativeFrameCountShowsNoFrameAtAll)
{
	const WalkedFile file(FileWithFrames(-1, 3));
	FrameWalk walk = file.Walk();
	EXPECT_EQ(walk.FrameCount(), -1);
	EXPECT_EQ(file.Pass(walk), Frames{});
	EXPECT_FALSE(walk.LaterPassesShowFrames());
}

TEST(FrameWalk, FilesWithoutARingFrameEndTheFirstPassAtTheBufferEnd)
{
	// Like many real files: the count equals the frames present, so the pass runs into the
	// end of the buffer, which ends it.
	const WalkedFile file(FileWithFrames(3, 3));
	FrameWalk walk = file.Walk();
	EXPECT_EQ(file.Pass(walk), (Frames{0, 1, 2}));
	walk.StartNextPass();
	EXPECT_EQ(file.Pass(walk), (Frames{1, 2}));
}

TEST(FrameWalk, FrameHeaderCutByTheBufferEndEndsThePass)
{
	Bytes bytes = FileBytes(FileWithFrames(2, 2));
	bytes.insert(bytes.end(), kFrameHeaderSize - 1, 0);
	const WalkedFile file(bytes);
	FrameWalk walk = file.Walk();
	EXPECT_EQ(file.Pass(walk).size(), 2u);
	Bytes whole = bytes;
	whole.push_back(0);
	const WalkedFile wholeFile(whole);
	FrameWalk wholeWalk = wholeFile.Walk();
	EXPECT_EQ(wholeFile.Pass(wholeWalk).size(), 3u);
}

TEST(FrameWalk, FrameOfSizeZeroStandsInForEveryFrameStillToCome)
{
	File file = FileWithFrames(3, 4);
	file.frames[1].sizeField = 0;
	const WalkedFile walked(file);
	FrameWalk walk = walked.Walk();
	EXPECT_EQ(walked.Pass(walk), (Frames{0, 1, 1, 1}));
	walk.StartNextPass();
	EXPECT_EQ(walked.Pass(walk), (Frames{1, 1, 1}));
}

TEST(FrameWalk, HugeFrameZeroSizeLeavesLaterPassesEmptyInsteadOfWrapping)
{
	// 128 + 0xFFFFFFF0 wraps to 112 in 32 bits, inside the file header.
	File file = FileWithFrames(2, 3);
	file.frames[0].sizeField = 0xFFFFFFF0;
	const WalkedFile walked(file);
	FrameWalk walk = walked.Walk();
	EXPECT_EQ(walked.Pass(walk), (Frames{0}));
	EXPECT_FALSE(walk.LaterPassesShowFrames());
	walk.StartNextPass();
	EXPECT_EQ(walked.Pass(walk), Frames{});
}

TEST(FrameWalk, WithoutAWholeFrameZeroNoPassShowsAFrame)
{
	Bytes bytes = FileBytes(File{3, 2, {}});
	bytes.insert(bytes.end(), kFrameHeaderSize - 1, 0);
	const WalkedFile file(bytes);
	FrameWalk walk = file.Walk();
	EXPECT_EQ(file.Pass(walk), Frames{});
	walk.StartNextPass();
	EXPECT_EQ(file.Pass(walk), Frames{});
	EXPECT_FALSE(walk.LaterPassesShowFrames());
}

TEST(FrameWalk, LargestFrameCountEndsThePassInsteadOfWrappingTheIndex)
{
	File file = FileWithFrames(32767, 1);
	file.frames[0].sizeField = 0;
	const WalkedFile walked(file);
	FrameWalk walk = walked.Walk();
	EXPECT_EQ(walk.FirstPassFrameCount(), 32768);
	EXPECT_EQ(walked.Pass(walk).size(), 32768u);
	EXPECT_EQ(walk.FrameIndex(), 32767);
}

// A negative speed (a field of 0x8000 or more) would be a negative pause, that is none: it
// plays like 0, so such a file never spins. The player and flitool share this rule.
TEST(FrameWalk, DelayIsSpeedTimes16666WithZeroAndNegativeSpeedsCountingAsTwo)
{
	struct Case {
		int16_t speed;
		int32_t delay;
	};
	for (const Case& c : {Case{0, 33332}, Case{1, 16666}, Case{5, 83330}, Case{-1, 33332},
			 Case{32767, 546094822}, Case{-32768, 33332}}) {
		const WalkedFile file(File{1, c.speed, {}});
		const FrameWalk walk = file.Walk();
		EXPECT_EQ(walk.Speed(), c.speed);
		EXPECT_EQ(walk.DelayMicroseconds(), c.delay) << c.speed;
	}
}

TEST(FrameWalk, BufferShorterThanTheHeaderHasNoFrames)
{
	Bytes bytes = FileBytes(FileWithFrames(1, 2));
	const ExactBuffer shortBuffer(Bytes(bytes.begin(), bytes.begin() + 100));
	FrameWalk walk(shortBuffer.Data(), shortBuffer.Size());
	EXPECT_EQ(walk.NextFrame(), nullptr);
	walk.StartNextPass();
	EXPECT_EQ(walk.NextFrame(), nullptr);
}

} // namespace
} // namespace fli::test
