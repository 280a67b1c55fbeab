// Makes the starting inputs of the fuzz tests.
#include "StartingInputs.h"

#include "../FliBuilder.h"

#include "fli/Format.h"
#include "fli/FrameWalk.h"

#include <fstream>
#include <iterator>

namespace fli::fuzz {

namespace {

using namespace fli::test;

Bytes ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The header of `file` followed by its frames from the `first`-th on, with the frame count
// set to match: short inputs that still hold real line-compressed frames.
Bytes Tail(const Bytes& file, int first)
{
	FrameWalk walk(file.data(), static_cast<uint32_t>(file.size()));
	const unsigned char* start = nullptr;
	int frames = 0;
	while (const unsigned char* frame = walk.NextFrame()) {
		if (walk.FrameIndex() == first)
			start = frame;
		frames = walk.FrameIndex() + 1;
	}
	if (start == nullptr)
		return {};
	Bytes tail(file.begin(), file.begin() + kFileHeaderSize);
	tail.insert(tail.end(), start, file.data() + file.size());
	const auto count = static_cast<uint16_t>(frames - first - 1);
	tail[kFrameCountOffset] = static_cast<unsigned char>(count);
	tail[kFrameCountOffset + 1] = static_cast<unsigned char>(count >> 8);
	return tail;
}

std::vector<Bytes> BuiltFiles()
{
	std::vector<Rgb> colours;
	for (int i = 0; i < 16; ++i)
		colours.push_back(
			{static_cast<unsigned char>(i * 4), static_cast<unsigned char>(63 - i), 7});
	std::vector<Line> brunLines(
		kHeight, Line{BrunRepeat(100, 3), BrunLiteral({1, 2, 3, 4}), BrunRepeat(0, 9)});
	const Chunk lc = LcChunk(20,
		{{LcSkipOnly(255), LcLiteral(40, {5, 6}), LcRepeat(2, 30, 7)}, {},
			{LcRepeat(250, 128, 1)}});
	Chunk zeroSized = lc;
	zeroSized.sizeField = 0;
	Chunk huge = RawChunk(14, {1, 2, 3});
	huge.sizeField = 0xFFFFFFF0;

	std::vector<Bytes> files;
	files.push_back(FileBytes(File{2, 1,
		{
			Frame{{ColorChunk({{0, colours}, {200, colours, 0}}), BrunChunk(brunLines)}},
			Frame{{lc, RawChunk(18, {0, 0}), BlackChunk()}},
			Frame{{CopyChunk(Bytes(2000, 5)), lc}},
		}}));
	files.push_back(FileBytes(File{3, 0, {Frame{{zeroSized}}, Frame{{huge, lc}}}}));
	File zeroFrame{5, -1, {Frame{{lc}}, Frame{{lc}}}};
	zeroFrame.frames[1].sizeField = 0;
	files.push_back(FileBytes(zeroFrame));
	files.push_back(FileBytes(File{-1, 2, {Frame{{BlackChunk()}}}}));
	files.push_back(FileBytes(File{}));
	return files;
}

} // namespace

std::vector<Bytes> StartingInputs(const std::vector<std::string>& realFiles)
{
	std::vector<Bytes> inputs = BuiltFiles();
	for (const std::string& path : realFiles) {
		const Bytes file = ReadFile(path);
		if (file.empty())
			continue;
		inputs.push_back(file);
		for (int first : {1, 10}) {
			if (Bytes tail = Tail(file, first); !tail.empty())
				inputs.push_back(std::move(tail));
		}
	}
	return inputs;
}

} // namespace fli::fuzz
