// flitool as a child process, its standard output and error read apart.
#include "FlitoolRun.h"

#include "ChildProcess.h"

#include <chrono>

namespace fli::test {

std::vector<std::vector<uint32_t>> FramesAsPixels(const std::string& frames)
{
	constexpr size_t kFrameBytes = size_t{kPixelCount} * 4;
	std::vector<std::vector<uint32_t>> pictures;
	for (size_t at = 0; at + kFrameBytes <= frames.size(); at += kFrameBytes) {
		std::vector<uint32_t> pixels(kPixelCount);
		for (size_t p = 0; p < pixels.size(); ++p) {
			const auto* bgr0 = reinterpret_cast<const unsigned char*>(frames.data() + at + 4 * p);
			pixels[p] = uint32_t{bgr0[2]} << 16 | uint32_t{bgr0[1]} << 8 | bgr0[0];
		}
		pictures.push_back(std::move(pixels));
	}
	return pictures;
}

ToolRun FlitoolCommand::RunFlitool(
	const std::vector<std::string>& arguments, const std::string& folder)
{
	using zoetra::testing::ChildOptions;
	std::vector<std::string> command{std::string(ZOETRA_BUILD_DIR) + "/flitool"};
	command.insert(command.end(), arguments.begin(), arguments.end());
	zoetra::testing::ChildProcess flitool(
		command, {.folder = folder, .errors = ChildOptions::Errors::Read});
	// Generous: a sanitizer build exports a whole animation several times slower.
	const int exitCode = flitool.WaitForExit(std::chrono::seconds(60));
	return {exitCode, flitool.Output(), flitool.Errors()};
}

std::string FlitoolCommand::WriteFile(const std::string& name, const Bytes& bytes)
{
	return files_.Write(name, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::vector<uint32_t>> FlitoolCommand::PlayerFrames(
	const std::string& path, int64_t count)
{
	std::vector<std::string> arguments{"frames", path};
	if (count >= 0)
		arguments.insert(arguments.end(), {"--count", std::to_string(count)});
	const ToolRun run = RunFlitool(arguments);
	EXPECT_EQ(run.exitCode, 0) << run.err;
	return FramesAsPixels(run.out);
}

Bytes NumberedFrames(int16_t frameCount, int framesInFile)
{
	File file{frameCount, 2, {}};
	std::vector<Rgb> colours;
	for (int i = 0; i < framesInFile; ++i)
		colours.push_back({static_cast<unsigned char>(i + 1), 0, 0});
	for (int i = 0; i < framesInFile; ++i) {
		Frame frame{{LcChunk(0, {{LcLiteral(0, {static_cast<unsigned char>(10 + i)})}})}};
		if (i == 0)
			frame.chunks.insert(frame.chunks.begin(), ColorChunk({{10, colours}}));
		file.frames.push_back(frame);
	}
	return FileBytes(file);
}

std::vector<int> FrameNumbers(const std::string& frames)
{
	std::vector<int> numbers;
	for (size_t at = 0; at + 256000 <= frames.size(); at += 256000)
		numbers.push_back(static_cast<unsigned char>(frames[at + 2]) / 4 - 1);
	return numbers;
}

} // namespace fli::test
