// Decoding 6000 x 4000 BMP files from memory, against memcpy of the same
// bytes in the same run.
#include "BMP/api/BMPDecoder.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;

std::string MakeBmp(unsigned bits)
{
    const std::uint32_t rowBytes = (bits * kWidth + 31) / 32 * 4;
    std::string file(54 + std::size_t(rowBytes) * kHeight, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); };
    auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&file[at], &v, 2); };
    file[0] = 'B', file[1] = 'M';
    put32(2, std::uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, kWidth);
    put32(22, kHeight);
    put16(26, 1);
    put16(28, std::uint16_t(bits));
    for (std::size_t i = 54; i < file.size(); ++i)
        file[i] = char(i * 131 + (i >> 9));
    return file;
}

void Decode(benchmark::State &state, unsigned bits)
{
    const std::string file = MakeBmp(bits);
    std::vector<Data::ColorBGRA<std::uint8_t>> pixels(std::size_t(kWidth) * kHeight);
    for (auto _ : state) {
        auto stream = MakeShared<MemoryStream>(file.data(), file.size());
        BMPDecoder decoder(stream);
        decoder.Decode(pixels.data(), kWidth, kHeight, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

void Copy(benchmark::State &state, unsigned bits)
{
    const std::string file = MakeBmp(bits);
    std::vector<char> target(file.size());
    for (auto _ : state) {
        std::memcpy(target.data(), file.data(), file.size());
        benchmark::DoNotOptimize(target.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}

} // namespace

BENCHMARK_CAPTURE(Decode, bgr24, 24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Copy, bgr24, 24)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Decode, bgra32, 32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Copy, bgra32, 32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
