// The histogram of a 24-megapixel BGRAUInt8 image (6000 x 4000, noise),
// against a plain single loop over the same pixels in the same run.
#include "Data/api/Image2D.h"
#include "PlanoscopeWidget/api/Histogram.h"
#include "Platform/api/Threading.h"

#include <benchmark/benchmark.h>

#include <array>

using namespace Brintavolex;
using Pixel = Data::ColorBGRA<std::uint8_t>;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;

const SharedPtr<Data::Image2DBase> &Image()
{
    static const SharedPtr<Data::Image2DBase> image = [] {
        auto made = MakeShared<Data::Image2D<Pixel>>();
        made->Allocate(kWidth, kHeight);
        auto lock = made->Lock<Pixel>();
        std::uint32_t seed = 12345;
        for (std::uint32_t y = 0; y < kHeight; ++y)
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                seed = seed * 1664525u + 1013904223u;
                lock.Row(y)[x] = Pixel{std::uint8_t(seed >> 24), std::uint8_t(seed >> 16), std::uint8_t(x / 24), 255};
            }
        return SharedPtr<Data::Image2DBase>(made);
    }();
    return image;
}

void Histogram(benchmark::State &state)
{
    ParallelLoop::SetProcessorCount(unsigned(state.range(0)));
    for (auto _ : state) {
        const ImageView::HistogramComputation histogram(Image());
        benchmark::DoNotOptimize(histogram.Bins().counts[0][0]);
    }
    ParallelLoop::SetProcessorCount(0);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}

// What a straightforward loop does: one thread, one increment per channel
// into one table.
void PlainLoop(benchmark::State &state)
{
    for (auto _ : state) {
        std::array<std::array<std::uint64_t, 256>, 3> counts{};
        const auto lock = Image()->LockConst<Pixel>();
        for (std::uint64_t y = 0; y < lock.Height(); ++y) {
            const Pixel *row = lock.Row(y);
            for (std::uint64_t x = 0; x < lock.Width(); ++x) {
                ++counts[0][row[x].b];
                ++counts[1][row[x].g];
                ++counts[2][row[x].r];
            }
        }
        benchmark::DoNotOptimize(counts);
    }
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}

} // namespace

BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Histogram)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
