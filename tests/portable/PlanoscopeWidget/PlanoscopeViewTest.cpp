// The 2D view drawn by the software renderer into memory: metamorphic checks
// on whole frames.
#include "Data/api/DisplayBytes.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "PlanoscopeWidget/api/PlanoscopeControl.h"
#include "PlanoscopeWidget/src/PlanoscopeRGBColorInfo.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/Video/Software.h"

#include "support/OrientedPicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace Brintavolex::ImageView {

namespace {

using Pixel = Data::ColorBGRA<std::uint8_t>;
using Mode = Resampling::EnumResamplingMode;

// Every pixel of the picture tells where it is: blue = x, green = y, red a
// mix, so that a drawn pixel names the image pixel it came from.
SharedPtr<Data::Image2DBase> Pattern(std::uint32_t w, std::uint32_t h)
{
    auto image = MakeShared<Data::Image2D<Pixel>>();
    image->Allocate(w, h);
    auto lock = image->Lock<Pixel>();
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            lock(x, y) = Pixel{std::uint8_t(x), std::uint8_t(y), std::uint8_t((x * 7 + y * 13) & 255), 255};
    return image;
}

// A desktop with one panel at (100, 50) holding the view over all of it.
struct Desk {
    static constexpr std::int32_t kLeft = 100, kTop = 50, kWidth = 320, kHeight = 240;
    explicit Desk(std::int32_t width = kWidth, std::int32_t height = kHeight)
    {
        context = Platform::Video::Software::SoftwareContext::Create();
        gui.SetContext(context);
        panel = MakeShared<GUI::Panel>();
        panel->SetRect(kLeft, kTop, kLeft + width, kTop + height);
        gui.SetRootPanel(panel);
        panel->Add(view);
        view.SetRect(0, 0, width, height);
        view.SetResamplingModes(Mode::Nearest, Mode::Nearest, Mode::Nearest);
    }
    ~Desk() { gui.DeleteContextObjects(); }
    void Paint() { ASSERT_TRUE(gui.PaintPanels()); }
    Pixel At(std::int32_t x, std::int32_t y)
    {
        const auto lock = panel->GetRenderer()->LockBackBuffer();
        const std::uint8_t *p = lock.ReadBits() + std::int64_t(y) * lock.Pitch() + std::int64_t(x) * 4;
        return Pixel{p[0], p[1], p[2], p[3]};
    }
    std::vector<std::uint8_t> Frame()
    {
        const auto lock = panel->GetRenderer()->LockBackBuffer();
        std::vector<std::uint8_t> pixels;
        for (std::uint32_t y = 0; y < lock.Height(); ++y)
            pixels.insert(pixels.end(), lock.ReadBits() + std::int64_t(y) * lock.Pitch(),
                          lock.ReadBits() + std::int64_t(y) * lock.Pitch() + lock.Width() * 4);
        return pixels;
    }
    // The image pixel a drawn pixel came from (Nearest sampling of Pattern).
    static Vec2 Source(const Pixel &p) { return {double(p.b), double(p.g)}; }
    // The wheel turned by delta (120 a notch) over panel point (x, y).
    void Wheel(std::int32_t x, std::int32_t y, int delta)
    {
        gui.OnMouseMove(kLeft + x, kTop + y);
        const std::int64_t packed = std::int64_t(kLeft + x) | (std::int64_t(kTop + y) << 16);
        gui.OnMouseWheel(std::uint64_t(std::uint16_t(std::int16_t(delta))) << 16, packed);
    }

    SharedPtr<Platform::Video::Software::SoftwareContext> context;
    GUI::GUI gui;
    SharedPtr<GUI::Panel> panel;
    Planoscope view;
};

} // namespace

// Odd and even pictures larger than views of both parities, panned by whole
// and half pixels: each screen pixel shows the one image pixel under it.
TEST(Planoscope, HundredPercentIsPixelExactWhereverThePictureStands)
{
    for (const std::int32_t width : {320, 321})
        for (const std::uint32_t w : {511u, 512u, 1023u})
            for (const Vec2 &pan : {Vec2{0, 0}, Vec2{0.5, -0.5}, Vec2{-70.25, 31.5}, Vec2{101, -17}}) {
                const std::int32_t height = 561 - width;
                Desk desk(width, height);
                desk.view.SetImage(Pattern(w, 300 + w % 2));
                desk.view.SetPan(pan);
                desk.Paint();
                const auto r = desk.view.ImageRectangleOnScreen();
                const std::vector<std::uint8_t> frame = desk.Frame();
                int wrong = 0;
                for (std::int32_t y = std::max(0, r.top); y < std::min(height, r.bottom); ++y)
                    for (std::int32_t x = std::max(0, r.left); x < std::min(width, r.right); ++x) {
                        const std::uint8_t *p = &frame[std::size_t(y * width + x) * 4];
                        const std::uint32_t ix = std::uint32_t(x - r.left), iy = std::uint32_t(y - r.top);
                        const Vec2 under = desk.view.ImagePointAt(x + 0.5, y + 0.5);
                        wrong += p[0] != std::uint8_t(ix) || p[1] != std::uint8_t(iy) ||
                                 p[2] != std::uint8_t(ix * 7 + iy * 13) || std::abs(under.x - ix - 0.5) > 0.5 ||
                                 std::abs(under.y - iy - 0.5) > 0.5;
                    }
                EXPECT_EQ(wrong, 0) << w << " in " << width << " at " << pan.x << "," << pan.y;
            }
}

// Each orientation, with and without a quarter turn of the view on top, at
// 100 %: every screen pixel shows the stored pixel that the Exif definition
// puts there and the mapping names it (within the half pixel that standing
// on whole pixels costs); fitting uses the shown extents. Out-of-range
// values show the picture as stored.
TEST(Planoscope, ShowsEachExifOrientationUprightWithTheViewsTurnOnTop)
{
    constexpr std::uint32_t w = 7, h = 4;
    for (const std::uint16_t orientation : {1, 2, 3, 4, 5, 6, 7, 8, 0, 9, 65535})
        for (const std::int32_t turn : {0, 90}) {
            SCOPED_TRACE(testing::Message() << "orientation " << orientation << ", turn " << turn);
            const auto cache =
                MakeShared<Image2DDataCache>(TestSupport::OrientedPicture(w, h, orientation));
            Desk desk;
            desk.view.SetImage(cache->GetData(), 1, 1, cache->GetExifOrientation());
            desk.view.SetRotation(turn);
            desk.view.SetZoom(1);
            desk.Paint();
            // A clockwise quarter turn of the upright U shows U (y, U's height - 1 - x) at (x, y).
            const TestSupport::PixelPosition upright = TestSupport::UprightExtent(orientation, w, h);
            const std::uint32_t shownWidth = turn ? upright.y : upright.x, shownHeight = turn ? upright.x : upright.y;
            const auto r = desk.view.ImageRectangleOnScreen();
            ASSERT_EQ(r.right - r.left, std::int32_t(shownWidth));
            ASSERT_EQ(r.bottom - r.top, std::int32_t(shownHeight));
            EXPECT_DOUBLE_EQ(desk.view.FittingZoom(), std::max(shownWidth / 320.0, shownHeight / 240.0));
            int wrong = 0;
            for (std::uint32_t y = 0; y < shownHeight; ++y)
                for (std::uint32_t x = 0; x < shownWidth; ++x) {
                    const TestSupport::PixelPosition stored = TestSupport::StoredPixelOfUpright(
                        orientation, w, h, turn ? y : x, turn ? upright.y - 1 - x : y);
                    const Pixel p = desk.At(r.left + std::int32_t(x), r.top + std::int32_t(y));
                    const Vec2 under = desk.view.ImagePointAt(r.left + x + 0.5, r.top + y + 0.5);
                    wrong += p.b != stored.x || p.g != stored.y || p.r != std::uint8_t(stored.x * 7 + stored.y * 13) ||
                             std::abs(under.x - stored.x - 0.5) > 0.5 || std::abs(under.y - stored.y - 0.5) > 0.5;
                }
            EXPECT_EQ(wrong, 0);
        }
}

// Touchpads and smooth wheels send parts of a notch; they add up to notches.
TEST(Planoscope, WheelDeltasBelowANotchAddUp)
{
    Desk desk;
    desk.view.SetImage(Pattern(256, 256));
    const auto turn = [&](int times, int delta) {
        for (int i = 0; i < times; ++i)
            desk.Wheel(160, 120, delta);
        return desk.view.GetZoom();
    };
    EXPECT_DOUBLE_EQ(turn(4, 30), std::pow(2.0, -1.0 / 8));
    EXPECT_EQ(turn(28, 30), 0.5);
    EXPECT_DOUBLE_EQ(turn(12, -20), std::pow(2.0, -6.0 / 8));
}

TEST(Planoscope, RotationKeepsTheCentreAndTurnsClockwise)
{
    Desk desk;
    desk.view.SetImage(Pattern(200, 100));
    desk.view.SetZoom(0.5);
    desk.view.SetPan({30, -10});
    const Vec2 centre = desk.view.ImagePointAt(Desk::kWidth / 2.0, Desk::kHeight / 2.0);
    for (int turn = 0; turn < 4; ++turn) {
        desk.view.RotateClockwise();
        const Vec2 now = desk.view.ImagePointAt(Desk::kWidth / 2.0, Desk::kHeight / 2.0);
        EXPECT_NEAR(now.x, centre.x, 1e-9);
        EXPECT_NEAR(now.y, centre.y, 1e-9);
        desk.Paint();
        const Vec2 drawn = Desk::Source(desk.At(Desk::kWidth / 2, Desk::kHeight / 2));
        EXPECT_NEAR(drawn.x, centre.x, 1.0);
        EXPECT_NEAR(drawn.y, centre.y, 1.0);
    }
    EXPECT_EQ(desk.view.GetRotation(), 0);

    // Clockwise as the user reads it: the image's left edge goes to the top.
    desk.view.SetZoom(1);
    desk.view.SetPan({0, 0});
    desk.view.SetRotation(90);
    desk.Paint();
    const auto r = desk.view.ImageRectangleOnScreen();
    EXPECT_EQ(Desk::Source(desk.At((r.left + r.right) / 2, r.top)).x, 0);       // image x = 0 at the top
    EXPECT_EQ(Desk::Source(desk.At(r.right - 1, (r.top + r.bottom) / 2)).y, 0); // image y = 0 at the right
    EXPECT_THROW(desk.view.SetRotation(45), Exception);
    EXPECT_EQ(desk.view.GetRotation(), 90);
}

TEST(Planoscope, DraggingBeyondTheEdgeLeavesFiftyPixelsInView)
{
    Desk desk;
    desk.view.SetImage(Pattern(256, 256));
    desk.view.SetZoom(0.5); // 512 x 512 on a 320 x 240 view
    desk.gui.OnMouseMove(Desk::kLeft + 160, Desk::kTop + 120);
    desk.gui.OnMouseLButtonDown();
    desk.gui.OnMouseMove(Desk::kLeft + 160 - 3000, Desk::kTop + 120 + 2000);
    desk.gui.OnMouseLButtonUp();
    const auto r = desk.view.ImageRectangleOnScreen();
    const std::int32_t visibleX = std::min(r.right, Desk::kWidth) - std::max(r.left, 0);
    const std::int32_t visibleY = std::min(r.bottom, Desk::kHeight) - std::max(r.top, 0);
    EXPECT_NEAR(visibleX, 50.5, 0.5);
    EXPECT_NEAR(visibleY, 50.5, 0.5);
}

// Panning shifts the last frame and draws only the uncovered strips; the
// result differs from a whole new frame by at most the last bit of filtered
// modes (spans start elsewhere). Nearest is always drawn in full.
TEST(Planoscope, PanningReusesTheLastFrame)
{
    for (Mode mode : {Mode::Linear, Mode::Cubic, Mode::Area, Mode::MipMapBilinear, Mode::MipMapTrilinear}) {
        Desk reused, fresh;
        for (Desk *desk : {&reused, &fresh}) {
            desk->view.SetImage(Pattern(400, 300));
            desk->view.SetZoom(0.7);
            desk->view.SetResamplingModes(mode, mode, mode);
        }
        fresh.view.EnableFrameReuse(false);
        reused.Paint();
        const Vec2 steps[] = {{13, 0}, {0, -9}, {-7, 5}, {21, 17}, {-40, -3}};
        for (const Vec2 &step : steps) {
            for (Desk *desk : {&reused, &fresh}) {
                desk->gui.OnMouseMove(Desk::kLeft + 150, Desk::kTop + 100);
                desk->gui.OnMouseLButtonDown();
                desk->gui.OnMouseMove(Desk::kLeft + 150 + std::int32_t(step.x),
                                      Desk::kTop + 100 + std::int32_t(step.y));
                desk->gui.OnMouseLButtonUp();
                desk->Paint();
            }
            const std::vector<std::uint8_t> a = reused.Frame(), b = fresh.Frame();
            ASSERT_EQ(a.size(), b.size());
            int differing = 0, largest = 0;
            for (std::size_t i = 0; i < a.size(); ++i) {
                const int d = std::abs(int(a[i]) - int(b[i]));
                differing += d != 0;
                largest = std::max(largest, d);
            }
            EXPECT_LE(largest, 1) << int(mode) << " after " << step.x << "," << step.y;
            EXPECT_LT(differing, int(a.size() / 50)) << int(mode);
        }
        EXPECT_GE(reused.view.ReusedFrames(), 4u);
        EXPECT_EQ(fresh.view.ReusedFrames(), 0u);
    }
    Desk nearest;
    nearest.view.SetImage(Pattern(400, 300));
    nearest.view.SetZoom(0.7);
    nearest.Paint();
    nearest.view.SetPan({nearest.view.GetPan().x + 7, 0});
    nearest.Paint();
    EXPECT_EQ(nearest.view.ReusedFrames(), 0u);
    EXPECT_EQ(nearest.view.FullFrames(), 2u);
}

// A repaint without a change copies the last frame; a write to the shown
// picture (its pixels and its alpha) makes the next paint a fresh one.
TEST(Planoscope, ARepaintAfterAWriteShowsTheWrittenPicture)
{
    Desk shown, fresh;
    const SharedPtr<Data::Image2DBase> picture = Pattern(400, 300);
    shown.view.SetImage(picture);
    shown.view.SetZoom(0.7);
    shown.view.SetResamplingModes(Mode::Area, Mode::Area, Mode::Area);
    shown.Paint();
    shown.Paint();
    EXPECT_EQ(shown.view.FullFrames(), 1u);
    EXPECT_EQ(shown.view.ReusedFrames(), 1u);
    {
        auto lock = picture->Lock<Pixel>();
        for (std::uint32_t y = 40; y < 200; ++y)
            for (std::uint32_t x = 60; x < 300; ++x)
                lock(x, y) = Pixel{200, std::uint8_t(x), 9, std::uint8_t(y)};
    }
    shown.view.SetPan(shown.view.GetPan());
    shown.Paint();
    EXPECT_EQ(shown.view.FullFrames(), 2u);

    fresh.view.SetImage(picture);
    fresh.view.SetZoom(0.7);
    fresh.view.SetResamplingModes(Mode::Area, Mode::Area, Mode::Area);
    fresh.Paint();
    EXPECT_TRUE(shown.Frame() == fresh.Frame());
}

// The worker's resampling of a picture the view will fit, for every method
// and a turned and a mirrored photo, is copied by the paint and is the
// paint's to the bit; a write after it, or a picture with alpha, is painted.
TEST(Planoscope, APictureResampledAheadIsCopiedAndIsTheFreshPaint)
{
    for (Mode mode : {Mode::Area, Mode::Cubic, Mode::Linear, Mode::MipMapTrilinear})
        for (std::uint16_t orientation : {1, 6, 7}) {
            SCOPED_TRACE(testing::Message() << int(mode) << " orientation " << orientation);
            Desk ahead, fresh;
            for (Desk *desk : {&ahead, &fresh}) {
                desk->view.SetResamplingModes(mode, Mode::Nearest, mode);
                desk->Paint();
            }
            const std::optional<FittedPaint> plan = ahead.view.FittedPaintPlan();
            ASSERT_TRUE(plan);
            const SharedPtr<Data::Image2DBase> picture = Pattern(1013, 677);
            EXPECT_GT(plan->FittingZoom(1013, 677, orientation), 1.0);
            const auto resampled = GUI::ResampleAhead(picture, plan->Request(1013, 677, orientation));
            ASSERT_TRUE(resampled);
            for (Desk *desk : {&ahead, &fresh}) {
                desk->view.SetImage(picture, 1, 1, orientation);
                desk->view.SetPan({0, 0});
                desk->view.FitToWindow();
            }
            ahead.view.OfferResampled(resampled);
            ahead.Paint();
            fresh.Paint();
            EXPECT_EQ(ahead.view.AheadFrames(), 1u);
            EXPECT_EQ(ahead.view.FullFrames(), 0u);
            EXPECT_TRUE(ahead.Frame() == fresh.Frame());

            ahead.view.SetImage(picture, 1, 1, orientation);
            ahead.view.OfferResampled(resampled);
            picture->Lock<Pixel>();
            ahead.Paint();
            EXPECT_EQ(ahead.view.AheadFrames(), 1u) << "written since";
        }
    auto translucent = Pattern(1013, 677);
    translucent->Lock<Pixel>()(5, 5).a = 254;
    Desk desk;
    desk.Paint();
    EXPECT_FALSE(GUI::ResampleAhead(translucent, desk.view.FittedPaintPlan()->Request(1013, 677, 1)));
}

TEST(Planoscope, FitFollowsTheViewAndZoomKeysStep)
{
    Desk desk;
    desk.view.SetImage(Pattern(10, 10));
    desk.view.FitToWindow();
    EXPECT_DOUBLE_EQ(desk.view.GetZoom(), 10.0 / 240);
    desk.view.SetRect(0, 0, 100, 240);
    EXPECT_DOUBLE_EQ(desk.view.GetZoom(), 0.1);
    EXPECT_TRUE(desk.view.IsFitting());
    int zoomChanges = 0;
    desk.view.ZoomListener().ResetCallable([&] { ++zoomChanges; });
    EXPECT_TRUE(desk.view.OnKeyDown(0xBB, 0)); // "+"
    EXPECT_FALSE(desk.view.IsFitting());
    EXPECT_LT(desk.view.GetZoom(), 0.1);
    EXPECT_TRUE(desk.view.OnKeyDown(0x6D, 0)); // "-" on the number pad
    EXPECT_EQ(zoomChanges, 2);
    EXPECT_FALSE(desk.view.OnKeyDown('Q', 0));
}

// Windows offers any display scale: at each the overlay and the ruler draw.
TEST(Planoscope, ValueOverlayAndRulerDrawAtHighZoomAtAnyDisplayScale)
{
    for (double scale : {1.0, 1.25, 2.25, 2.5, 3.0, 3.5, 1.37}) {
        Desk desk;
        desk.panel->SetScale(scale);
        desk.view.SetImage(Pattern(40, 30));
        desk.view.SetZoom(1.0 / 64);
        desk.view.ShowRGBValues(true);
        desk.view.ShowRuler(true);
        desk.Paint();
        const std::vector<std::uint8_t> withText = desk.Frame();
        desk.view.ShowRGBValues(false);
        desk.view.ShowRuler(false);
        desk.Paint();
        EXPECT_FALSE(withText == desk.Frame()) << scale;
    }
    const auto texts = PixelValueTexts(*Pattern(40, 30), 3, 2);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_TRUE(texts[0] == String("R 47"));
    EXPECT_TRUE(texts[1] == String("G 2"));
    EXPECT_TRUE(texts[2] == String("B 3"));
}

TEST(Planoscope, TextThatDoesNotFitIsShortenedOrDropped)
{
    Desk desk;
    const SharedPtr<GUI::Font> font = desk.panel->GetFont(GUI::FontRole::Small);
    ASSERT_TRUE(font);
    const String text = "R 1234567890";
    const std::int32_t full = font->TextWidth(text);
    EXPECT_TRUE(FitText(*font, text, full) == text);
    const String shorter = FitText(*font, text, full - 1);
    EXPECT_LT(font->TextWidth(shorter), full);
    EXPECT_EQ(shorter.ToStdString().substr(shorter.Length() - 3), "...");
    EXPECT_TRUE(FitText(*font, text, 1).Empty()); // not even "..." fits: nothing, and no endless loop
}

} // namespace Brintavolex::ImageView

namespace Brintavolex::ImageView {

// A window changes the pixels on screen, not the image's: the frame shows
// the windowed copy's bytes, and without a window the fixed mapping again.
TEST(Planoscope, DisplayWindowChangesTheScreenNotTheImage)
{
    Desk desk(64, 48);
    auto image = MakeShared<Data::Image2D<std::uint16_t>>();
    image->Allocate(64, 48);
    {
        auto lock = image->Lock<std::uint16_t>();
        for (std::uint32_t y = 0; y < 48; ++y)
            for (std::uint32_t x = 0; x < 64; ++x)
                lock(x, y) = std::uint16_t(x * 1000 + y * 13);
    }
    desk.view.SetImage(image);
    desk.Paint();
    EXPECT_EQ(desk.At(10, 3).b, Data::DisplayByte(std::uint16_t(10 * 1000 + 3 * 13)));
    desk.view.SetDisplayWindow(WindowFromControls(0.2, 0.6));
    desk.Paint();
    const SharedPtr<Data::Image2DBase> windowed = ApplyDisplayWindow(*image, WindowFromControls(0.2, 0.6));
    const auto shown = windowed->LockConst<std::uint8_t>();
    const auto stored = image->LockConst<std::uint16_t>();
    int wrong = 0, changed = 0;
    for (std::int32_t y = 0; y < 48; ++y)
        for (std::int32_t x = 0; x < 64; ++x) {
            const Pixel p = desk.At(x, y);
            wrong += p.b != shown(x, y) || p.g != shown(x, y) || p.r != shown(x, y) ||
                     stored(x, y) != std::uint16_t(x * 1000 + y * 13);
            changed += p.b != Data::DisplayByte(stored(x, y));
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(changed, 64 * 48 / 2);
    desk.view.SetDisplayWindow(std::nullopt);
    desk.Paint();
    EXPECT_EQ(desk.At(10, 3).b, Data::DisplayByte(std::uint16_t(10 * 1000 + 3 * 13)));
}

} // namespace Brintavolex::ImageView
