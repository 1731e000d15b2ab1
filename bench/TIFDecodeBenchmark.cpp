// Decoding 6000 x 4000 TIFF files made by libtiff from memory: 8-bit RGB in
// strips of 8 rows and in 256 x 256 tiles, LZW and Deflate with predictor 2,
// PackBits and uncompressed, and 16-bit grey Deflate strips. libtiff reads
// every strip or tile into one buffer (TIFFReadEncodedStrip/Tile); our
// decoder makes BGRA (or 16-bit grey) pixels, once on one worker and once on
// all processors. After the usual table the program prints each case's
// median times and the ratios ours/libtiff.
#include "Platform/api/Threading.h"
#include "TIF/api/TIFDecoder.h"

#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;
constexpr std::uint32_t kStripRows = 8, kTileSize = 256;

struct Case {
    const char *name;
    std::uint16_t compression, predictor;
    bool tiled, grey16;

    unsigned PixelBytes() const { return grey16 ? 2 : 3; }
};

const Case kCases[] = {
    {"lzw_strips", COMPRESSION_LZW, PREDICTOR_HORIZONTAL, false, false},
    {"lzw_tiles", COMPRESSION_LZW, PREDICTOR_HORIZONTAL, true, false},
    {"deflate_strips", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL, false, false},
    {"deflate_tiles", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL, true, false},
    {"packbits_strips", COMPRESSION_PACKBITS, PREDICTOR_NONE, false, false},
    {"packbits_tiles", COMPRESSION_PACKBITS, PREDICTOR_NONE, true, false},
    {"none_strips", COMPRESSION_NONE, PREDICTOR_NONE, false, false},
    {"none_tiles", COMPRESSION_NONE, PREDICTOR_NONE, true, false},
    {"grey16_deflate_strips", COMPRESSION_ADOBE_DEFLATE, PREDICTOR_HORIZONTAL, false, true},
};

// Smooth shapes, texture and sensor-like noise, as the JPEG benchmark's.
const std::vector<std::uint8_t> &Rgb()
{
    static const std::vector<std::uint8_t> rgb = [] {
        std::vector<std::uint8_t> p(std::size_t(kWidth) * kHeight * 3);
        std::mt19937 random(3);
        for (std::uint32_t y = 0; y < kHeight; ++y)
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                std::uint8_t *o = &p[(std::size_t(y) * kWidth + x) * 3];
                const int noise = int(random() % 9) - 4;
                const int texture = ((x / 7 + y / 5) % 13) * 3;
                o[0] = std::uint8_t(std::clamp(int(x * 200 / kWidth) + texture + noise, 0, 255));
                o[1] = std::uint8_t(std::clamp(int(y * 180 / kHeight) + int((x * y) >> 14) % 40 + noise, 0, 255));
                o[2] = std::uint8_t(std::clamp(128 + int((x ^ y) % 61) - 30 + noise, 0, 255));
            }
        return p;
    }();
    return rgb;
}

// 16-bit samples in this machine's byte order, as libtiff writes them.
const std::vector<std::uint8_t> &Grey16()
{
    static const std::vector<std::uint8_t> grey = [] {
        std::vector<std::uint8_t> p(std::size_t(kWidth) * kHeight * 2);
        std::mt19937 random(5);
        for (std::uint32_t y = 0; y < kHeight; ++y)
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                const int noise = int(random() % 513) - 256;
                const int texture = ((x / 7 + y / 5) % 13) * 700;
                const auto v = std::uint16_t(std::clamp(
                    int(std::uint64_t(x) * 40000 / kWidth + y * 15000 / kHeight) + texture + noise, 0, 65535));
                std::memcpy(&p[(std::size_t(y) * kWidth + x) * 2], &v, 2);
            }
        return p;
    }();
    return grey;
}

// A file in memory for libtiff's client I/O.
struct MemoryFile {
    std::string *bytes;
    std::uint64_t position = 0;
};

tmsize_t ReadProc(thandle_t h, void *buffer, tmsize_t size)
{
    auto &f = *static_cast<MemoryFile *>(h);
    const std::uint64_t n = std::min<std::uint64_t>(
        std::uint64_t(size), f.bytes->size() - std::min<std::uint64_t>(f.position, f.bytes->size()));
    std::memcpy(buffer, f.bytes->data() + f.position, n);
    f.position += n;
    return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t h, void *buffer, tmsize_t size)
{
    auto &f = *static_cast<MemoryFile *>(h);
    if (f.bytes->size() < f.position + std::uint64_t(size))
        f.bytes->resize(f.position + std::uint64_t(size));
    std::memcpy(f.bytes->data() + f.position, buffer, std::size_t(size));
    f.position += std::uint64_t(size);
    return size;
}

toff_t SeekProc(thandle_t h, toff_t offset, int whence)
{
    auto &f = *static_cast<MemoryFile *>(h);
    f.position = whence == SEEK_SET ? offset : whence == SEEK_CUR ? f.position + offset : f.bytes->size() + offset;
    return f.position;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<MemoryFile *>(h)->bytes->size(); }

// Reading maps the bytes: libtiff then decodes straight from them.
int MapProc(thandle_t h, void **base, toff_t *size)
{
    auto &f = *static_cast<MemoryFile *>(h);
    *base = f.bytes->data();
    *size = f.bytes->size();
    return 1;
}

void UnmapProc(thandle_t, void *, toff_t) {}

TIFF *Open(MemoryFile &file, const char *mode)
{
    return TIFFClientOpen("memory", mode, &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                          UnmapProc);
}

std::string MakeTiff(const Case &c)
{
    std::string bytes;
    MemoryFile file{&bytes};
    TIFF *tif = Open(file, "w");
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, c.grey16 ? 16 : 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, c.grey16 ? 1 : 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, c.grey16 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, c.compression);
    if (c.predictor != PREDICTOR_NONE)
        TIFFSetField(tif, TIFFTAG_PREDICTOR, c.predictor);
    const std::vector<std::uint8_t> &pixels = c.grey16 ? Grey16() : Rgb();
    const std::size_t rowBytes = std::size_t(kWidth) * c.PixelBytes();
    if (!c.tiled) {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, kStripRows);
        for (std::uint32_t y = 0; y < kHeight; y += kStripRows) {
            const std::uint32_t rows = std::min(kStripRows, kHeight - y);
            TIFFWriteEncodedStrip(tif, y / kStripRows, const_cast<std::uint8_t *>(&pixels[y * rowBytes]),
                                  tmsize_t(rows * rowBytes));
        }
    } else {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, kTileSize);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, kTileSize);
        const std::size_t tileRowBytes = std::size_t(kTileSize) * c.PixelBytes();
        std::vector<std::uint8_t> tile(tileRowBytes * kTileSize);
        for (std::uint32_t y = 0; y < kHeight; y += kTileSize)
            for (std::uint32_t x = 0; x < kWidth; x += kTileSize) {
                std::fill(tile.begin(), tile.end(), 0); // beyond the picture's edges
                const std::size_t bytes = std::size_t(std::min(kTileSize, kWidth - x)) * c.PixelBytes();
                for (std::uint32_t r = 0; r < kTileSize && y + r < kHeight; ++r)
                    std::memcpy(&tile[r * tileRowBytes], &pixels[(y + r) * rowBytes + x * c.PixelBytes()], bytes);
                TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, 0), tile.data(), tmsize_t(tile.size()));
            }
    }
    TIFFClose(tif);
    return bytes;
}

const std::string &File(const Case &c)
{
    static std::map<const Case *, std::string> files;
    auto &file = files[&c];
    if (file.empty())
        file = MakeTiff(c);
    return file;
}

void Libtiff(benchmark::State &state, const Case *c)
{
    const std::string &bytes = File(*c);
    // Every strip or tile at its full size, one after the other.
    auto open = [&](MemoryFile &file, std::uint32_t &chunks, std::size_t &chunkBytes) {
        TIFF *tif = Open(file, "r");
        chunks = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
        chunkBytes = std::size_t(TIFFIsTiled(tif) ? TIFFTileSize(tif) : TIFFStripSize(tif));
        return tif;
    };
    std::uint32_t chunks = 0;
    std::size_t chunkBytes = 0;
    MemoryFile first{const_cast<std::string *>(&bytes)};
    TIFFClose(open(first, chunks, chunkBytes));
    std::vector<std::uint8_t> out(chunks * chunkBytes);
    for (auto _ : state) {
        MemoryFile file{const_cast<std::string *>(&bytes)};
        TIFF *tif = open(file, chunks, chunkBytes);
        const bool tiled = TIFFIsTiled(tif);
        for (std::uint32_t i = 0; i < chunks; ++i) {
            std::uint8_t *to = out.data() + i * chunkBytes;
            if ((tiled ? TIFFReadEncodedTile(tif, i, to, -1) : TIFFReadEncodedStrip(tif, i, to, -1)) < 0)
                state.SkipWithError("libtiff failed");
        }
        TIFFClose(tif);
        benchmark::DoNotOptimize(out.data());
    }
}

// Whether the decoded pixels are the picture that was written.
bool Matches(const Case &c, const std::vector<std::uint8_t> &decoded)
{
    if (c.grey16)
        return decoded == Grey16();
    const std::vector<std::uint8_t> &rgb = Rgb();
    for (std::size_t i = 0; i < std::size_t(kWidth) * kHeight; ++i) {
        const std::uint8_t *bgra = &decoded[i * 4], *source = &rgb[i * 3];
        if (bgra[0] != source[2] || bgra[1] != source[1] || bgra[2] != source[0] || bgra[3] != 255)
            return false;
    }
    return true;
}

// processors 0: the system's count.
void Ours(benchmark::State &state, const Case *c, unsigned processors)
{
    const std::string &bytes = File(*c);
    std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight * (c->grey16 ? 2 : 4));
    ParallelLoop::SetProcessorCount(processors);
    for (auto _ : state) {
        TIFDecoder decoder(MakeShared<MemoryStream>(bytes.data(), bytes.size()));
        decoder.Decode(0, pixels.data(), kWidth, kHeight, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    ParallelLoop::SetProcessorCount(0);
    if (!Matches(*c, pixels))
        state.SkipWithError("our pixels differ from the picture");
}

// The console table, then per case the medians of the repetitions and the
// ratios ours/libtiff: of the real time, and for one worker also of the
// processor time, which other work on the machine disturbs less.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                _real[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
                _cpu[run.run_name.function_name].push_back(run.GetAdjustedCPUTime());
            }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-22s %8s %8s %6s %8s %6s | %8s %8s %6s\n", "median ms (real)", "libtiff", "ours 1", "ratio",
                    "ours all", "ratio", "cpu: lib", "ours 1", "ratio");
        for (const Case &c : kCases) {
            const std::string name = c.name;
            const double reference = Median(_real["libtiff/" + name]), one = Median(_real["ours_1/" + name]),
                         all = Median(_real["ours_all/" + name]);
            const double cpuReference = Median(_cpu["libtiff/" + name]), cpuOne = Median(_cpu["ours_1/" + name]);
            if (reference > 0 && cpuReference > 0)
                std::printf("%-22s %8.1f %8.1f %6.2f %8.1f %6.2f | %8.1f %8.1f %6.2f\n", c.name, reference, one,
                            one / reference, all, all / reference, cpuReference, cpuOne, cpuOne / cpuReference);
        }
    }

private:
    static double Median(std::vector<double> t)
    {
        if (t.empty())
            return 0;
        std::sort(t.begin(), t.end());
        return t.size() % 2 ? t[t.size() / 2] : (t[t.size() / 2 - 1] + t[t.size() / 2]) / 2;
    }

    std::map<std::string, std::vector<double>> _real, _cpu;
};

} // namespace

int main(int argc, char **argv)
{
    TIFFSetWarningHandler(nullptr);
    for (const Case &c : kCases) {
        const std::string name = c.name;
        benchmark::RegisterBenchmark(("libtiff/" + name).c_str(), Libtiff, &c)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("ours_1/" + name).c_str(), Ours, &c, 1u)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("ours_all/" + name).c_str(), Ours, &c, 0u)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
