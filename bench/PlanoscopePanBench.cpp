// Panning a 24 MP picture across a 1920 x 1080 view with Cubic sampling: the
// view shifts its last frame and draws only the uncovered strips. Reports the
// median and the worst frame time, beside whole frames drawn every time.
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "Platform/api/System.h"
#include "Platform/api/Video/Software.h"
#include "PlanoscopeWidget/api/PlanoscopeControl.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Brintavolex;

namespace {

SharedPtr<Data::Image2DBase> Picture()
{
    using Pixel = Data::ColorBGRA<std::uint8_t>;
    auto image = MakeShared<Data::Image2D<Pixel>>();
    image->Allocate(6000, 4000);
    auto lock = image->Lock<Pixel>();
    for (std::uint32_t y = 0; y < 4000; ++y) {
        Pixel *row = lock.Row(y);
        for (std::uint32_t x = 0; x < 6000; ++x)
            row[x] = Pixel{std::uint8_t(x * 3), std::uint8_t(y * 5), std::uint8_t((x ^ y) & 255), 255};
    }
    return image;
}

void Run(const char *name, bool reuse, const SharedPtr<Data::Image2DBase> &picture)
{
    auto context = Platform::Video::Software::SoftwareContext::Create();
    GUI::GUI gui;
    gui.SetContext(context);
    auto panel = MakeShared<GUI::Panel>();
    panel->SetRect(0, 0, 1920, 1080);
    gui.SetRootPanel(panel);
    ImageView::Planoscope view;
    panel->Add(view);
    view.SetRect(0, 0, 1920, 1080);
    const auto cubic = Resampling::EnumResamplingMode::Cubic;
    view.SetResamplingModes(cubic, cubic, cubic);
    view.EnableFrameReuse(reuse);
    view.SetImage(picture);
    view.SetZoom(0.8);
    view.SetPan({-1500, -800});
    gui.PaintPanels();
    std::vector<double> times;
    for (int frame = 0; frame < 120; ++frame) {
        const ImageView::Vec2 pan = view.GetPan();
        view.SetPan({pan.x + 20 * view.GetZoom(), pan.y + 11 * view.GetZoom()});
        const std::int64_t t0 = Platform::PerformanceCounter();
        gui.PaintPanels();
        times.push_back(double(Platform::PerformanceCounter() - t0) * 1000.0 / double(Platform::PerformanceFrequency()));
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s median %7.2f ms, worst %7.2f ms (%u reused, %u whole frames)\n", name, times[times.size() / 2],
                times.back(), view.ReusedFrames(), view.FullFrames());
    gui.DeleteContextObjects();
}

} // namespace

int main()
{
    const SharedPtr<Data::Image2DBase> picture = Picture();
    Run("pan, Cubic, strips", true, picture);
    Run("pan, Cubic, whole frames", false, picture);
    return 0;
}
