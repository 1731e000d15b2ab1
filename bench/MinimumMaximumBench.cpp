// The minimum/maximum scan of a 24-megapixel Float32 image (6000 x 4000,
// with NaN values sprinkled in), against a plain scalar loop over the same
// pixels in the same run.
#include "Data/api/Image2D.h"
#include "Platform/api/MinimumMaximum.h"
#include "Platform/api/Threading.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <limits>

using namespace Brintavolex;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;

const Data::Image2D<float> &Image()
{
    static const Data::Image2D<float> *image = [] {
        auto *made = new Data::Image2D<float>();
        made->Allocate(kWidth, kHeight);
        auto lock = made->Lock<float>();
        std::uint32_t seed = 12345;
        for (std::uint32_t y = 0; y < kHeight; ++y) {
            float *row = lock.Row(y);
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                seed = seed * 1664525u + 1013904223u;
                row[x] = (seed >> 8) % 9973 == 0 ? std::nanf("") : float(seed >> 8) * (1.0f / 16777216.0f) - 0.5f;
            }
        }
        return made;
    }();
    return *image;
}

void Scan(benchmark::State &state)
{
    ParallelLoop::SetProcessorCount(unsigned(state.range(0)));
    const Data::Image2D<float> &image = Image();
    for (auto _ : state) {
        const Data::MinimumMaximum result = Data::ComputeMinimumMaximum(image);
        benchmark::DoNotOptimize(result);
    }
    ParallelLoop::SetProcessorCount(0);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kWidth * kHeight * 4);
}

// What a straightforward loop does: one thread, one comparison pair per value.
void ScalarLoop(benchmark::State &state)
{
    const Data::Image2D<float> &image = Image();
    for (auto _ : state) {
        const auto lock = image.LockConst<float>();
        float mn = std::numeric_limits<float>::infinity(), mx = -mn;
        for (std::uint64_t y = 0; y < lock.Height(); ++y) {
            const float *row = lock.Row(y);
            for (std::uint64_t x = 0; x < lock.Width(); ++x) {
                if (mn > row[x])
                    mn = row[x];
                if (row[x] > mx)
                    mx = row[x];
            }
        }
        benchmark::DoNotOptimize(mn);
        benchmark::DoNotOptimize(mx);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kWidth * kHeight * 4);
}

} // namespace

// Argument: processors the parallel loop may use (2: the build machine's count).
BENCHMARK(Scan)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ScalarLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
