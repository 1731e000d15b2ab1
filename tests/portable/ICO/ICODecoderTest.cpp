// Icons made by ImageMagick and crafted by the generator script, each entry
// against Pillow's ICO reader; bad entries fail alone; cursors; directories
// that are no icons.
#include "ICO/api/ICODecoder.h"
#include "Data/api/Property.h"
#include "Platform/api/CodecFactory.h"
#include "this/src/Logger.h"

#include "support/PixelCompare.h"
#include "support/TestData.h"
#include "support/Thrown.h"
#include "this/src/Codecs.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace Brintavolex {

namespace {

LoadedItem LoadEntry(const std::string &file, const SharedPtr<IndexType> &index)
{
    UseApplicationCodecs();
    const String path = TestSupport::GeneratedPath("icons/" + file);
    return LoadFromStream(MakeShared<FileStream>(path), path, {index}, MakeShared<NullLogger>());
}

// Mismatching samples of entry i against Pillow's picture; 16-bit entries
// on their high byte, as Pillow keeps them.
int MismatchesAgainstPillow(const std::string &file, std::uint64_t i, const std::string &referenceFile)
{
    const std::string stem = "icons/" + referenceFile + "." + std::to_string(i);
    unsigned width = 0, height = 0;
    const std::string size = TestSupport::ReadBytes(TestSupport::GeneratedPath(stem + ".size"));
    EXPECT_EQ(std::sscanf(size.c_str(), "%u %u", &width, &height), 2);
    const std::string rgba = TestSupport::ReadBytes(TestSupport::GeneratedPath(stem + ".rgba"));
    const SharedPtr<Data::Image2DBase> image = LoadEntry(file, MakeShared<ZeroBasedIndex>(i)).image2D->GetData();
    EXPECT_EQ(image->GetWidth() * 100000 + image->GetHeight(), width * 100000ull + height);
    SCOPED_TRACE("entry " + std::to_string(i));
    return TestSupport::CountMismatches(TestSupport::Samples16(*image), TestSupport::Samples16(rgba, 1), width, 8);
}

String TextOf(const SharedPtr<IProperty> &property)
{
    String text;
    property->GetAsString(text);
    return text;
}

} // namespace

// 1-, 4-, 8-bit entries through their masks, 32-bit ones through their
// alpha, the PNG entry through the PNG decoder; every bitmap's stored height
// is twice its picture's.
TEST(ICODecoder, EveryEntryMatchesPillow)
{
    const LoadedItem multi = LoadEntry("multi.ico", MakeShared<DefaultIndex>());
    ASSERT_EQ(multi.decoder->GetCount(), 6u);
    EXPECT_EQ(multi.decoder->GetDefaultIndex(), 5u) << "the 256 x 256 entry";
    EXPECT_EQ(multi.image2D->GetData()->GetWidth(), 256u);
    for (std::uint64_t i = 0; i < 6; ++i)
        EXPECT_EQ(MismatchesAgainstPillow("multi.ico", i, "multi.ico"), 0);
    // A 24-bit entry with a mask, and a 32-bit one with alpha 0 everywhere
    // that falls back to its mask.
    for (std::uint64_t i = 0; i < 2; ++i)
        EXPECT_EQ(MismatchesAgainstPillow("crafted.ico", i, "crafted.ico"), 0);
}

TEST(ICODecoder, BadEntriesFailAloneAndCursorsKeepTheirHotSpots)
{
    for (const char *file : {"crafted.ico", "crafted.cur"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(Thrown([&] { LoadEntry(file, MakeShared<ZeroBasedIndex>(2)); }),
                  "the bitmap of this entry is shorter than its header");
        EXPECT_EQ(Thrown([&] { LoadEntry(file, MakeShared<ZeroBasedIndex>(3)); }),
                  "the image of this entry lies beyond the end of the file");
    }
    // The cursor holds the icon's bytes: the same pictures.
    for (std::uint64_t i = 0; i < 2; ++i)
        EXPECT_EQ(MismatchesAgainstPillow("crafted.cur", i, "crafted.ico"), 0);
    const LoadedItem cursor = LoadEntry("crafted.cur", MakeShared<DefaultIndex>());
    const SharedPtr<IProperty> headers = cursor.decoder->GetProperty();
    EXPECT_EQ(TextOf(headers->GetChild("ICONDIR")->GetChild("idType")), String("Cursor"));
    EXPECT_EQ(headers->GetChild("ICONDIR")->GetChild("idCount")->GetUInt16(), 4);
    EXPECT_EQ(headers->GetChild("ICONDIRENTRY[1]")->GetChild("wPlanes")->GetUInt16(), 4);
    EXPECT_EQ(headers->GetChild("ICONDIRENTRY[1]")->GetChild("wBitCount")->GetUInt16(), 6);
}

TEST(ICODecoder, DirectoriesThatAreNoIconsAreRefused)
{
    auto open = [](std::string bytes) {
        return Thrown([&] { ICODecoder(MakeShared<MemoryStream>(bytes.data(), bytes.size())); });
    };
    EXPECT_EQ(open(std::string("\0\0\3\0\1\0", 6) + std::string(16, '\0')), "not an icon or cursor file");
    EXPECT_EQ(open(std::string("\1\0\1\0\1\0", 6) + std::string(16, '\0')), "not an icon or cursor file");
    EXPECT_EQ(open(std::string("\0\0\1\0", 4)), "not an icon or cursor file");
    EXPECT_EQ(open(std::string("\0\0\1\0\0\0", 6)), "empty container!");
    EXPECT_EQ(open(std::string("\0\0\2\0\xFF\xFF", 6) + std::string(16, '\0')),
              "the icon directory is longer than the file");
}

} // namespace Brintavolex
