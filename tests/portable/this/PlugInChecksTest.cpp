// What a plug-in answers is checked like data from a file.
#include "this/src/PlugIn.h"

#include "Root/api/Exception.h"

#include <gtest/gtest.h>

#include <limits>

namespace Brintavolex {

TEST(PlugInChecks, RangesNeverWrapAround)
{
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    EXPECT_TRUE(PlugIn::RangeFits(0, 4, 4));
    EXPECT_TRUE(PlugIn::RangeFits(4, 0, 4));
    EXPECT_TRUE(PlugIn::RangeFits(1, 3, 4));
    EXPECT_FALSE(PlugIn::RangeFits(1, 4, 4));
    EXPECT_FALSE(PlugIn::RangeFits(5, 0, 4));
    EXPECT_FALSE(PlugIn::RangeFits(max, 2, 4));
    EXPECT_FALSE(PlugIn::RangeFits(2, max, 4));
    EXPECT_FALSE(PlugIn::RangeFits(max, 2, max));
    EXPECT_TRUE(PlugIn::RangeFits(max - 2, 2, max));
    EXPECT_FALSE(PlugIn::RangeFits(0, 1, 0));
}

// The messages and the refusals in action: the plug-in tests under Wine.
TEST(PlugInChecks, BasicInformationAndBuffers)
{
    Data::BasicInfo info;
    info.width = 10, info.height = 5, info.colorType = Data::ColorType::RGBAFloat32;
    info.allocatedWidth = 10, info.allocatedHeight = 8;
    EXPECT_NO_THROW(PlugIn::CheckBasicInfo("X::Y", info));
    info.allocatedWidth = 0, info.allocatedHeight = 4;
    EXPECT_THROW(PlugIn::CheckBasicInfo("X::Y", info), Exception);
    info.allocatedHeight = 0, info.colorType = Data::ColorType(49);
    EXPECT_THROW(PlugIn::CheckBasicInfo("X::Y", info), Exception);

    Data::BasicInfo3D volume;
    volume.width = volume.height = volume.depth = 2;
    EXPECT_THROW(PlugIn::CheckBasicInfo3D("V", volume), Exception);
    volume.colorType = Data::ColorType::Float64;
    EXPECT_NO_THROW(PlugIn::CheckBasicInfo3D("V", volume));

    EXPECT_TRUE(PlugIn::BufferHolds(10, 5, 10, 5));
    EXPECT_FALSE(PlugIn::BufferHolds(10, 5, 9, 8));
    EXPECT_FALSE(PlugIn::BufferHolds(10, 5, 64, 4));
}

} // namespace Brintavolex
