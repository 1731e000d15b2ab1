// What the reference test (tests/tools/display_mapping_reference.py) cannot
// reach: it covers every type and value of the images it maps.
#include "Data/api/DisplayBytes.h"
#include "Data/api/Image2D.h"

#include <gtest/gtest.h>

namespace Brintavolex::Data {

TEST(DisplayBytes, NormalisedValuesNeverWrapAndRgbaHasNoMapping)
{
    EXPECT_EQ(DisplayByteFromNormalized(-1e300), 0);
    EXPECT_EQ(DisplayByteFromNormalized(1e300), 255);
    Image2D<ColorRGBA<float>> rgba;
    rgba.Allocate(1, 1);
    std::uint8_t out[4] = {};
    EXPECT_FALSE(ConvertToDisplayBytes(rgba, out, 4));
}

} // namespace Brintavolex::Data
