// A YZ slice (x = 256) of a 512^3 UInt16 volume: one sample of every row.
// The RAW decoder reads it from the file and from memory, directly and as
// the viewer asks for it (slice adapter and data cache); the reference is a
// plain strided copy loop over the volume in memory, as numpy's
// volume[:, :, 256].copy() does, in the same run.
#include "Platform/api/DataCache.h"
#include "Platform/api/VolumeSliceAdapters.h"
#include "RAW/api/RAWDecoder.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::uint64_t kEdge = 512, kSlice = 256;
constexpr RAWEntry kEntry{512, 512, 512, 0, 16};

struct Volume {
    std::vector<std::uint16_t> samples;
    std::string path;
    Volume() : samples(kEdge * kEdge * kEdge)
    {
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = std::uint16_t(i * 2654435761u >> 7);
        const char *tmp = std::getenv("TMPDIR");
        path = std::string(tmp ? tmp : "/tmp") + "/raw-slice-bench-" + std::to_string(std::rand()) + ".raw";
        std::FILE *file = std::fopen(path.c_str(), "wb");
        if (!file || std::fwrite(samples.data(), 2, samples.size(), file) != samples.size() || std::fclose(file))
            std::abort();
    }
    ~Volume() { std::remove(path.c_str()); }
};

Volume &TheVolume()
{
    static Volume volume;
    return volume;
}

void Slice(benchmark::State &state, const SharedPtr<IStream> &stream)
{
    const auto decoder = MakeShared<RAW3DDecoder>(stream, kEntry);
    std::vector<std::uint16_t> slice(kEdge * kEdge);
    for (auto _ : state) {
        decoder->DecodeSlice(SliceOrientation::YZ, kSlice, slice.data(), kEdge, kEdge, nullptr);
        benchmark::DoNotOptimize(slice.data());
    }
    if (slice[kEdge * 3 + 5] != TheVolume().samples[(3 * kEdge + 5) * kEdge + kSlice])
        state.SkipWithError("wrong sample");
}

void DecoderFromFile(benchmark::State &state) { Slice(state, MakeShared<FileStream>(String(TheVolume().path.c_str()))); }

void DecoderFromMemory(benchmark::State &state)
{
    const auto &samples = TheVolume().samples;
    Slice(state, MakeShared<MemoryStream>(samples.data(), samples.size() * 2));
}

// What a slice view does: the adapter's slice decoded into a new image.
void AdapterFromFile(benchmark::State &state)
{
    const auto decoder = MakeShared<RAW3DDecoder>(MakeShared<FileStream>(String(TheVolume().path.c_str())), kEntry);
    const SharedPtr<IDecoder> adapter = MakeVolumeSliceAdapter(DynamicPointerCast<IImage3D>(decoder->Get(0)),
                                                               SliceOrientation::YZ, "bench");
    SharedPtr<Data::Image2DBase> image;
    for (auto _ : state) {
        image = MakeShared<Image2DDataCache>(DynamicPointerCast<IImage2D>(adapter->Get(kSlice)))->GetData();
        benchmark::DoNotOptimize(image.Get());
    }
    const Data::Image2DBase &shown = *image;
    if (shown.LockConst<std::uint16_t>()(5, 3) != TheVolume().samples[(3 * kEdge + 5) * kEdge + kSlice])
        state.SkipWithError("wrong sample");
}

void StridedCopyLoop(benchmark::State &state)
{
    const std::uint16_t *volume = TheVolume().samples.data();
    std::vector<std::uint16_t> slice(kEdge * kEdge);
    for (auto _ : state) {
        for (std::uint64_t z = 0; z < kEdge; ++z)
            for (std::uint64_t y = 0; y < kEdge; ++y)
                slice[z * kEdge + y] = volume[(z * kEdge + y) * kEdge + kSlice];
        benchmark::DoNotOptimize(slice.data());
    }
}

} // namespace

BENCHMARK(StridedCopyLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DecoderFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DecoderFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AdapterFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
