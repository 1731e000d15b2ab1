// One 1920 x 1080 frame of a 6000 x 4000 image through the software renderer,
// for every resampling method at zoom factors (image pixels per screen
// pixel) 3.1, 1, 0.5, 1/3 and 0.25 and rotations 0 and 90 degrees, against a
// plain copy of a frame as the memory-bandwidth reference ("x copy": the
// frame's best time over the copy's). BRINTAVOLEX_BENCH_WORKERS sets the
// renderer's worker threads (default: one per processor, at most 8).

#include "GUI/api/Resampling.h"
#include "Platform/api/Video/Software.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <vector>

using namespace Brintavolex;
using namespace Brintavolex::Platform::Video;
using Mode = GUI::Resampling::EnumResamplingMode;

namespace {

constexpr std::uint32_t ImageWidth = 6000, ImageHeight = 4000, ViewWidth = 1920, ViewHeight = 1080;

struct Scene {
    SharedPtr<Software::SoftwareContext> context = Software::SoftwareContext::Create();
    SharedPtr<Renderer> renderer;
    std::map<Data::ColorType, SharedPtr<Image2D>> textures;
    GUI::Resampling resampling;

    Scene()
    {
        if (const char *workers = std::getenv("BRINTAVOLEX_BENCH_WORKERS"))
            context->SetWorkerCount(unsigned(std::atoi(workers)));
        renderer = context->CreateRenderer(nullptr, RendererOptions{});
        renderer->Resize(ViewWidth, ViewHeight);
        // As a panel paints its view: cleared to transparent black, blending on.
        context->State().clearColor = Data::ColorBGRA<float>{0, 0, 0, 0};
        renderer->EnableBlending();
    }

    SharedPtr<Image2D> Texture(Data::ColorType type)
    {
        auto found = textures.find(type);
        if (found != textures.end())
            return found->second;
        SharedPtr<Data::Image2DBase> image = Data::CreateImage2D(type);
        image->Allocate(ImageWidth, ImageHeight);
        std::mt19937 rng(1);
        Data::DispatchColorType(type, [&](auto tag) {
            using P = typename decltype(tag)::type;
            auto lock = image->Lock<P>();
            for (std::uint32_t y = 0; y < ImageHeight; ++y) {
                P *row = lock.Row(y);
                for (std::uint32_t x = 0; x < ImageWidth; ++x) {
                    const std::uint32_t noise = rng();
                    if constexpr (std::is_same_v<P, Data::ColorBGRA<std::uint8_t>>)
                        row[x] = {std::uint8_t(x), std::uint8_t(y), std::uint8_t(noise), 255};
                    else if constexpr (std::is_same_v<P, std::uint16_t>)
                        row[x] = std::uint16_t((x * 7 + y * 13) ^ (noise & 0xFF));
                    else if constexpr (std::is_same_v<P, float>)
                        row[x] = float((x + y) % 1000) / 1000.0f;
                }
            }
        });
        SharedPtr<Image2D> texture = context->CreateImage2D();
        texture->CreateFromMemory(image, true);
        texture->GenerateMipMap(INT_MAX);
        textures.emplace(type, texture);
        return texture;
    }
};

Scene &TheScene()
{
    static Scene scene;
    return scene;
}

// The floor: writing one frame's bytes.
struct FrameCopy {
    std::vector<std::uint8_t> source = std::vector<std::uint8_t>(std::size_t(ViewWidth) * ViewHeight * 4, 7);
    std::vector<std::uint8_t> target = std::vector<std::uint8_t>(source.size());
    void Run()
    {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
};

// Frames and frame copies take turns in blocks, so that both see the same
// load of a shared machine and each finds its data in cache after the first
// of its block; "x copy" is the ratio of their best times.
void BM_Frame(benchmark::State &state, Data::ColorType type, Mode mode, double zoom, int rotation)
{
    using Clock = std::chrono::steady_clock;
    Scene &scene = TheScene();
    SharedPtr<Image2D> texture = scene.Texture(type);
    FrameCopy copy;
    // The image centred in the view; zoom = image pixels per screen pixel.
    const bool turned = rotation == 90 || rotation == 270;
    const double w = (turned ? ImageHeight : ImageWidth) / zoom, h = (turned ? ImageWidth : ImageHeight) / zoom;
    const RectI32 destination{std::int32_t(ViewWidth / 2 - w / 2), std::int32_t(ViewHeight / 2 - h / 2),
                              std::int32_t(ViewWidth / 2 + w / 2), std::int32_t(ViewHeight / 2 + h / 2)};
    const RectI32 view{0, 0, std::int32_t(ViewWidth), std::int32_t(ViewHeight)};
    constexpr int Block = 6;
    double bestFrame = 1e9, bestCopy = 1e9;
    auto copies = [&] {
        for (int i = 0; i < Block; ++i) {
            const Clock::time_point start = Clock::now();
            copy.Run();
            bestCopy = std::min(bestCopy, std::chrono::duration<double>(Clock::now() - start).count());
        }
    };
    int frames = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        scene.context->SetRenderTarget(scene.renderer);
        scene.renderer->BeginPaint();
        scene.resampling.Paint(SharedPtr<Context>(scene.context), texture, destination, rotation, mode, view);
        scene.renderer->EndPaint();
        benchmark::ClobberMemory();
        const double frame = std::chrono::duration<double>(Clock::now() - start).count();
        bestFrame = std::min(bestFrame, frame);
        state.SetIterationTime(frame);
        if (++frames % Block == 0) {
            state.PauseTiming();
            copies();
            state.ResumeTiming();
        }
    }
    if (frames < Block)
        copies();
    state.counters["best ms"] = bestFrame * 1e3;
    state.counters["x copy"] = bestFrame / bestCopy;
}

void BM_FrameCopyReference(benchmark::State &state)
{
    FrameCopy copy;
    for (auto _ : state)
        copy.Run();
}
BENCHMARK(BM_FrameCopyReference)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

const struct {
    Data::ColorType type;
    const char *name;
} Types[] = {{Data::ColorType::BGRAUInt8, "BGRA8"}, {Data::ColorType::UInt16, "Grey16"}, {Data::ColorType::Float32, "Float32"}};

const int Registered = [] {
    for (const auto &t : Types)
        for (int m = 0; m < 6; ++m)
            for (double zoom : {3.1, 1.0, 1.0 / 2, 1.0 / 3, 0.25})
                for (int rotation : {0, 90}) {
                    std::string mode = GUI::Resampling::ModeText(Mode(m));
                    std::replace(mode.begin(), mode.end(), ' ', '_');
                    const std::string name = std::string("Frame/") + t.name + "/" + mode + "/zoom:" +
                                             std::to_string(zoom).substr(0, 4) + "/rot:" + std::to_string(rotation);
                    benchmark::RegisterBenchmark(name.c_str(), BM_Frame, t.type, Mode(m), zoom, rotation)
                        ->Unit(benchmark::kMillisecond)
                        ->Repetitions(3)
                        ->ReportAggregatesOnly(true)
                        ->MinTime(0.2)
                        ->UseManualTime();
                }
    return 0;
}();

} // namespace

BENCHMARK_MAIN();
