// The first frame of a 24 MP picture at 1920 x 1080: the 2D viewer with its
// toolbar and the histogram panel (which counts the picture) against the bare
// view in a panel of the same size, both in this run. Reports the medians of
// several first frames and their ratio.
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "Platform/api/System.h"
#include "Platform/api/Video/Software.h"
#include "PlanoscopeWidget/api/PlanoscopeControlList.h"

#include <algorithm>
#include <memory>
#include <cstdio>
#include <vector>

using namespace Brintavolex;

namespace {

constexpr std::int32_t kWidth = 1920, kHeight = 1080;
constexpr int kRuns = 7;

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

double Milliseconds(std::int64_t t0)
{
    return double(Platform::PerformanceCounter() - t0) * 1000.0 / double(Platform::PerformanceFrequency());
}

// Builds the window's content, shows the picture fitted and paints once.
template <class Make> double FirstFrame(const SharedPtr<Data::Image2DBase> &picture, Make make)
{
    GUI::GUI gui;
    gui.SetContext(Platform::Video::Software::SoftwareContext::Create());
    auto panel = MakeShared<GUI::Panel>();
    panel->SetRect(0, 0, kWidth, kHeight);
    gui.SetRootPanel(panel);
    const std::int64_t t0 = Platform::PerformanceCounter();
    // Declared after the panel: it leaves the panel before the panel goes.
    const std::unique_ptr<GUI::Control> content = make(*panel, picture);
    gui.PaintPanels();
    const double ms = Milliseconds(t0);
    gui.DeleteContextObjects();
    return ms;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main()
{
    const SharedPtr<Data::Image2DBase> picture = Picture();
    std::vector<double> bare, composite;
    for (int run = 0; run < kRuns; ++run) {
        bare.push_back(FirstFrame(picture, [](GUI::Panel &panel, const SharedPtr<Data::Image2DBase> &image) {
            auto view = std::make_unique<ImageView::Planoscope>();
            panel.Add(*view);
            view->SetRect(0, 0, kWidth, kHeight);
            view->SetImage(image);
            view->FitToWindow();
            return std::unique_ptr<GUI::Control>(std::move(view));
        }));
        composite.push_back(FirstFrame(picture, [](GUI::Panel &panel, const SharedPtr<Data::Image2DBase> &image) {
            auto viewer = std::make_unique<ImageView::PlanoscopeControlList>();
            viewer->Settings().histogram.Set(true);
            panel.Add(*viewer);
            viewer->SetRect(0, 0, kWidth, kHeight);
            viewer->SetImage(image);
            viewer->View().FitToWindow();
            return std::unique_ptr<GUI::Control>(std::move(viewer));
        }));
    }
    const double b = Median(bare), c = Median(composite);
    std::printf("bare view first frame       median %7.2f ms\n", b);
    std::printf("composite + histogram       median %7.2f ms\n", c);
    std::printf("ratio composite / bare      %.2f (goal <= 1.5)\n", c / b);
    return 0;
}
