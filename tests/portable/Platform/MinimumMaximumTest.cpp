#include "Platform/api/MinimumMaximum.h"
#include "Platform/api/Threading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace Brintavolex::Data {

namespace {

// Fills a random image with a few NaN and infinite values and checks the
// scan against a plain loop over every counted component.
template <class P, class C> void CheckAgainstBruteForce(std::mt19937 &random, std::uint64_t w, std::uint64_t h)
{
    constexpr int components = IsBGRA<P>::value ? 4 : 1;
    Image2D<P> image;
    image.Allocate(w, h);
    std::uniform_real_distribution<double> value(-1000, 1000);
    std::uniform_int_distribution<int> special(0, 50);
    double expectedMin = std::numeric_limits<double>::infinity(), expectedMax = -expectedMin;
    {
        auto lock = image.template Lock<P>();
        for (std::uint64_t y = 0; y < h; ++y)
            for (std::uint64_t x = 0; x < w; ++x) {
                C *channel = reinterpret_cast<C *>(&lock(x, y));
                for (int c = 0; c < components; ++c) {
                    C v = C(value(random));
                    const int s = special(random);
                    if (s == 0)
                        v = std::numeric_limits<C>::quiet_NaN();
                    else if (s == 1 && w * h < 50)
                        v = std::numeric_limits<C>::infinity() * (c % 2 ? 1 : -1);
                    channel[c] = v;
                    const bool counted = components == 1 || c < 3; // alpha does not count
                    if (counted && !std::isnan(v)) {
                        expectedMin = std::min(expectedMin, double(v));
                        expectedMax = std::max(expectedMax, double(v));
                    }
                }
            }
    }
    const MinimumMaximum result = ComputeMinimumMaximum(image);
    EXPECT_EQ(result.found, expectedMin <= expectedMax);
    if (result.found) {
        EXPECT_EQ(result.minimum, expectedMin) << w << "x" << h;
        EXPECT_EQ(result.maximum, expectedMax) << w << "x" << h;
    }
}

} // namespace

TEST(MinimumMaximum, MatchesABruteForceScanWithNaNAndInfinities)
{
    std::mt19937 random(99);
    for (unsigned processors : {1u, 2u, 8u}) {
        ParallelLoop::SetProcessorCount(processors);
        for (auto [w, h] : {std::pair<std::uint64_t, std::uint64_t>{1, 1}, {3, 2}, {7, 5}, {33, 17}, {130, 9}}) {
            CheckAgainstBruteForce<float, float>(random, w, h);
            CheckAgainstBruteForce<double, double>(random, w, h);
            CheckAgainstBruteForce<ColorBGRA<float>, float>(random, w, h);
            CheckAgainstBruteForce<ColorBGRA<double>, double>(random, w, h);
        }
    }
    ParallelLoop::SetProcessorCount(0);
}

} // namespace Brintavolex::Data
