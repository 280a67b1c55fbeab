// How long the nearest-neighbour scaler takes for a 320x200 frame at the sizes a player window shows.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "PixelScaler.h"

using namespace zoetra::display;

namespace {

void ScaleFrame(benchmark::State& state)
{
	const int32_t width = int32_t(state.range(0)), height = int32_t(state.range(1));
	std::vector<uint32_t> source(320 * 200);
	for (size_t i = 0; i < source.size(); i++)
		source[i] = uint32_t(i * 2654435761u);
	std::vector<uint32_t> dest(size_t(width) * size_t(height));
	const PixelPlane from{source.data(), 320, 200, 320 * 4};
	const PixelPlane to{dest.data(), width, height, width * 4};
	std::vector<int32_t> table;
	const PixelRect all{0, 0, width - 1, height - 1};
	for (auto _ : state) {
		ScaleNearest(from, {0, 0, 319, 199}, to, all, all, table);
		benchmark::DoNotOptimize(dest.data());
		benchmark::ClobberMemory();
	}
	state.SetBytesProcessed(int64_t(state.iterations()) * width * height * 4);
}

BENCHMARK(ScaleFrame)
	->Args({320, 200})
	->Args({640, 400})
	->Args({1120, 700})
	->Args({1280, 800})
	->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
