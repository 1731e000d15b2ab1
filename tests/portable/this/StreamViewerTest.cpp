// A file of several images in the viewer's window on the headless host: a
// 3-frame GIF written by Pillow, stepped with the buttons and the slider
// and played on the host's virtual clock; every image shown must equal the
// frame as Pillow composes it.
#include "GUI/api/HeadlessWindowPlatform.h"
#include "Platform/api/String.h"
#include "support/PixelCompare.h"
#include "support/TempFolder.h"
#include "support/TestData.h"
#include "this/src/RAWImportDialog.h"
#include "this/src/PlanoscopeMainFrame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

namespace Brintavolex {
namespace {

namespace M = GUI::WindowMessages;

struct PillowFrames {
    PillowFrames()
    {
        std::istringstream line(TestSupport::ReadBytes(TestSupport::GeneratedPath("stream/three-frames.txt")));
        line >> width >> height >> count;
        for (std::uint32_t k = 0, d = 0; k < count && line >> d; ++k)
            delays.push_back(d);
        rgba = TestSupport::ReadBytes(TestSupport::GeneratedPath("stream/three-frames.gif.rgba"));
    }
    std::vector<std::uint16_t> Frame(std::uint32_t k) const
    {
        const std::size_t size = std::size_t(width) * height * 4;
        return TestSupport::Samples16(rgba.substr(k * size, size), 1);
    }
    std::uint32_t width = 0, height = 0, count = 0;
    std::vector<std::uint32_t> delays;
    std::string rgba;
};

// Serves the GUI thread until done() holds (the worker is a real thread);
// false after five seconds without.
bool ServeUntil(PlanoscopeMainFrame &viewer, const std::function<bool()> &done)
{
    for (int i = 0; i < 1000; ++i) {
        viewer.Host().ProcessPendingMessages();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

struct StreamWindow {
    StreamWindow() : platform(MakeShared<GUI::HeadlessWindowPlatform>()), viewer(platform, Settings())
    {
        viewer.Open();
        viewer.OpenFile(TestSupport::GeneratedPath("stream/three-frames.gif"));
        Settle();
    }
    String Settings() { return TestSupport::PathString(settings.Path()); }
    PlanoscopeApplication &Panel() { return *viewer.RootPanel(); }
    VerticalStreamSliderControl &Slider() { return Panel().Stream().Slider(0); }
    GUI::WindowHandle Window() { return viewer.Host().WindowOf(Panel()); }
    // Serves the GUI thread until the image asked for has arrived.
    void Settle() { EXPECT_TRUE(ServeUntil(viewer, [&] { return !Panel().IsLoading(); })) << "no image arrived"; }
    // Lets the virtual clock run, serves the timers due and what they load.
    void Wait(std::uint64_t milliseconds)
    {
        platform->Advance(milliseconds);
        platform->Post(Window(), 0, 0, 0);
        Settle();
    }
    // Presses at the middle of from and lets go at to (default: there).
    void Press(const GUI::Rect &from, std::optional<std::int32_t> toY = std::nullopt)
    {
        const std::int32_t x = (from.x0 + from.x1) / 2, y = (from.y0 + from.y1) / 2;
        platform->InjectPointer(Window(), M::MouseMove, x, y);
        platform->InjectPointer(Window(), M::LButtonDown, x, y, 1);
        platform->InjectPointer(Window(), M::MouseMove, x, toY.value_or(y), 1);
        platform->InjectPointer(Window(), M::LButtonUp, x, toY.value_or(y));
        Settle();
    }
    void Click(const GUI::Control &control) { Press(control.GetRect()); }
    void DragKnobTo(std::int32_t y) { Press(Slider().SliderBar().GetKnob().GetRect(), y); }
    void ExpectShows(const PillowFrames &pillow, std::uint32_t k)
    {
        SCOPED_TRACE("frame " + std::to_string(k));
        EXPECT_EQ(Panel().ShownIndex(), k);
        const SharedPtr<Data::Image2DBase> &image = Panel().View().GetImage();
        ASSERT_TRUE(image);
        ASSERT_EQ(image->GetWidth(), pillow.width);
        ASSERT_EQ(image->GetHeight(), pillow.height);
        EXPECT_EQ(TestSupport::CountMismatches(TestSupport::Samples16(*image), pillow.Frame(k), pillow.width), 0);
    }

    TestSupport::TempFolder settings;
    SharedPtr<GUI::HeadlessWindowPlatform> platform;
    PlanoscopeMainFrame viewer;
};

TEST(StreamViewer, ButtonsAndSliderStepThroughTheFramesAsPillowComposesThem)
{
    const PillowFrames pillow;
    ASSERT_EQ(pillow.count, 3u);
    StreamWindow w;
    ASSERT_EQ(w.Panel().Stream().DimensionCount(), 1u);
    EXPECT_EQ(w.Slider().GetCount(), 3u);
    // The slider column lies left of the 2D viewer, apart from it.
    EXPECT_LE(w.Slider().GetRect().x1, w.Panel().Viewer().GetRect().x0);
    w.ExpectShows(pillow, 0);
    // An animation plays when opened; the toggle stops it.
    EXPECT_TRUE(w.Slider().IsPlaying());
    w.Click(w.Slider().PlayButton());
    EXPECT_FALSE(w.Slider().IsPlaying());

    EXPECT_FALSE(w.Slider().PreviousButton().IsEnabled());
    w.Click(w.Slider().NextButton());
    w.ExpectShows(pillow, 1);
    w.Click(w.Slider().NextButton());
    w.ExpectShows(pillow, 2);
    EXPECT_FALSE(w.Slider().NextButton().IsEnabled());
    w.Click(w.Slider().PreviousButton());
    w.ExpectShows(pillow, 1);

    const GUI::Rect bar = w.Slider().SliderBar().GetRect();
    w.DragKnobTo(bar.y1 + 50);
    w.ExpectShows(pillow, 2);
    w.DragKnobTo(bar.y0 - 50);
    w.ExpectShows(pillow, 0);
    EXPECT_EQ(w.Slider().GetIndex(), 0u);
    // Nothing played meanwhile.
    w.Wait(5000);
    w.ExpectShows(pillow, 0);
}

TEST(StreamViewer, PlaybackShowsFrameKAtTheSumOfTheFirstKShownDelays)
{
    const PillowFrames pillow;
    ASSERT_EQ(pillow.delays.size(), 3u);
    // Stored delays of 0 or 1 hundredth are shown for 100 ms.
    std::vector<std::uint64_t> shown;
    for (std::uint32_t d : pillow.delays)
        shown.push_back(d <= 10 ? 100 : d);
    StreamWindow w;
    w.ExpectShows(pillow, 0);
    std::uint64_t now = 0;
    for (std::uint32_t k = 1; k <= 4; ++k) {
        const std::uint64_t due = now + shown[(k - 1) % 3];
        w.Wait(due - 1 - now);
        w.ExpectShows(pillow, (k - 1) % 3);
        w.Wait(1);
        w.ExpectShows(pillow, k % 3);
        now = due;
    }
    // The title keeps the zoom while frames change.
    EXPECT_EQ(w.Panel().TitleText(), String("three-frames.gif - Brintavolex Viewer"));
}

TEST(StreamViewer, AStillOrAGIFWithoutImagesOpensWithoutSlider)
{
    StreamWindow w;
    w.viewer.OpenFile(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"));
    w.Settle();
    EXPECT_EQ(w.Panel().Stream().DimensionCount(), 0u);
    EXPECT_EQ(w.Panel().Viewer().GetRect().x0, w.Panel().Stream().GetRect().x0);
    EXPECT_EQ(w.viewer.Host().TimerCount(), 0u) << "the animation's timer outlived its slider";
    // A GIF of no image at all: refused in the title, no slider, the
    // window goes on.
    const std::string empty("GIF89a\x02\x00\x02\x00\x00\x00\x00\x3b", 14);
    w.viewer.OpenFile(FromUTF8(w.settings.Write("empty.gif", empty)));
    w.Settle();
    EXPECT_EQ(w.Panel().Stream().DimensionCount(), 0u);
    EXPECT_EQ(w.Panel().TitleText(), String("empty.gif - Brintavolex Viewer"));
    EXPECT_FALSE(w.Panel().Problem().Empty());
    EXPECT_FALSE(w.Panel().IsLoading());
    EXPECT_TRUE(w.viewer.Host().PaintPanels());
}

// A file no decoder claims offers the import dialog; the values applied
// there are kept, saved, and the file opens with them.
TEST(PlanoscopeMainFrame, AnUnclaimedFileOpensThroughTheImportDialog)
{
    const TestSupport::TempFolder folder, settings;
    // numpy's 17 x 13 UInt8 picture behind a header of 38 bytes, under an
    // extension no table knows yet.
    const std::string bytes = TestSupport::ReadBytes(TestSupport::GeneratedPath("raw/UInt8-2d.raw"));
    const String path = TestSupport::PathString(folder.Write("scan.unclaimed", bytes));
    auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
    PlanoscopeMainFrame viewer(platform, TestSupport::PathString(settings.Path()));
    viewer.Open();
    viewer.OpenFile(path);
    PlanoscopeApplication &panel = *viewer.RootPanel();
    ASSERT_TRUE(ServeUntil(viewer, [&] { return bool(panel.RAWImport()); }));
    viewer.Host().HandleGUIMessages();
    EXPECT_EQ(platform->Windows().size(), 2u);
    panel.RAWImport()->XBox().SetText("17");
    panel.RAWImport()->YBox().SetText("13");
    panel.RAWImport()->OffsetBox().SetText("38");
    ASSERT_TRUE(panel.RAWImport()->Apply()) << panel.RAWImport()->Message().ToStdString();
    ServeUntil(viewer, [&] { return !panel.IsLoading() && panel.View().GetImage(); });
    const SharedPtr<Data::Image2DBase> shown = panel.View().GetImage();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->GetWidth(), 17u);
    EXPECT_EQ(shown->GetHeight(), 13u);
    // The dialog stays, now with the values the file was read with; the
    // table is in the settings file.
    ASSERT_TRUE(panel.RAWImport());
    EXPECT_EQ(panel.RAWImport()->XBox().GetText().ToStdString(), "17");
    const std::string stored = TestSupport::ReadWholeFile(settings.File("Brintavolex Viewer.ini"));
    EXPECT_NE(stored.find("[Codecs][RAWDecoderFactory]"), std::string::npos) << stored;
}

// A volume opens in the slice viewer, whose first slice arrives; a picture
// opened next brings the 2D viewer back.
TEST(PlanoscopeMainFrame, AVolumeOpensInTheSliceViewer)
{
    const TestSupport::TempFolder settings;
    auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
    PlanoscopeMainFrame viewer(platform, TestSupport::PathString(settings.Path()));
    viewer.Open();
    viewer.OpenFile(TestSupport::GeneratedPath("tiff-decoder/volume.tif"));
    PlanoscopeApplication &panel = *viewer.RootPanel();
    ASSERT_TRUE(ServeUntil(viewer, [&] { return panel.IsShowingVolume(); })) << panel.Problem().ToStdString();
    using State = ImageView::ImageViewXYXZYZ3DControl::LoadState;
    EXPECT_TRUE(ServeUntil(viewer, [&] { return panel.Volume().GetLoadState(SliceOrientation::XY) == State::Shown; }));
    viewer.OpenFile(TestSupport::CachePath("bmpsuite/g/rgb24.bmp"));
    EXPECT_TRUE(ServeUntil(viewer, [&] { return !panel.IsShowingVolume(); }));
}

} // namespace
} // namespace Brintavolex
