// The 2D viewer composite on a headless desktop: toolbar commands clicked
// with the pointer, settings both ways, sampling by zoom range, layout at
// every display scale, Escape and the save command's name.
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "PlanoscopeWidget/api/PlanoscopeControlList.h"
#include "Platform/api/Video/Software.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Brintavolex::ImageView {

namespace {

using Pixel = Data::ColorBGRA<std::uint8_t>;
using Mode = Resampling::EnumResamplingMode;

SharedPtr<Data::Image2DBase> Picture(std::uint32_t w, std::uint32_t h)
{
    auto image = MakeShared<Data::Image2D<Pixel>>();
    image->Allocate(w, h);
    auto lock = image->Lock<Pixel>();
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            lock(x, y) = Pixel{std::uint8_t(x), std::uint8_t(y), 90, 255};
    return image;
}

struct Desk {
    static constexpr std::int32_t kLeft = 40, kTop = 30;
    explicit Desk(std::int32_t width = 900, std::int32_t height = 640)
    {
        gui.SetContext(Platform::Video::Software::SoftwareContext::Create());
        panel = MakeShared<GUI::Panel>();
        panel->SetRect(kLeft, kTop, kLeft + width, kTop + height);
        gui.SetRootPanel(panel);
        gui.SetActivePanel(panel.Get());
        panel->Add(viewer);
        viewer.SetRect(0, 0, width, height);
    }
    ~Desk() { gui.DeleteContextObjects(); }
    // Press and release in the middle of a control, as the pointer does.
    void Click(GUI::Control &control)
    {
        const GUI::Rect r = control.GetRect();
        ASSERT_GT(r.Width(), 0);
        gui.OnMouseMove(kLeft + (r.x0 + r.x1) / 2, kTop + (r.y0 + r.y1) / 2);
        gui.OnMouseLButtonDown();
        gui.OnMouseLButtonUp();
    }
    GUI::GUI gui;
    SharedPtr<GUI::Panel> panel;
    PlanoscopeControlList viewer;
};

class SavedCount {
public:
    explicit SavedCount(PlanoscopeControlWithToolbar &viewer, PlanoscopeControlListSettings &settings)
    {
        Function2<void()> count;
        count.ResetCallable([this] { ++saves; });
        viewer.BindSettings(settings, std::move(count));
    }
    int saves = 0;
};

} // namespace

TEST(PlanoscopeControlList, ToolbarCommandsChangeTheViewAndToggleWritesItsSetting)
{
    PlanoscopeControlListSettings settings(nullptr, "PlanoscopeSettings"); // outlives the composite
    Desk desk;
    SavedCount counter(desk.viewer, settings);
    desk.viewer.SetImage(Picture(200, 100));
    Planoscope &view = desk.viewer.View();
    ASSERT_TRUE(desk.gui.PaintPanels());
    EXPECT_EQ(view.GetZoom(), 1.0);

    desk.Click(desk.viewer.ZoomInButton());
    EXPECT_DOUBLE_EQ(view.GetZoom(), std::pow(2.0, -1.0 / 8));
    EXPECT_EQ(desk.viewer.ZoomList().GetSelectedIndex(), -1);
    EXPECT_EQ(desk.viewer.ZoomList().GetShownText(), String("109.0508 %"));
    desk.Click(desk.viewer.ZoomOutButton());
    EXPECT_EQ(view.GetZoom(), 1.0);
    EXPECT_EQ(desk.viewer.ZoomList().GetSelectedIndex(), 6);
    desk.Click(desk.viewer.FitButton());
    EXPECT_TRUE(view.IsFitting());
    EXPECT_DOUBLE_EQ(view.GetZoom(), view.FittingZoom());
    desk.viewer.ZoomList().Choose(8);
    EXPECT_EQ(view.GetZoom(), 0.25);
    EXPECT_FALSE(view.IsFitting());

    desk.Click(desk.viewer.RotateRightButton());
    EXPECT_EQ(view.GetRotation(), 90);
    EXPECT_EQ(desk.viewer.RotationList().GetSelectedIndex(), 1);
    const auto turned = view.ImageRectangleOnScreen();
    EXPECT_EQ(turned.right - turned.left, 400); // 100 rows at 400 %
    desk.Click(desk.viewer.RotateLeftButton());
    desk.Click(desk.viewer.RotateLeftButton());
    EXPECT_EQ(view.GetRotation(), 270);
    desk.viewer.RotationList().Choose(2);
    EXPECT_EQ(view.GetRotation(), 180);
    EXPECT_EQ(counter.saves, 0) << "view commands are no settings";

    // Each toggle: the view or panel follows, the setting is written, the owner saves.
    const GUI::Rect wide = view.GetRect();
    desk.Click(desk.viewer.RulerButton());
    EXPECT_TRUE(view.IsRulerShown());
    EXPECT_TRUE(settings.ruler.Get());
    desk.Click(desk.viewer.ValuesButton());
    EXPECT_FALSE(view.AreRGBValuesShown());
    EXPECT_FALSE(settings.rgbColorInfo.Get());
    desk.Click(desk.viewer.ScrollBarsButton());
    EXPECT_TRUE(settings.scrollBars.Get());
    EXPECT_TRUE(desk.viewer.ScrollBarsControl().IsVisible());
    EXPECT_LT(view.GetRect().y1, wide.y1);
    desk.Click(desk.viewer.HistogramButton());
    EXPECT_TRUE(settings.histogram.Get());
    EXPECT_TRUE(desk.viewer.HistogramSidePanel().IsVisible());
    EXPECT_EQ(desk.viewer.Histogram().Bins().pixelCount, 20000u);
    desk.Click(desk.viewer.BrightnessContrastButton());
    EXPECT_TRUE(settings.brightnessContrast.Get());
    EXPECT_TRUE(desk.viewer.BrightnessContrastSidePanel().IsVisible());
    EXPECT_LT(view.GetRect().x1, wide.x1 - 256);
    EXPECT_EQ(counter.saves, 5);
    ASSERT_TRUE(desk.gui.PaintPanels());

    // The panels' own buttons: contrast moves the window the view shows; Close hides.
    BrightnessContrastPanel &bc = desk.viewer.BrightnessContrastSidePanel();
    desk.viewer.BrightnessContrast().SetContrast(0.5);
    ASSERT_TRUE(view.GetDisplayWindow());
    EXPECT_NEAR(view.GetDisplayWindow()->hi - view.GetDisplayWindow()->lo, 1 / std::tan(3 * kQuarterPi / 2), 1e-12);
    EXPECT_EQ(bc.ContrastSlider().GetPosition(), 0.5);
    desk.Click(bc.ResetButton());
    EXPECT_FALSE(view.GetDisplayWindow());
    desk.Click(desk.viewer.HistogramSidePanel().LogButton());
    EXPECT_EQ(desk.viewer.Histogram().Scaling(), HistogramScaling::Log10);
    desk.Click(desk.viewer.HistogramSidePanel().CloseButton());
    EXPECT_FALSE(settings.histogram.Get());
    EXPECT_FALSE(desk.viewer.HistogramSidePanel().IsVisible());
    // Escape hides the remaining panel and says so; then there is none.
    EXPECT_TRUE(desk.viewer.CloseSidePanels());
    EXPECT_FALSE(settings.brightnessContrast.Get());
    EXPECT_FALSE(desk.viewer.CloseSidePanels());
    // The view takes the column's room back, up to the vertical bar.
    EXPECT_EQ(view.GetRect().x1, desk.viewer.ScrollBarsControl().Y().GetRect().x0);
    EXPECT_GT(view.GetRect().x1, wide.x1 - 30);
}

TEST(PlanoscopeControlList, SettingsWithTogglesSetRestoreThemInANewComposite)
{
    PlanoscopeControlListSettings settings(nullptr, "PlanoscopeSettings");
    settings.ruler.Set(true);
    settings.histogram.Set(true);
    settings.scrollBars.Set(true);
    settings.rgbColorInfo.Set(false);
    settings.brightnessContrast.Set(true);
    {
        Desk desk;
        SavedCount counter(desk.viewer, settings);
        EXPECT_EQ(counter.saves, 0) << "applying is no change";
        PlanoscopeControlWithToolbar &v = desk.viewer;
        EXPECT_TRUE(v.RulerButton().IsActive() && v.View().IsRulerShown());
        EXPECT_TRUE(v.HistogramButton().IsActive() && v.HistogramSidePanel().IsVisible());
        EXPECT_TRUE(v.ScrollBarsButton().IsActive() && v.ScrollBarsControl().IsVisible());
        EXPECT_FALSE(v.ValuesButton().IsActive() || v.View().AreRGBValuesShown());
        EXPECT_TRUE(v.BrightnessContrastButton().IsActive() && v.BrightnessContrastSidePanel().IsVisible());
        ASSERT_TRUE(desk.gui.PaintPanels());
        // A change from elsewhere shows as well.
        settings.ruler.Set(false);
        EXPECT_FALSE(v.RulerButton().IsActive() || v.View().IsRulerShown());
        EXPECT_EQ(counter.saves, 1);
    }
    // The composite is gone: the settings no longer call into it.
    settings.ruler.Set(true);
    EXPECT_TRUE(settings.ruler.Get());
}

TEST(PlanoscopeControlList, SamplingFollowsTheZoomRangeAndTheListEditsThatRange)
{
    PlanoscopeControlListSettings settings(nullptr, "PlanoscopeSettings");
    Desk desk;
    settings.interpolationL100.Set(Mode::Linear);
    settings.interpolationE100.Set(Mode::Nearest);
    settings.interpolationG100.Set(Mode::MipMapTrilinear);
    SavedCount counter(desk.viewer, settings);
    desk.viewer.SetImage(Picture(64, 64));
    Planoscope &view = desk.viewer.View();
    GUI::DropDownList &list = desk.viewer.SamplingList();
    const auto shown = [&] { return PlanoscopeControlWithToolbar::kSamplingModes[list.GetSelectedIndex()]; };
    view.SetZoom(1);
    EXPECT_EQ(view.CurrentResamplingMode(), Mode::Nearest);
    // 100 % to 200 %: from the "at 100 %" setting to the "above 100 %" one.
    view.SetZoom(0.5);
    EXPECT_EQ(view.CurrentResamplingMode(), Mode::MipMapTrilinear);
    EXPECT_EQ(shown(), Mode::MipMapTrilinear);
    view.SetZoom(2); // 50 %: below 100 %
    EXPECT_EQ(view.CurrentResamplingMode(), Mode::Linear);
    EXPECT_EQ(shown(), Mode::Linear);
    // Choosing in the list at 50 % writes the setting below 100 % only.
    list.Choose(3);
    EXPECT_EQ(settings.interpolationL100.Get(), Mode::Area);
    EXPECT_EQ(settings.interpolationE100.Get(), Mode::Nearest);
    EXPECT_EQ(settings.interpolationG100.Get(), Mode::MipMapTrilinear);
    EXPECT_EQ(view.CurrentResamplingMode(), Mode::Area);
    EXPECT_EQ(counter.saves, 1);
    view.SetZoom(0.25);
    list.Choose(1);
    EXPECT_EQ(settings.interpolationG100.Get(), Mode::Cubic);
    EXPECT_EQ(view.CurrentResamplingMode(), Mode::Cubic);
}

TEST(PlanoscopeControlList, ZoomButtonsStopAtTheLimits)
{
    Desk desk;
    desk.viewer.SetImage(Picture(16, 16));
    Planoscope &view = desk.viewer.View();
    view.SetZoom(kMinimumZoom);
    EXPECT_FALSE(desk.viewer.ZoomInButton().IsEnabled());
    EXPECT_TRUE(desk.viewer.ZoomOutButton().IsEnabled());
    EXPECT_EQ(desk.viewer.ZoomList().GetSelectedIndex(), 14);
    desk.Click(desk.viewer.ZoomInButton());
    EXPECT_EQ(view.GetZoom(), kMinimumZoom);
    view.SetZoom(kMaximumZoom);
    EXPECT_TRUE(desk.viewer.ZoomInButton().IsEnabled());
    EXPECT_FALSE(desk.viewer.ZoomOutButton().IsEnabled());
    desk.Click(desk.viewer.ZoomOutButton());
    EXPECT_EQ(view.GetZoom(), kMaximumZoom);
    desk.Click(desk.viewer.ZoomInButton());
    EXPECT_LT(view.GetZoom(), kMaximumZoom);
    EXPECT_TRUE(desk.viewer.ZoomOutButton().IsEnabled());
}

TEST(PlanoscopeControlList, LaysOutAndDrawsAtEveryScaleAndSizeWithEverythingShown)
{
    for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 4.0, 0.0})
        for (const auto &[w, h] : {std::pair{900, 640}, std::pair{300, 90}, std::pair{17, 5}, std::pair{1, 1}, std::pair{0, 0}}) {
            SCOPED_TRACE(testing::Message() << "scale " << scale << ", " << w << " x " << h);
            PlanoscopeControlListSettings settings(nullptr, "PlanoscopeSettings");
            for (PropertyWithNotification<bool> *p : {&settings.ruler, &settings.histogram, &settings.scrollBars,
                                                      &settings.rgbColorInfo, &settings.brightnessContrast})
                p->Set(true);
            Desk desk(900, 640);
            desk.panel->SetScale(scale);
            desk.viewer.BindSettings(settings);
            desk.viewer.SetImage(Picture(300, 200));
            ASSERT_NO_THROW(desk.viewer.SetRect(0, 0, w, h));
            ASSERT_NO_THROW(desk.gui.PaintPanels());
            const GUI::Rect outer = desk.viewer.GetRect();
            for (GUI::Control *c : desk.viewer.Children()) {
                const GUI::Rect r = c->GetRect();
                EXPECT_TRUE(r.Width() >= 0 && r.Height() >= 0);
                EXPECT_TRUE(r.x0 >= outer.x0 && r.y0 >= outer.y0 && r.y1 <= std::max(outer.y1, outer.y0));
            }
        }
}

TEST(PlanoscopeControlList, ProposesTheAdjustedMarkerOnlyForWhatTheWindowChanged)
{
    Desk desk;
    desk.viewer.SetImagePath(u"C:\\photos\\beach.jpg");
    desk.viewer.SetImage(Picture(8, 8));
    EXPECT_EQ(desk.viewer.ProposedSaveName(), u"beach.png");
    desk.viewer.BrightnessContrast().SetBrightness(0.25);
    EXPECT_EQ(desk.viewer.ProposedSaveName(), u"beach.png") << "the panel is closed: the window does not show";
    desk.viewer.Settings().brightnessContrast.Set(true);
    EXPECT_EQ(desk.viewer.ProposedSaveName(), u"beach_LUT_.png");
    EXPECT_THROW(desk.viewer.SetImage(nullptr), Exception);
}

} // namespace Brintavolex::ImageView
