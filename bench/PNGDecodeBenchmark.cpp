// Decoding a 6000 x 4000 RGB PNG (zlib's default level) from memory: our
// decoder against bare libpng reading the same bytes with the same
// transformations into one buffer, in the same run. With --write-png PATH
// the program only writes the file, for measuring peak memory with
// "brintavolex-cli time PATH -n 1".
#include "PNG/api/PNGDecoder.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;

// Smooth colours with some noise: compresses about as well as a photo.
std::string MakePng()
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::string file;
    png_set_write_fn(
        png, &file,
        [](png_structp p, png_bytep data, png_size_t length) {
            static_cast<std::string *>(png_get_io_ptr(p))->append(reinterpret_cast<const char *>(data), length);
        },
        nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::mt19937 random(1);
    std::vector<png_byte> row(std::size_t(kWidth) * 3);
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            const unsigned noise = random() & 7;
            row[3 * x] = png_byte(x / 24 + noise);
            row[3 * x + 1] = png_byte(y / 16 + noise);
            row[3 * x + 2] = png_byte((x + y) / 40 + noise);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

const std::string &File()
{
    static const std::string file = MakePng();
    return file;
}

void OurDecoder(benchmark::State &state)
{
    std::vector<Data::ColorBGRA<std::uint8_t>> pixels(std::size_t(kWidth) * kHeight);
    for (auto _ : state) {
        PNGDecoder decoder(MakeShared<MemoryStream>(File().data(), File().size()));
        decoder.Decode(pixels.data(), kWidth, kHeight, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

struct Reader {
    const std::string *file;
    std::size_t position;
};

void BareLibpng(benchmark::State &state)
{
    std::vector<png_byte> pixels(std::size_t(kWidth) * kHeight * 4);
    for (auto _ : state) {
        Reader reader{&File(), 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_read_fn(png, &reader, [](png_structp p, png_bytep data, png_size_t length) {
            auto *r = static_cast<Reader *>(png_get_io_ptr(p));
            std::memcpy(data, r->file->data() + r->position, length);
            r->position += length;
        });
        png_read_info(png, info);
        png_set_expand(png);
        png_set_bgr(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_read_update_info(png, info);
        for (std::uint32_t y = 0; y < kHeight; ++y)
            png_read_row(png, &pixels[std::size_t(y) * kWidth * 4], nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

} // namespace

BENCHMARK(OurDecoder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BareLibpng)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-png") == 0) {
        std::FILE *out = std::fopen(argv[2], "wb");
        const bool written = out && std::fwrite(File().data(), 1, File().size(), out) == File().size();
        return out && std::fclose(out) == 0 && written ? 0 : 1;
    }
    File(); // made once, outside the timed runs
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
