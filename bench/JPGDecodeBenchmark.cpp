// Decoding a 6000 x 4000 photo-like JPEG (quality 90, 4:2:0), baseline and
// progressive, from memory: our decoder with its workers against
// libjpeg-turbo (integer transform, no fancy upsampling, BGRA output, one
// thread) in the same run. With --write-jpeg PATH [progressive] the program
// only writes the file, for measuring peak memory with
// "brintavolex-cli time PATH -n 1".
#include "JPG/api/JPGDecoder.h"
#include "SyntheticPhoto.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <string>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;

const std::string &File(bool progressive)
{
    static const std::string files[2] = {Bench::MakePhotoJpeg(kWidth, kHeight, false),
                                         Bench::MakePhotoJpeg(kWidth, kHeight, true)};
    return files[progressive];
}

void Ours(benchmark::State &state, bool progressive)
{
    const std::string &file = File(progressive);
    std::vector<Data::ColorBGRA<std::uint8_t>> pixels(std::size_t(kWidth) * kHeight);
    for (auto _ : state) {
        JPGDecoder decoder(MakeShared<MemoryStream>(file.data(), file.size()));
        decoder.Decode(pixels.data(), kWidth, kHeight, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void LibjpegTurbo(benchmark::State &state, bool progressive)
{
    const std::string &file = File(progressive);
    std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight * 4);
    for (auto _ : state) {
        jpeg_decompress_struct d{};
        jpeg_error_mgr error{};
        d.err = jpeg_std_error(&error);
        jpeg_create_decompress(&d);
        jpeg_mem_src(&d, reinterpret_cast<const unsigned char *>(file.data()), file.size());
        jpeg_read_header(&d, TRUE);
        d.dct_method = JDCT_ISLOW;
        d.do_fancy_upsampling = FALSE;
        d.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&d);
        while (d.output_scanline < d.output_height) {
            JSAMPROW row = &pixels[std::size_t(d.output_scanline) * kWidth * 4];
            jpeg_read_scanlines(&d, &row, 1);
        }
        jpeg_finish_decompress(&d);
        jpeg_destroy_decompress(&d);
        benchmark::DoNotOptimize(pixels.data());
    }
}

} // namespace

BENCHMARK_CAPTURE(Ours, baseline, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(LibjpegTurbo, baseline, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, progressive, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(LibjpegTurbo, progressive, true)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--write-jpeg") == 0) {
        const std::string &file = File(argc > 3);
        std::FILE *out = std::fopen(argv[2], "wb");
        const bool written = out && std::fwrite(file.data(), 1, file.size(), out) == file.size();
        return out && std::fclose(out) == 0 && written ? 0 : 1;
    }
    File(false); // made once, outside the timed runs
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
