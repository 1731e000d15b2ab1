// The brightness/contrast state, the histogram's edge cases and the save
// name; bins, graphs and windowed bytes of every pixel type are compared
// with numpy by the reference test.
#include "Data/api/UserRepresentation.h"
#include "PlanoscopeWidget/api/BrightnessContrast.h"
#include "PlanoscopeWidget/api/Histogram.h"
#include "PlanoscopeWidget/api/SaveImageName.h"
#include "Platform/api/Threading.h"

#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace Brintavolex::ImageView {

TEST(BrightnessContrast, RelationsStayFiniteAtBothEndsOfTheSliders)
{
    const DisplayWindow neutral = WindowFromControls(0, 0);
    EXPECT_EQ(neutral.lo, 0);
    EXPECT_EQ(neutral.hi, 1);
    EXPECT_NEAR(WindowFromControls(0.1, 0.5).hi - WindowFromControls(0.1, 0.5).lo, 1 / std::tan(1.5 * kQuarterPi), 1e-15);
    for (const double b : {-1.0, 0.0, 1.0})
        for (const double c : {-1.0, 1.0}) {
            const DisplayWindow w = WindowFromControls(b, c);
            EXPECT_TRUE(std::isfinite(w.lo) && std::isfinite(w.hi)) << b << " " << c;
            for (const double n : {-double(INFINITY), -1.0, 0.0, 0.5 - b, 0.7, 1.0, double(INFINITY), double(NAN)}) {
                const double shown = w.Apply(n);
                EXPECT_TRUE(shown >= 0 && shown <= 1) << b << " " << c << " " << n;
            }
        }
    // The flattest window shows everything mid-grey; the steepest a threshold.
    EXPECT_NEAR(WindowFromControls(0, -1).Apply(1), 0.5, 1e-6);
    EXPECT_EQ(WindowFromControls(0, 1).Apply(0.5), 1);
    EXPECT_EQ(WindowFromControls(0, 1).Apply(0.49), 0);
    EXPECT_EQ(ContrastFromPoints(0.3, 0.3), 1);

    std::mt19937 random(5);
    std::uniform_real_distribution<double> control(-0.99, 0.99);
    for (int i = 0; i < 2000; ++i) {
        const double b = control(random), c = control(random);
        const DisplayWindow w = WindowFromControls(b, c);
        ASSERT_NEAR(BrightnessFromPoints(w.lo, w.hi), b, 1e-12);
        ASSERT_NEAR(ContrastFromPoints(w.lo, w.hi), c, 1e-9);
    }
}

TEST(BrightnessContrast, FieldsSwapIgnoreNaNAndNotifyOnlyWhatChanged)
{
    auto image = MakeShared<Data::Image2D<std::uint8_t>>();
    image->Allocate(4, 4);
    Data::AttachUserRepresentation(*image);
    PlanoscopeBrightnessContrast state;
    state.SetImage(image);
    std::vector<PlanoscopeBrightnessContrast::Changes> told;
    state.ChangeListener().ResetCallable([&told](const PlanoscopeBrightnessContrast::Changes &c) { told.push_back(c); });

    state.SetUserPoints(200, 100);
    EXPECT_DOUBLE_EQ(state.UserBlackPoint(), 100);
    EXPECT_DOUBLE_EQ(state.UserWhitePoint(), 200);
    EXPECT_DOUBLE_EQ(state.Brightness(), 0.5 - 150.0 / 255);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].brightness && told[0].contrast && told[0].points);

    state.SetUserPoints(NAN, 220);
    EXPECT_DOUBLE_EQ(state.UserBlackPoint(), 100);
    EXPECT_DOUBLE_EQ(state.UserWhitePoint(), 220);
    state.SetUserPoints(100, 220); // nothing changes: nobody is told
    state.SetBrightness(NAN);
    EXPECT_EQ(told.size(), 2u);

    state.MoveBlackPoint(5); // never past the white point
    EXPECT_EQ(state.Window().lo, state.Window().hi);
    EXPECT_EQ(state.Contrast(), 1);
    state.MoveWhitePoint(-5);
    EXPECT_EQ(state.Window().lo, state.Window().hi);

    told.clear();
    state.ResetContrast();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_TRUE(told[0].contrast && told[0].points && !told[0].brightness);
    state.Reset();
    EXPECT_TRUE(state.IsNeutral() && state.Window().IsIdentity());
    state.SetContrast(7); // sliders end at 1
    EXPECT_EQ(state.Contrast(), 1);
}

TEST(Histogram, GraphEdgesErrorsAndWorkerIndependence)
{
    HistogramBins bins;
    bins.channels = 1;
    bins.pixelCount = 1000;
    bins.counts[10][0] = 9;
    bins.counts[20][0] = 400;
    constexpr std::uint32_t h = 100;
    const auto top = [&](const std::vector<std::uint8_t> &g, std::uint32_t x) {
        std::uint32_t y = 0;
        while (y < h && g[(std::size_t(y) * 256 + x) * 4] == 0)
            ++y;
        return h - y; // rows touched from the bottom
    };
    const auto relative = UpdateHistogramFromBins(bins, 256, h, HistogramScaling::Linear, HistogramNormalization::Relative);
    EXPECT_EQ(top(relative, 20), h);
    EXPECT_EQ(relative[(0 * 256 + 20) * 4], 255);
    const auto log = UpdateHistogramFromBins(bins, 256, h, HistogramScaling::Log10, HistogramNormalization::Absolute);
    EXPECT_EQ(top(log, 10), std::uint32_t(std::ceil(h * 1 / std::log10(1001.0))));
    EXPECT_EQ(top(log, 11), 0u);

    EXPECT_EQ(Thrown([] { HistogramComputation(nullptr); }), "HistogramComputation: inputImage is nullptr");
    EXPECT_EQ(Thrown([&] { UpdateHistogramFromBins(bins, 300, h, {}, {}); }),
              "UpdateHistogramFromBins: width must be 256 or 512");
    EXPECT_EQ(Thrown([] { HistogramComputation(Data::CreateImage2D(Data::ColorType::RGBAFloat32)); }),
              "unknown color type");

    // The same bins however the rows are shared out.
    auto image = MakeShared<Data::Image2D<Data::ColorBGRA<std::uint8_t>>>();
    image->Allocate(333, 77);
    auto lock = image->Lock<Data::ColorBGRA<std::uint8_t>>();
    std::mt19937 random(9);
    for (std::uint32_t y = 0; y < 77; ++y)
        for (std::uint32_t x = 0; x < 333; ++x)
            lock(x, y) = {std::uint8_t(random()), std::uint8_t(random() % 7), 200, std::uint8_t(random())};
    lock.Release();
    ParallelLoop::SetProcessorCount(1);
    const HistogramBins one = HistogramComputation(image).Bins();
    ParallelLoop::SetProcessorCount(5);
    const HistogramBins five = HistogramComputation(image).Bins();
    ParallelLoop::SetProcessorCount(0);
    EXPECT_EQ(one.counts, five.counts);
    EXPECT_EQ(one.counts[200][2], 333.0 * 77);
}

TEST(SaveImageName, MarksDisplayedPixelsOnly)
{
    using Data::ColorType;
    EXPECT_EQ(ProposedSaveName(u"C:\\pics\\photo.jpg", u".png", false, ColorType::BGRAUInt8), u"photo.png");
    EXPECT_EQ(ProposedSaveName(u"/a.b/photo.tar.tif", u".bmp", true, ColorType::UInt16), u"photo.tar_LUT_.bmp");
    EXPECT_EQ(ProposedSaveName(u"scan", u".png", false, ColorType::Float32), u"scan_LUT_.png");
    EXPECT_EQ(ProposedSaveName(u"dir\\.hidden", u".png", false, ColorType::UInt8), u".hidden.png");
    EXPECT_EQ(ProposedSaveName(u"", u".bmp", false, ColorType::BGRAFloat64), u"Image_LUT_.bmp");
}

} // namespace Brintavolex::ImageView
