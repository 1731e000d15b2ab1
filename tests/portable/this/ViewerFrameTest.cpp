// The viewer role's window on the headless host: its first frame against the
// checked-in one, drawn natively (glyphs from FreeType). Under Wine the
// glyphs come from GDI: there every pixel outside the title text must still
// match exactly.
#include "Data/api/Image2D.h"
#include "Data/api/PngEncoder.h"
#include "GUI/api/HeadlessWindowPlatform.h"
#include "support/TempFolder.h"
#include "support/TestData.h"
#include "this/src/ApplicationTexts.h"
#include "this/src/PlanoscopeMainFrame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <algorithm>
#include <fstream>

namespace Brintavolex {
namespace {

namespace M = GUI::WindowMessages;

constexpr const char *kGolden = "gui/viewer-frame.png";

[[maybe_unused]] std::string Png(const Platform::Video::MemoryRenderWindow &window)
{
    std::vector<std::uint8_t> pixels = window.Pixels();
    return Data::EncodePng(*Data::CreateExternalBufferImage2D(pixels.data(), Data::ColorType::BGRAUInt8, window.Width(),
                                                              window.Height(), window.Width(), window.Height()));
}

} // namespace

TEST(PlanoscopeMainFrame, OpensCentredAndDrawsItsFirstFrameAsCheckedIn)
{
    auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
    const TestSupport::TempFolder settings;
    PlanoscopeMainFrame viewer(platform, TestSupport::PathString(settings.Path()));
    viewer.Open();
    // As a copy that was never installed starts.
    viewer.RootPanel()->ShowNotice(ApplicationTexts::RunningPortably);
    viewer.Host().HandleGUIMessages();
    const GUI::WindowHandle window = viewer.Host().WindowOf(*viewer.RootPanel());
    ASSERT_NE(window, 0u);
    // The primary monitor of the headless host is 1280 x 1024.
    EXPECT_EQ(platform->Window(window)->rect, (GUI::Rect{240, 212, 1040, 812}));
    EXPECT_EQ(platform->Window(window)->title.ToStdString(), "Brintavolex Viewer");
    const auto &frames = platform->Frames(window);
    ASSERT_EQ(frames.Width(), 800u);
    ASSERT_EQ(frames.Height(), 600u);
    const std::uint32_t width = frames.Width(), height = frames.Height();
    const std::uint8_t *bgra = frames.Pixels().data();

    const std::string path = TestSupport::TestDataPath(kGolden);
#ifndef _WIN32
    if (TestSupport::UpdateGoldenFiles()) {
        std::ofstream(path, std::ios::binary) << Png(frames);
        GTEST_SKIP() << "rewrote " << path;
    }
#endif
    const TestSupport::RgbaPicture golden = TestSupport::ReadPng(TestSupport::ReadBytes(TestSupport::PathString(path)));
    ASSERT_EQ(golden.width, width);
    ASSERT_EQ(golden.height, height);
    const std::int32_t titleHeight = viewer.RootPanel()->TitleHeight();
    std::uint32_t x0 = width, y0 = height, x1 = 0, y1 = 0, differing = 0;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t *g = golden.At(x, y), *p = bgra + (std::size_t(y) * width + x) * 4;
            if (g[0] != p[2] || g[1] != p[1] || g[2] != p[0] || g[3] != p[3]) {
                ++differing;
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
            }
        }
#ifdef _WIN32
    // Other glyphs, same everything else: differences only in the title text
    // and the texts of the toolbar's lists.
    static_cast<void>(differing);
    ImageView::PlanoscopeControlList &composite = viewer.RootPanel()->Viewer();
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t *g = golden.At(x, y), *p = bgra + (std::size_t(y) * width + x) * 4;
            if (g[0] == p[2] && g[1] == p[1] && g[2] == p[0] && g[3] == p[3])
                continue;
            const bool inText = (y < std::uint32_t(titleHeight) && x < 400u) ||
                                composite.ZoomList().GetRect().Contains(std::int32_t(x), std::int32_t(y)) ||
                                composite.SamplingList().GetRect().Contains(std::int32_t(x), std::int32_t(y)) ||
                                composite.RotationList().GetRect().Contains(std::int32_t(x), std::int32_t(y)) ||
                                viewer.RootPanel()->SlideshowSpeedList().GetRect().Contains(std::int32_t(x),
                                                                                           std::int32_t(y)) ||
                                viewer.RootPanel()->NoticeRect().Contains(std::int32_t(x), std::int32_t(y));
            EXPECT_TRUE(inText) << "pixel (" << x << ", " << y << ") differs outside the texts";
            if (!inText)
                break;
        }
#else
    EXPECT_EQ(differing, 0u) << "in (" << x0 << ", " << y0 << ") - (" << x1 << ", " << y1 << ")";
#endif
    // The title text is there: bright pixels on the dark title line.
    unsigned bright = 0;
    for (std::int32_t y = 0; y < titleHeight; ++y)
        for (std::uint32_t x = 0; x < 300; ++x)
            bright += bgra[(std::size_t(y) * width + x) * 4 + 2] > 200;
    EXPECT_GT(bright, 40u);

    // Escape on the root panel closes the window and ends the run with 0.
    platform->InjectKey(window, M::KeyDown, 27);
    platform->InjectKey(window, M::KeyUp, 27);
    EXPECT_EQ(viewer.Run(), 0);
    EXPECT_TRUE(platform->Windows().empty());
}

} // namespace Brintavolex

namespace Brintavolex {

// A toggle clicked in one run is in the settings file and shows in the next.
TEST(PlanoscopeMainFrame, ToolbarTogglesAreSavedAndRestoredByTheNextRun)
{
    const TestSupport::TempFolder settings;
    {
        auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
        PlanoscopeMainFrame viewer(platform, TestSupport::PathString(settings.Path()));
        viewer.Open();
        ImageView::PlanoscopeControlList &composite = viewer.RootPanel()->Viewer();
        EXPECT_FALSE(composite.HistogramButton().IsActive());
        for (GUI::Button *button : {static_cast<GUI::Button *>(&composite.HistogramButton()),
                                    static_cast<GUI::Button *>(&composite.ValuesButton())}) {
            const GUI::Rect r = button->GetRect(), panel = viewer.RootPanel()->GetRect();
            viewer.Host().OnMouseMove(panel.x0 + (r.x0 + r.x1) / 2, panel.y0 + (r.y0 + r.y1) / 2);
            viewer.Host().OnMouseLButtonDown();
            viewer.Host().OnMouseLButtonUp();
        }
        EXPECT_TRUE(composite.HistogramSidePanel().IsVisible());
        EXPECT_FALSE(composite.View().AreRGBValuesShown());
    }
    auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
    PlanoscopeMainFrame viewer(platform, TestSupport::PathString(settings.Path()));
    viewer.Open();
    ImageView::PlanoscopeControlList &composite = viewer.RootPanel()->Viewer();
    EXPECT_TRUE(composite.HistogramButton().IsActive());
    EXPECT_TRUE(composite.HistogramSidePanel().IsVisible());
    EXPECT_FALSE(composite.ValuesButton().IsActive());
    EXPECT_FALSE(composite.BrightnessContrastSidePanel().IsVisible());
    // Escape closes the panel first (and saves that), the window only then.
    const GUI::WindowHandle window = viewer.Host().WindowOf(*viewer.RootPanel());
    platform->InjectKey(window, GUI::WindowMessages::KeyDown, 27);
    platform->InjectKey(window, GUI::WindowMessages::KeyUp, 27);
    viewer.Host().ProcessPendingMessages();
    EXPECT_FALSE(composite.HistogramSidePanel().IsVisible());
    EXPECT_FALSE(viewer.Settings().viewer2D.histogram.Get());
    EXPECT_FALSE(platform->Windows().empty());
}

// Ctrl+H shows the opened file's headers in a window of their own; H alone
// does nothing, Ctrl+H again closes it.
TEST(PlanoscopeMainFrame, CtrlHShowsAndHidesTheHeaders)
{
    const TestSupport::TempFolder settings;
    auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
    PlanoscopeMainFrame viewer(platform, TestSupport::PathString(settings.Path()));
    viewer.Open();
    viewer.OpenFile(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"));
    for (int i = 0; i < 1000 && viewer.RootPanel()->IsLoading(); ++i) {
        viewer.Host().ProcessPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const GUI::WindowHandle window = viewer.Host().WindowOf(*viewer.RootPanel());
    const auto pressH = [&] {
        platform->InjectKey(window, GUI::WindowMessages::KeyDown, 'H');
        platform->InjectKey(window, GUI::WindowMessages::KeyUp, 'H');
        viewer.Host().ProcessPendingMessages();
    };
    pressH();
    EXPECT_EQ(platform->Windows().size(), 1u);
    platform->SetKeyHeld(0x11, true);
    pressH();
    EXPECT_TRUE(viewer.RootPanel()->IsHeaderTreeShown());
    EXPECT_EQ(platform->Windows().size(), 2u);
    pressH();
    EXPECT_FALSE(viewer.RootPanel()->IsHeaderTreeShown());
    EXPECT_EQ(platform->Windows().size(), 1u);
}

} // namespace Brintavolex
