// The display mapping's fixed points; the reference test
// (tests/tools/display_mapping_reference.py) covers every type and value.
#include "Data/api/DisplayBytes.h"
#include "Data/api/Image2D.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Brintavolex::Data {

TEST(DisplayBytes, NominalRangesAndFloatsMeetTheirBytes)
{
    EXPECT_EQ(DisplayByte(std::int8_t(-128)), 0);
    EXPECT_EQ(DisplayByte(std::int8_t(127)), 255);
    EXPECT_EQ(DisplayByte(std::int8_t(0)), 128); // (128 / 255) * 255 + 0.5
    EXPECT_EQ(DisplayByte(std::uint16_t(65535)), 255);
    EXPECT_EQ(DisplayByte(std::int64_t(std::numeric_limits<std::int64_t>::max())), 255);
    EXPECT_EQ(DisplayByte(std::uint64_t(0)), 0);
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(DisplayByte(std::nanf("")), 0);
    EXPECT_EQ(DisplayByte(-inf), 0);
    EXPECT_EQ(DisplayByte(inf), 255);
    EXPECT_EQ(DisplayByte(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(DisplayByte(0.5 / 255.0), 1);
    EXPECT_EQ(DisplayByte(std::nextafter(0.5 / 255.0, 0.0)), 0);
    // Out-of-range normalised values never wrap around.
    EXPECT_EQ(DisplayByteFromNormalized(-1e300), 0);
    EXPECT_EQ(DisplayByteFromNormalized(1e300), 255);
}

TEST(DisplayBytes, ImagesConvertPixelByPixelAndRgbaHasNoMapping)
{
    Image2D<ColorBGRA<float>> colour;
    colour.Allocate(2, 1);
    {
        auto lock = colour.Lock<ColorBGRA<float>>();
        lock(0, 0) = {0.0f, 0.5f, 1.0f, 2.0f};
        lock(1, 0) = {std::nanf(""), -1.0f, 0.25f, 0.0f};
    }
    std::uint8_t out[2 * 4 + 4] = {};
    ASSERT_TRUE(ConvertToDisplayBytes(colour, out, 8));
    const std::uint8_t expected[8] = {0, 128, 255, 255, 0, 0, 64, 0};
    EXPECT_TRUE(std::equal(expected, expected + 8, out));

    Image2D<std::int16_t> grey;
    grey.Allocate(1, 2);
    {
        auto lock = grey.Lock<std::int16_t>();
        lock(0, 0) = -32768;
        lock(0, 1) = 32767;
    }
    std::uint8_t rows[2][8] = {};
    ASSERT_TRUE(ConvertToDisplayBytes(grey, rows[0], 8));
    EXPECT_EQ(rows[0][0], 0);
    EXPECT_EQ(rows[0][3], 255);
    EXPECT_EQ(rows[1][0], 255);
    EXPECT_EQ(rows[1][2], 255);

    Image2D<ColorRGBA<float>> rgba;
    rgba.Allocate(1, 1);
    EXPECT_FALSE(ConvertToDisplayBytes(rgba, out, 4));
}

} // namespace Brintavolex::Data
