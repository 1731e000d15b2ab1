// The first paint of a decoded 6000 x 4000 photo in the viewer's 800 x 600
// window (headless host, picture fitted, default sampling), split into the
// texture's creation, the mip chain (mip-mapped modes only) and the
// resampling, beside a plain memcpy of the picture in the same run; then the
// paint of a picture the prefetch resampled ahead, and what that cost the worker.
#include "GUI/api/HeadlessWindowPlatform.h"
#include "GUI/api/ResampledPicture.h"
#include "PlanoscopeWidget/api/PlanoscopeControl.h"
#include "Platform/api/String.h"
#include "Platform/api/System.h"
#include "Platform/api/Video/Software.h"
#include "this/src/PlanoscopeMainFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::uint32_t kWidth = 6000, kHeight = 4000;
constexpr int kRuns = 7;
using Pixel = Data::ColorBGRA<std::uint8_t>;

SharedPtr<Data::Image2DBase> Picture(std::uint32_t seed)
{
    auto image = MakeShared<Data::Image2D<Pixel>>();
    image->Allocate(kWidth, kHeight);
    auto lock = image->Lock<Pixel>();
    for (std::uint32_t y = 0; y < kHeight; ++y) {
        Pixel *row = lock.Row(y);
        for (std::uint32_t x = 0; x < kWidth; ++x)
            row[x] = Pixel{std::uint8_t(x * 3 + seed), std::uint8_t(y * 5), std::uint8_t((x ^ y) & 255), 255};
    }
    return image;
}

double Milliseconds(std::int64_t t0)
{
    return double(Platform::PerformanceCounter() - t0) * 1000.0 / double(Platform::PerformanceFrequency());
}

// A writable lock makes the picture forget what a scan found, as a fresh decode has not looked.
void Forget(const SharedPtr<Data::Image2DBase> &picture) { picture->Lock<Pixel>(); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F> double MedianOf(F &&f)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run)
        times.push_back(f(run));
    return Median(times);
}

} // namespace

int main()
{
    const SharedPtr<Data::Image2DBase> pictures[2] = {Picture(0), Picture(1)};
    const std::size_t bytes = std::size_t(kWidth) * kHeight * 4;
    std::vector<std::uint8_t> copy(bytes, 1);
    const double memcpyMs = MedianOf([&](int run) {
        const auto source = pictures[run % 2]->LockConst<Pixel>();
        const std::int64_t t0 = Platform::PerformanceCounter();
        std::memcpy(copy.data(), source.Data(), bytes);
        return Milliseconds(t0);
    });

    const auto context = Platform::Video::Software::SoftwareContext::Create();
    const double textureMs = MedianOf([&](int run) {
        const SharedPtr<Platform::Video::Image2D> texture = context->CreateImage2D();
        Forget(pictures[run % 2]);
        const std::int64_t t0 = Platform::PerformanceCounter();
        texture->CreateFromMemory(pictures[run % 2], false);
        return Milliseconds(t0);
    });
    // What the decode worker leaves known (PrepareDocument).
    const double preparedTextureMs = MedianOf([&](int run) {
        const SharedPtr<Platform::Video::Image2D> texture = context->CreateImage2D();
        pictures[run % 2]->IsOpaque();
        const std::int64_t t0 = Platform::PerformanceCounter();
        texture->CreateFromMemory(pictures[run % 2], false);
        return Milliseconds(t0);
    });
    const double mipMs = MedianOf([&](int run) {
        const SharedPtr<Platform::Video::Image2D> texture = context->CreateImage2D();
        texture->CreateFromMemory(pictures[run % 2], true);
        const std::int64_t t0 = Platform::PerformanceCounter();
        texture->EnsureMipMap();
        return Milliseconds(t0);
    });

    // The viewer's window: each run shows the other picture and paints once.
    const std::filesystem::path settings = std::filesystem::temp_directory_path() / "brintavolex-first-paint-bench";
    std::filesystem::create_directories(settings);
    double paintMs = 0, preparedPaintMs = 0, aheadMs = 0, aheadPaintMs = 0;
    {
        const auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
        PlanoscopeMainFrame frame(platform, FromUTF8(settings.string()));
        frame.Open();
        frame.Host().PaintPanels();
        const auto firstPaint = [&](bool prepared) {
            return MedianOf([&](int run) {
                if (prepared)
                    pictures[run % 2]->IsOpaque();
                else
                    Forget(pictures[run % 2]);
                frame.RootPanel()->ShowImage(pictures[run % 2], "photo.jpg");
                const std::int64_t t0 = Platform::PerformanceCounter();
                frame.Host().PaintPanels();
                return Milliseconds(t0);
            });
        };
        // FNV-1a of the last frame: a faster path must show the same picture.
        const auto frameHash = [&] {
            std::uint64_t hash = 0xcbf29ce484222325u;
            for (std::uint8_t byte : platform->Frames(frame.Host().WindowOf(*frame.RootPanel())).Pixels())
                hash = (hash ^ byte) * 0x100000001b3u;
            return static_cast<unsigned long long>(hash);
        };
        paintMs = firstPaint(false);
        preparedPaintMs = firstPaint(true);
        const unsigned long long paintedHash = frameHash();

        // What the image manager's worker does for a prefetched picture.
        ImageView::Planoscope &view = frame.RootPanel()->View();
        const std::optional<ImageView::FittedPaint> plan = view.FittedPaintPlan();
        std::shared_ptr<const GUI::ResampledPicture> ahead[2];
        aheadMs = MedianOf([&](int run) {
            const std::int64_t t0 = Platform::PerformanceCounter();
            ahead[run % 2] = plan ? GUI::ResampleAhead(pictures[run % 2], plan->Request(kWidth, kHeight, 1)) : nullptr;
            return Milliseconds(t0);
        });
        const unsigned copiedBefore = view.AheadFrames();
        aheadPaintMs = MedianOf([&](int run) {
            frame.RootPanel()->ShowImage(pictures[run % 2], "photo.jpg");
            view.OfferResampled(ahead[run % 2]);
            const std::int64_t t0 = Platform::PerformanceCounter();
            frame.Host().PaintPanels();
            return Milliseconds(t0);
        });
        std::printf("last frame's hash %016llx, resampled ahead %016llx (%u of %d paints copied it)\n", paintedHash,
                    frameHash(), view.AheadFrames() - copiedBefore, kRuns);
        std::printf("window %d x %d, %.2f picture pixels per screen pixel\n", PlanoscopeMainFrame::kWidth,
                    PlanoscopeMainFrame::kHeight, frame.RootPanel()->View().GetZoom());
    }
    std::filesystem::remove_all(settings);

    const auto line = [&](const char *what, double ms) {
        std::printf("%-34s median %7.2f ms  %5.2f x memcpy\n", what, ms, ms / memcpyMs);
    };
    line("memcpy of the picture (ref)", memcpyMs);
    line("texture creation (opacity scan)", textureMs);
    line("texture creation, prepared", preparedTextureMs);
    line("mip chain (mip-mapped modes)", mipMs);
    line("first paint, whole", paintMs);
    line("  of it resampling and the rest", paintMs - textureMs);
    line("first paint, prepared", preparedPaintMs);
    line("resampling ahead (worker)", aheadMs);
    line("first paint, resampled ahead", aheadPaintMs);
    return 0;
}
