// Decoding GIFs from memory: a 1000 x 1000 picture of 256 colours and a
// 200-frame 500 x 500 animation (each frame a full image that leaves the
// unchanged pixels transparent), every frame in order, our decoder against
// giflib (DGifSlurp, then a plain composition loop onto one BGRA canvas) in
// the same run; and our step to the next frame of the animation, which is
// to cost at most 1/100 of decoding all frames from the start. The viewer's
// step during playback (select the next frame, decode it on the loader's
// worker, hand it to the GUI thread) is set beside giflib's cost per frame
// of the same animation (Giflib/animation divided by its 200 frames).
#include "GIF/api/GIFDecoder.h"
#include "this/src/FrameLoader.h"
#include "WaitingPoster.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <string>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr int kPictureSize = 1000;
constexpr int kScreenSize = 500;
constexpr int kFrames = 200;
constexpr int kTransparent = 0;

int Write(GifFileType *gif, const GifByteType *bytes, int count)
{
    static_cast<std::string *>(gif->UserData)->append(reinterpret_cast<const char *>(bytes), std::size_t(count));
    return count;
}

ColorMapObject *Palette(std::mt19937 &random)
{
    ColorMapObject *map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; ++i)
        map->Colors[i] = GifColorType{GifByteType(random()), GifByteType(i), GifByteType(255 - i)};
    return map;
}

// frames of size x size indices; from the second on each leaves what did not
// change transparent.
std::string Encode(const std::vector<std::vector<GifByteType>> &frames, int size)
{
    std::string file;
    int error = 0;
    GifFileType *gif = EGifOpen(&file, Write, &error);
    std::mt19937 random(7);
    ColorMapObject *map = Palette(random);
    EGifPutScreenDesc(gif, size, size, 8, 0, map);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        if (frames.size() > 1) {
            GraphicsControlBlock control{DISPOSE_DO_NOT, false, 4, f ? kTransparent : NO_TRANSPARENT_COLOR};
            GifByteType extension[4];
            const std::size_t length = EGifGCBToExtension(&control, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension);
        }
        EGifPutImageDesc(gif, 0, 0, size, size, false, nullptr);
        for (int y = 0; y < size; ++y)
            EGifPutLine(gif, const_cast<GifByteType *>(&frames[f][std::size_t(y) * size]), size);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return file;
}

// Smooth ramps with a little noise, as a dithered photo gives.
const std::string &Picture()
{
    static const std::string file = [] {
        std::mt19937 random(3);
        std::vector<GifByteType> indices(std::size_t(kPictureSize) * kPictureSize);
        for (int y = 0; y < kPictureSize; ++y)
            for (int x = 0; x < kPictureSize; ++x)
                indices[std::size_t(y) * kPictureSize + x] = GifByteType((x / 4 + y / 3 + int(random() % 5)) & 255);
        return Encode({indices}, kPictureSize);
    }();
    return file;
}

// A ramp with a disc and a band that move; the rest stays.
const std::string &Animation()
{
    static const std::string file = [] {
        std::mt19937 random(5);
        std::vector<std::vector<GifByteType>> frames;
        std::vector<GifByteType> shown(std::size_t(kScreenSize) * kScreenSize);
        for (int f = 0; f < kFrames; ++f) {
            std::vector<GifByteType> frame(shown.size());
            const int cx = 60 + f * 2, cy = 250 + (f % 50) * 3 - 75;
            for (int y = 0; y < kScreenSize; ++y)
                for (int x = 0; x < kScreenSize; ++x) {
                    const bool disc = (x - cx) * (x - cx) + (y - cy) * (y - cy) < 80 * 80;
                    const bool band = (y + f * 5) % 200 < 40;
                    int value = 1 + (x + y) / 4 % 200;
                    if (disc)
                        value = 201 + int(random() % 50);
                    else if (band)
                        value = 1 + (x / 2 + f) % 250;
                    GifByteType &old = shown[std::size_t(y) * kScreenSize + x];
                    frame[std::size_t(y) * kScreenSize + x] = f && old == value ? kTransparent : GifByteType(value);
                    old = GifByteType(value);
                }
            frames.push_back(frame);
        }
        return Encode(frames, kScreenSize);
    }();
    return file;
}

void Ours(benchmark::State &state, const std::string &file, int frames, int size)
{
    std::vector<Data::ColorBGRA<std::uint8_t>> pixels(std::size_t(size) * size);
    for (auto _ : state) {
        auto decoder = MakeShared<GIFDecoder>(MakeShared<MemoryStream>(file.data(), file.size()));
        for (int f = 0; f < frames; ++f) {
            decoder->Decode(std::uint64_t(f), pixels.data(), std::uint64_t(size), std::uint64_t(size), nullptr);
            benchmark::DoNotOptimize(pixels.data());
        }
    }
}

struct Reader {
    const std::string *file;
    std::size_t at = 0;
};

int Read(GifFileType *gif, GifByteType *bytes, int count)
{
    auto *reader = static_cast<Reader *>(gif->UserData);
    const std::size_t n = std::min(std::size_t(count), reader->file->size() - reader->at);
    std::memcpy(bytes, reader->file->data() + reader->at, n);
    reader->at += n;
    return int(n);
}

// Each frame composed onto the canvas in turn, as a player shows them.
void Giflib(benchmark::State &state, const std::string &file, int, int size)
{
    std::vector<std::uint32_t> canvas(std::size_t(size) * size), saved;
    for (auto _ : state) {
        Reader reader{&file};
        int error = 0;
        GifFileType *gif = DGifOpen(&reader, Read, &error);
        DGifSlurp(gif);
        std::fill(canvas.begin(), canvas.end(), 0u);
        for (int f = 0; f < gif->ImageCount; ++f) {
            const SavedImage &image = gif->SavedImages[f];
            const GifImageDesc &d = image.ImageDesc;
            GraphicsControlBlock control{DISPOSE_DO_NOT, false, 0, NO_TRANSPARENT_COLOR};
            DGifSavedExtensionToGCB(gif, f, &control);
            const ColorMapObject *map = d.ColorMap ? d.ColorMap : gif->SColorMap;
            std::uint32_t colours[256] = {};
            for (int i = 0; i < map->ColorCount; ++i)
                colours[i] = 0xFF000000u | std::uint32_t(map->Colors[i].Red) << 16 |
                             std::uint32_t(map->Colors[i].Green) << 8 | map->Colors[i].Blue;
            if (control.TransparentColor >= 0)
                colours[control.TransparentColor] = 0;
            const int right = std::min(d.Left + d.Width, size), bottom = std::min(d.Top + d.Height, size);
            if (control.DisposalMode == DISPOSE_PREVIOUS)
                saved = canvas;
            for (int y = d.Top; y < bottom; ++y)
                for (int x = d.Left; x < right; ++x)
                    if (const std::uint32_t c = colours[image.RasterBits[(y - d.Top) * d.Width + (x - d.Left)]])
                        canvas[std::size_t(y) * size + x] = c;
            benchmark::DoNotOptimize(canvas.data());
            if (control.DisposalMode == DISPOSE_BACKGROUND)
                for (int y = d.Top; y < bottom; ++y)
                    std::fill(&canvas[std::size_t(y) * size + d.Left], &canvas[std::size_t(y) * size + right], 0u);
            else if (control.DisposalMode == DISPOSE_PREVIOUS)
                canvas = saved;
        }
        DGifCloseFile(gif, &error);
    }
}

// One frame after the one before: the composer goes on from there.
void OursNextFrame(benchmark::State &state)
{
    const std::string &file = Animation();
    std::vector<Data::ColorBGRA<std::uint8_t>> pixels(std::size_t(kScreenSize) * kScreenSize);
    auto decoder = MakeShared<GIFDecoder>(MakeShared<MemoryStream>(file.data(), file.size()));
    std::uint64_t frame = 0;
    decoder->Decode(frame, pixels.data(), kScreenSize, kScreenSize, nullptr);
    for (auto _ : state) {
        // Frame 0 after the last one starts over: one image as well.
        frame = (frame + 1) % kFrames;
        decoder->Decode(frame, pixels.data(), kScreenSize, kScreenSize, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

using Bench::WaitingPoster;

// The viewer's step to the next frame while an animation plays.
void ViewerNextFrame(benchmark::State &state)
{
    const std::string &file = Animation();
    auto decoder = MakeShared<GIFDecoder>(MakeShared<MemoryStream>(file.data(), file.size()));
    auto poster = MakeShared<WaitingPoster>();
    std::uint64_t shown = 0;
    FrameLoader loader(decoder, poster, [&](std::uint64_t index, const BackgroundDecode::Outcome &outcome, std::uint16_t) {
        if (!outcome.image)
            throw std::runtime_error(outcome.error.ToStdString());
        shown = index;
    });
    std::uint64_t frame = 0;
    loader.Request(frame);
    poster->RunNext();
    for (auto _ : state) {
        frame = (frame + 1) % kFrames;
        loader.Request(frame);
        poster->RunNext();
        benchmark::DoNotOptimize(shown);
    }
}

} // namespace

BENCHMARK(ViewerNextFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, picture, Picture(), 1, kPictureSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Giflib, picture, Picture(), 1, kPictureSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, animation, Animation(), kFrames, kScreenSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Giflib, animation, Animation(), kFrames, kScreenSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OursNextFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
