#include "Data/api/UserRepresentation.h"
#include "Data/api/Image2D.h"
#include "Platform/api/MinimumMaximum.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>

namespace Brintavolex::Data {

TEST(DefaultImageUserRepresentation, NominalRangesSpanZeroToOne)
{
    const struct {
        ColorType type;
        double minimum, maximum;
    } cases[] = {
        {ColorType::SInt8, -128, 127},
        {ColorType::BGRAUInt8, 0, 255},
        {ColorType::SInt16, -32768, 32767},
        {ColorType::BGRAUInt16, 0, 65535},
        {ColorType::SInt32, -2147483648.0, 2147483647.0},
        {ColorType::UInt32, 0, 4294967295.0},
        {ColorType::BGRASInt64, -9223372036854775808.0, 9223372036854775808.0},
        {ColorType::UInt64, 0, 18446744073709551616.0},
    };
    for (const auto &c : cases) {
        DefaultImageUserRepresentation r(c.type);
        EXPECT_EQ(r.GetNormalizedFloatFromUserValue(c.minimum), 0.0) << int(c.type);
        EXPECT_EQ(r.GetNormalizedFloatFromUserValue(c.maximum), 1.0) << int(c.type);
        EXPECT_EQ(r.GetUserValueFromNormalizedFloatValue(0.0), c.minimum);
        EXPECT_EQ(r.GetUserValueFromNormalizedFloatValue(1.0), c.maximum);
        EXPECT_EQ(r.GetPixelValueFromUserValue(17.25), 17.25);
    }
    EXPECT_EQ(
        Thrown([&] { DefaultImageUserRepresentation(ColorType::RGBAFloat32).GetNormalizedFloatFromUserValue(0); }),
        "Brintavolex::Data::DefaultImageUserRepresentation::GetNormalizedFloatFromUserValue");
}

TEST(ImageUserRepresentationFromMinMaxValues, RangesRelateStoredAndShownValues)
{
    // Stored 0..4095 shown as -1..1.
    ImageUserRepresentationFromMinMaxValues mapped(-1, 1, 0, 4095);
    EXPECT_DOUBLE_EQ(mapped.GetUserValueFromPixelValue(4095), 1);
    EXPECT_DOUBLE_EQ(mapped.GetUserValueFromPixelValue(0), -1);
    EXPECT_DOUBLE_EQ(mapped.GetPixelValueFromUserValue(0), 2047.5);
    EXPECT_DOUBLE_EQ(mapped.GetUserValueFromNormalizedFloatValue(0.75), 0.5);
    // Ranges without width (one value everywhere) stay finite.
    ImageUserRepresentationFromMinMaxValues flat(7, 7, 3, 3);
    EXPECT_EQ(flat.GetNormalizedFloatFromUserValue(7), 0.0);
    EXPECT_EQ(flat.GetNormalizedFloatFromUserValue(8), 1.0);
    EXPECT_TRUE(std::isfinite(flat.GetUserValueFromPixelValue(3)));
    EXPECT_TRUE(std::isfinite(flat.GetPixelValueFromUserValue(9)));
}

namespace {
template <class P> SharedPtr<Image2D<P>> Filled(std::initializer_list<P> values)
{
    auto image = MakeShared<Image2D<P>>();
    image->Allocate(values.size(), 1);
    auto lock = image->template Lock<P>();
    std::uint64_t x = 0;
    for (const P &v : values)
        lock(x++, 0) = v;
    return image;
}

ImageUserRepresentationFromMinMaxValues &Attached(Image2DBase &image)
{
    return dynamic_cast<ImageUserRepresentationFromMinMaxValues &>(*image.GetUserRepresentation());
}
} // namespace

// Ranges measured from float data are compared with numpy's by the display
// mapping's reference test.
TEST(AttachUserRepresentation, RangesFromTheTypeOrTheHints)
{
    auto bytes = Filled<std::uint8_t>({1, 2});
    EXPECT_NE(dynamic_cast<DefaultImageUserRepresentation *>(bytes->GetUserRepresentation().Get()), nullptr);
    AttachUserRepresentation(*bytes);
    EXPECT_EQ(Attached(*bytes).PixelMinimum(), 0);
    EXPECT_EQ(Attached(*bytes).PixelMaximum(), 255);

    // Hints from the item win; a user range that is no range is ignored.
    auto hinted = Filled<std::uint16_t>({7});
    AttachUserRepresentation(*hinted, ValueRangeHints{0.0, 4095.0, 5.0, 5.0});
    EXPECT_EQ(Attached(*hinted).PixelMaximum(), 4095);
    EXPECT_EQ(Attached(*hinted).UserMaximum(), 4095);
}

} // namespace Brintavolex::Data
