#include "BMP/api/BMPDecoder.h"
#include "this/src/Logger.h"
#include "this/src/Slot.h"

#include "support/TempFolder.h"
#include "support/TestData.h"
#include "Platform/api/String.h"

#include <gtest/gtest.h>

namespace Brintavolex {

TEST(Slot, LoadsThroughTheRegistryAndReusesItsDecoder)
{
    TestSupport::TempFolder folder;
    const std::string bytes = TestSupport::ReadBytes(TestSupport::CachePath("bmpsuite/g/pal4.bmp"));
    const String renamed = FromUTF8(folder.Write("pal4.gif", bytes));
    Slot slot(renamed, {MakeShared<FirstIndex>()});
    slot.Load(MakeShared<NullLogger>());
    EXPECT_TRUE(slot.HasWrongExtension());
    EXPECT_GT(slot.GetLastWriteTime(), 0u);
    ASSERT_TRUE(slot.GetLoaded().image2D);
    EXPECT_EQ(slot.GetLoaded().image2D->GetData()->GetWidth(), 127u);
    const IDecoder *decoder = slot.GetDecoder().Get();
    slot.Load(MakeShared<NullLogger>());
    EXPECT_EQ(slot.GetDecoder().Get(), decoder);

    Slot missing(FromUTF8(folder.File("gone.bmp")), {MakeShared<FirstIndex>()});
    EXPECT_THROW(missing.Load(MakeShared<NullLogger>()), SystemErrorException);
}

TEST(Slot, AGivenFactoryIsTheOnlyOneTried)
{
    const String path = TestSupport::CachePath("bmpsuite/g/pal4.bmp");
    SlotWithGivenFactory slot(path, {MakeShared<FirstIndex>()}, MakeShared<BMPDecoderFactory>());
    slot.Load(MakeShared<NullLogger>());
    EXPECT_FALSE(slot.HasWrongExtension());
    EXPECT_TRUE(slot.GetFactory()->GetName() == String("Brintavolex BMP Decoder"));
}

} // namespace Brintavolex
