#include "PlanoscopeWidget/api/PlanoscopeGeometry.h"
#include "PlanoscopeWidget/src/PlanoscopeRuler.h"

#include "support/GermanLocale.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace Brintavolex::ImageView {

TEST(ZoomSteps, EighthOctaveGrid)
{
    EXPECT_EQ(ZoomAfterSteps(1, -8), 2.0); // whole octaves exactly
    // Off the grid: the step is taken from the nearest grid value (b^-14 for
    // 0.3) and lands on the grid, one step further (b^-15).
    const double fromOff = ZoomAfterSteps(0.3, 1);
    EXPECT_DOUBLE_EQ(fromOff, std::pow(2.0, -15.0 / 8));
    EXPECT_DOUBLE_EQ(ZoomAfterSteps(0.3, -1), std::pow(2.0, -13.0 / 8));
    EXPECT_EQ(ZoomAfterSteps(kMinimumZoom, 5), kMinimumZoom);
    EXPECT_EQ(ZoomAfterSteps(kMaximumZoom, -5), kMaximumZoom);
}

TEST(ZoomText, FourDecimalsInAnyLocale)
{
    EXPECT_TRUE(ZoomText(1) == String("100.0000 %"));
    EXPECT_TRUE(ZoomText(1.0 / 256) == String("25600.0000 %"));
    EXPECT_TRUE(ZoomText(64) == String("1.5625 %"));
    TestSupport::GermanLocale german;
    ASSERT_TRUE(german.Active()) << german.Describe();
    EXPECT_TRUE(ZoomText(3) == String("33.3333 %"));
}

// Fitting: the view's tests, turned pictures included.
TEST(ClampPanning, FiftyPixelsInView)
{
    // An image that cannot show 50 pixels (m < 0) is centred.
    EXPECT_EQ(ClampPanning({300, -300}, 4, 4, 60, 60, 1, 0), (Vec2{0, 0}));
    // A small one may move while 50 of its screen pixels stay inside: m = 250.
    EXPECT_EQ(ClampPanning({300, -300}, 100, 100, 500, 400, 1, 0), (Vec2{250, -200}));
    // A large one keeps 50 screen pixels inside: m = 250 - 50 + 1000.
    EXPECT_EQ(ClampPanning({5000, 0}, 2000, 2000, 500, 400, 1, 0).x, 1200);
    EXPECT_EQ(Thrown([&] {
                  ClampPanning({0, 0}, 1, 1, 1, 1, 1, 45);
              }),
              "Planoscope::ClampPanning: rotation angle must be in {0,90,180,270}");
}

// The screen-to-image mapping and its inverse agree for every angle, and a
// turn of the pan keeps the image point at the view centre.
TEST(ScreenMapping, InverseAndRotationKeepTheCentre)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> any(-300, 300);
    for (int round = 0; round < 200; ++round) {
        const double z = std::pow(2.0, any(random) / 60);
        const Vec2 pan{any(random), any(random)};
        for (std::int32_t angle : {0, 90, 180, 270}) {
            const Vec2 screen{any(random) + 400, any(random) + 300};
            const Vec2 image = ImagePointAtScreen(screen, 640, 480, angle, z, pan, 10, 20, 800, 600);
            const Vec2 back = ScreenPointOfImage(image, 640, 480, angle, z, pan, 10, 20, 800, 600);
            EXPECT_NEAR(back.x, screen.x, 1e-6);
            EXPECT_NEAR(back.y, screen.y, 1e-6);
            const Vec2 centre = ImagePointAtScreen({410, 320}, 640, 480, angle, z, pan, 10, 20, 800, 600);
            for (std::int32_t next : {0, 90, 180, 270}) {
                const Vec2 turned = RotatePan(pan, angle, next);
                const Vec2 after = ImagePointAtScreen({410, 320}, 640, 480, next, z, turned, 10, 20, 800, 600);
                EXPECT_NEAR(after.x, centre.x, 1e-6);
                EXPECT_NEAR(after.y, centre.y, 1e-6);
            }
        }
    }
}

// Extents and turns: the view's tests.
TEST(ImageRectangle, NeverBelowOnePixel)
{
    const auto tiny = ImageRectangle(1, 1, 0, 64, {0, 0}, 0, 0, 400, 300);
    EXPECT_EQ(tiny.right - tiny.left, 1);
}

TEST(Ruler, StepsAndLabels)
{
    // 100 % and a 60 pixel gap: p = 10, r = 6: labels every 100, ticks every 20.
    RulerSteps s = ChooseRulerSteps(1, 30, 30);
    EXPECT_EQ(s.labelStep, 100);
    EXPECT_EQ(s.minorStep, 20);
    s = ChooseRulerSteps(1, 10, 5); // d = 15: 2p
    EXPECT_EQ(s.labelStep, 20);
    s = ChooseRulerSteps(1, 20, 20); // d = 40: 5p
    EXPECT_EQ(s.labelStep, 50);
    s = ChooseRulerSteps(1000, 20, 20); // far magnified: never below 0.1
    EXPECT_GE(s.minorStep, 0.1);
    EXPECT_TRUE(RulerLabel(1200) == String("1200"));
    EXPECT_TRUE(RulerLabel(-0.5) == String("-0.5"));
    EXPECT_TRUE(RulerLabelTemplate(5) == String("-000"));
    EXPECT_TRUE(RulerLabelTemplate(123456789) == String("-000000000"));
    EXPECT_TRUE(RulerLabelTemplate(1e14) == String("-000000000000000")); // no more throwing for 9 digits
}

} // namespace Brintavolex::ImageView
