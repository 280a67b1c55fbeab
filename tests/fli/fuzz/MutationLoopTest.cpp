// Where libFuzzer is not available (gcc builds): a deterministic mutation loop over the same
// starting inputs, for a fixed number of rounds.
#include "FuzzTarget.h"
#include "StartingInputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace fli::fuzz {
namespace {

constexpr int kRounds = 10000;
constexpr size_t kLargestInput = 70000;

void Mutate(Bytes& input, std::mt19937& random)
{
	static constexpr unsigned char interesting[] = {
		0x00, 0x01, 0x06, 0x0B, 0x0C, 0x0D, 0x0F, 0x10, 0x7F, 0x80, 0xFF};
	const int edits = 1 + static_cast<int>(random() % 8);
	for (int e = 0; e < edits; ++e) {
		const size_t at = input.empty() ? 0 : random() % input.size();
		switch (random() % 6) {
			case 0:
				if (!input.empty())
					input[at] ^= static_cast<unsigned char>(1u << (random() % 8));
				break;
			case 1:
				if (!input.empty())
					input[at] = interesting[random() % std::size(interesting)];
				break;
			case 2:
				if (!input.empty())
					input[at] = static_cast<unsigned char>(random());
				break;
			case 3: // a 16- or 32-bit field set to an edge value
				for (size_t k = 0; k < (random() % 2 ? 2u : 4u) && at + k < input.size(); ++k)
					input[at + k] = (random() % 2) ? 0xFF : 0x00;
				break;
			case 4:
				input.resize(at);
				break;
			default:
				input.insert(input.begin() + static_cast<std::ptrdiff_t>(at), 1 + random() % 16,
					static_cast<unsigned char>(random()));
				break;
		}
	}
	if (input.size() > kLargestInput)
		input.resize(kLargestInput);
}

TEST(FuzzMutationLoop, DecoderAndWalkSurviveMutatedFiles)
{
	const std::vector<Bytes> starts = StartingInputs({
		std::string(ZOETRA_TEST_DATA) + "/bounce.fli",
		std::string(ZOETRA_TEST_DATA) + "/sparse.fli",
		std::string(ZOETRA_SOURCE_DIR) + "/data/demo.fli",
	});
	ASSERT_GE(starts.size(), 10u);
	std::mt19937 random(20260);
	for (int round = 0; round < kRounds; ++round) {
		Bytes input = starts[random() % starts.size()];
		Mutate(input, random);
		// An exact-size block, so a read past the end is a read past the allocation.
		const auto exact = std::make_unique<unsigned char[]>(std::max<size_t>(input.size(), 1));
		std::copy(input.begin(), input.end(), exact.get());
		const char* fault = FuzzOneAnimation(exact.get(), input.size());
		ASSERT_EQ(fault, nullptr) << fault << " (round " << round << ")";
	}
}

} // namespace
} // namespace fli::fuzz
