// PngSuite (from Debian's libspng sources, fetched by the set-up script)
// against Pillow, whose PNG reader shares no code with libpng; corrupt files,
// stream failures inside libpng, the header composite and the fallback.
#include "Data/api/PngEncoder.h"
#include "Data/api/Property.h"
#include "PNG/api/PNGDecoder.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/DecodeLimit.h"

#include "support/LoadBytes.h"
#include "support/PixelCompare.h"
#include "support/TestData.h"
#include "support/Thrown.h"
#include "this/src/Cli/PeakMemory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

namespace Brintavolex {

namespace {

using TestSupport::LoadBytes;

std::vector<std::string> SuiteFiles(bool corrupt)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry :
         std::filesystem::directory_iterator(std::string(BRINTAVOLEX_TEST_CACHE) + "/pngsuite", error)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && (name[0] == 'x') == corrupt)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string SuiteBytes(const std::string &name) { return TestSupport::ReadBytes(TestSupport::CachePath("pngsuite/" + name)); }

String TextOf(const SharedPtr<IProperty> &property)
{
    String text;
    property->GetAsString(text);
    return text;
}

} // namespace

// Pillow keeps 16 bits of grey but only the high byte of 16-bit colour; the
// .size file says how many bits to compare.
TEST(PNGSuite, ValidFilesMatchPillow)
{
    const std::vector<std::string> files = SuiteFiles(false);
    ASSERT_GE(files.size(), 150u) << "PngSuite is missing: run tools/setup-debian.sh";
    for (const std::string &name : files) {
        SCOPED_TRACE(name);
        unsigned width = 0, height = 0, depth = 0, precision = 0;
        const std::string size = TestSupport::ReadBytes(TestSupport::GeneratedPath("pngsuite-pillow/" + name + ".size"));
        ASSERT_EQ(std::sscanf(size.c_str(), "%u %u %u %u", &width, &height, &depth, &precision), 4);
        const std::string reference =
            TestSupport::ReadBytes(TestSupport::GeneratedPath("pngsuite-pillow/" + name + ".rgba"));
        const LoadedItem loaded = LoadBytes(SuiteBytes(name), name.c_str());
        const SharedPtr<Data::Image2DBase> image = loaded.image2D->GetData();
        EXPECT_EQ(image->GetColorType(), depth == 16 ? Data::ColorType::BGRAUInt16 : Data::ColorType::BGRAUInt8);
        ASSERT_EQ(image->GetWidth() * 100000 + image->GetHeight(), width * 100000ull + height);
        EXPECT_EQ(TestSupport::CountMismatches(TestSupport::Samples16(*image), TestSupport::Samples16(reference, 2),
                                               width, precision),
                  0);
    }
}

TEST(PNGSuite, CorruptFilesAreRefusedWithAReason)
{
    const std::vector<std::string> files = SuiteFiles(true);
    ASSERT_GE(files.size(), 10u);
    for (const std::string &name : files) {
        SCOPED_TRACE(name);
        const std::string message = Thrown([&] { LoadBytes(SuiteBytes(name), name.c_str()).image2D->GetData(); });
        EXPECT_NE(message, "<none>");
        EXPECT_NE(message, "");
    }
}

// A stream that fails inside libpng's read callback: the stream's own
// exception comes out, after libpng has returned; a cut file ends the same.
TEST(PNGDecoder, StreamFailuresInsideLibpngComeOutUnchanged)
{
    const std::string file = SuiteBytes("basn2c08.png");
    for (const std::size_t cut : {std::size_t(20), std::size_t(40), file.size() - 20}) {
        SCOPED_TRACE(cut);
        auto decoder = MakeShared<PNGDecoder>(MakeShared<MemoryStream>(file.data(), cut));
        std::vector<Data::ColorBGRA<std::uint8_t>> pixels(32 * 32);
        try {
            decoder->Decode(pixels.data(), 32, 32, nullptr);
            ADD_FAILURE() << "a cut file decoded";
        } catch (const std::runtime_error &e) {
            EXPECT_STREQ(e.what(), "end of stream");
        }
    }
    const std::string gif = "GIF89a\x01\x00\x01\x00\x00\x00\x00;";
    EXPECT_EQ(Thrown([&] { PNGDecoder(MakeShared<MemoryStream>(gif.data(), gif.size())).DecodeBasicInfo(); }),
              "Not a PNG file");
    ScopedDecodeLimit limit(4095);
    EXPECT_NE(Thrown([&] { LoadBytes(SuiteBytes("basn0g01.png"), "a.png"); }).find("decode limit"), std::string::npos);
}

// Our encoder's files back through the decoder, every bit of 16-bit samples
// in machine order and 8-bit ones unchanged.
TEST(PNGDecoder, EncodedPicturesComeBackExactly)
{
    std::mt19937 random(7);
    Data::Image2D<Data::ColorBGRA<std::uint16_t>> deep;
    deep.Allocate(37, 11);
    Data::Image2D<Data::ColorBGRA<std::uint8_t>> shallow;
    shallow.Allocate(5, 3);
    {
        auto lock = deep.Lock<Data::ColorBGRA<std::uint16_t>>(Data::LockWritable);
        for (std::uint64_t y = 0; y < 11; ++y)
            for (std::uint64_t x = 0; x < 37; ++x)
                lock(x, y) = {std::uint16_t(random()), std::uint16_t(random()), std::uint16_t(random()),
                              std::uint16_t(random())};
        auto small = shallow.Lock<Data::ColorBGRA<std::uint8_t>>(Data::LockWritable);
        for (std::uint64_t y = 0; y < 3; ++y)
            for (std::uint64_t x = 0; x < 5; ++x)
                small(x, y) = {std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random()), 255};
    }
    for (const Data::Image2DBase *original : {static_cast<const Data::Image2DBase *>(&deep),
                                              static_cast<const Data::Image2DBase *>(&shallow)}) {
        const SharedPtr<Data::Image2DBase> decoded = LoadBytes(Data::EncodePng(*original), "x.png").image2D->GetData();
        EXPECT_EQ(decoded->GetColorType(), original->GetColorType());
        EXPECT_EQ(TestSupport::Samples16(*decoded), TestSupport::Samples16(*original));
    }
}

TEST(PNGDecoder, HeaderCompositeAndWrongExtension)
{
    const LoadedItem loaded = LoadBytes(SuiteBytes("tbbn3p08.png"), "picture.bmp");
    EXPECT_TRUE(loaded.wrongExtension);
    EXPECT_EQ(loaded.factory->GetName(), String("Brintavolex PNG Decoder"));
    const SharedPtr<IProperty> header = loaded.decoder->GetProperty();
    EXPECT_TRUE(header->GetChild("valid")->GetChild("PLTE")->GetBool());
    EXPECT_TRUE(header->GetChild("valid")->GetChild("tRNS")->GetBool());
    EXPECT_EQ(header->GetChild("bit_depth")->GetUInt8(), 8);
    EXPECT_EQ(header->GetChild("color_type")->GetUInt8(), 3);
    EXPECT_EQ(header->GetChild("num_palette")->GetUInt16(), header->GetChild("palette")->GetCount());
    EXPECT_EQ(header->GetChild("trans_alpha")->GetValueCount(), std::uint64_t(header->GetChild("num_trans")->GetSInt32()));
    EXPECT_EQ(TextOf(header->GetChild("row_pointers")), String("<not implemented>"));
    EXPECT_EQ(TextOf(header->GetChild("hist")), String("[]"));
    const SharedPtr<IProperty> texts = LoadBytes(SuiteBytes("ct1n0g04.png"), "t.png").decoder->GetProperty();
    EXPECT_GT(texts->GetChild("num_text")->GetSInt32(), 0);
    EXPECT_EQ(TextOf(texts->GetChild("text")->GetChild("[0]")->GetChild("key")), String("Title"));
}

// What the fuzzers found (PNG and ICO): a picture or a clean error, and no
// allocation of the sizes the files claim.
TEST(PNGDecoder, FuzzFindingsEndCleanlyInBoundedMemory)
{
    std::size_t files = 0;
    for (const char *folder : {"png/fuzz", "ico/fuzz"}) {
        std::error_code error;
        for (const auto &entry :
             std::filesystem::directory_iterator(std::string(BRINTAVOLEX_TEST_DATA) + "/" + folder, error)) {
            SCOPED_TRACE(entry.path().string());
            const std::string bytes = TestSupport::ReadBytes(TestSupport::DataPath(folder + ("/" + entry.path().filename().string())));
            const std::string name = folder[0] == 'p' ? "f.png" : "f.ico";
            const std::string message = Thrown([&] { LoadBytes(bytes, name.c_str()).image2D->GetData(); });
            EXPECT_NE(message, "");
            ++files;
        }
    }
    EXPECT_GE(files, 1u);
    EXPECT_LT(Cli::PeakMemoryBytes(), std::uint64_t(512) << 20);
}

} // namespace Brintavolex
