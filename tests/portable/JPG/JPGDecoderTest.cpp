// JPEG files against libjpeg-turbo (tests/tools/jpeg_references.py lists
// them in generated/jpeg/cases.txt): its test images, files made with cjpeg
// and jpegtran in every sampling layout, CMYK and YCCK written by libjpeg,
// lossless files of our own independent encoder, Exif orientation and
// hostile Exif segments.
#include "Data/api/Property.h"
#include "JPG/api/JPGDecoder.h"

#include "support/LoadBytes.h"
#include "support/PixelCompare.h"
#include "support/TestData.h"
#include "support/Thrown.h"
#include "this/src/Cli/PeakMemory.h"

#include <gtest/gtest.h>

#include <sstream>

namespace Brintavolex {

namespace {

using TestSupport::LoadBytes;

// One line of cases.txt of a kind: the file and the fields after it.
struct Case {
    std::string file;
    std::vector<std::string> fields;
    std::string rest;
    unsigned Number(std::size_t i) const { return unsigned(std::stoul(fields.at(i))); }
};

std::vector<Case> CasesOf(const std::string &kind)
{
    std::istringstream lines(TestSupport::ReadBytes(TestSupport::GeneratedPath("jpeg/cases.txt")));
    std::vector<Case> cases;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string word;
        Case c;
        if (!(words >> word >> c.file) || word != kind)
            continue;
        std::getline(words >> std::ws, c.rest);
        for (std::istringstream fields(c.rest); fields >> word;)
            c.fields.push_back(word);
        cases.push_back(c);
    }
    return cases;
}

std::string Generated(const std::string &name) { return TestSupport::ReadBytes(TestSupport::GeneratedPath("jpeg/" + name)); }

SharedPtr<Data::Image2DBase> Decode(const std::string &file)
{
    return LoadBytes(Generated(file), file.c_str()).image2D->GetData();
}

// Decodes file and compares it with the expected samples of the given width.
void ExpectPixels(const std::string &file, const std::vector<std::uint16_t> &expected, unsigned width,
                  Data::ColorType type, int tolerance)
{
    const SharedPtr<Data::Image2DBase> image = Decode(file);
    ASSERT_EQ(image->GetColorType(), type);
    ASSERT_EQ(image->GetWidth(), width);
    const bool grey = type == Data::ColorType::UInt16;
    EXPECT_EQ(TestSupport::CountMismatches(grey ? TestSupport::GreySamples16(*image) : TestSupport::Samples16(*image),
                                           expected, width, grey ? 16 : 8, tolerance, grey ? 1 : 4),
              0);
}

// The first property named name below property, depth first (a bounded
// depth: a hostile file's directories may name each other).
SharedPtr<IProperty> FindProperty(const SharedPtr<IProperty> &property, const String &name, int depth = 0)
{
    if (!property || depth > 8)
        return nullptr;
    for (std::uint64_t i = 0; i < property->GetCount(); ++i) {
        if (property->GetChildName(i) == name)
            return property->GetChildAt(i);
        if (SharedPtr<IProperty> found = FindProperty(property->GetChildAt(i), name, depth + 1))
            return found;
    }
    return nullptr;
}

// Reads every value of the tree, as the property tree window shows it.
std::size_t ReadAll(const SharedPtr<IProperty> &property, int depth = 0)
{
    if (!property || depth > 8)
        return 0;
    String text;
    property->GetAsString(text);
    std::size_t count = 1;
    for (std::uint64_t i = 0; i < property->GetCount(); ++i)
        count += ReadAll(property->GetChildAt(i), depth + 1);
    return count;
}

} // namespace

// Float DCT and plain upsampling in djpeg; our decoder rounds its own way.
TEST(JPGReference, HuffmanFilesMatchDjpegWithinTwo)
{
    const std::vector<Case> cases = CasesOf("reference");
    ASSERT_GE(cases.size(), 27u) << "JPEG references are missing: run tools/setup-debian.sh";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        ExpectPixels(c.file, TestSupport::Samples16(Generated(c.file + ".rgba"), 1), c.Number(0),
                     Data::ColorType::BGRAUInt8, 2);
    }
}

// jpegtran keeps the coefficients: only the transform's rounding may differ.
TEST(JPGReference, ProgressiveFilesMatchTheirBaselineWithinOne)
{
    const std::vector<Case> cases = CasesOf("progressive");
    ASSERT_GE(cases.size(), 10u);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const SharedPtr<Data::Image2DBase> baseline = Decode(c.fields.at(0));
        ExpectPixels(c.file, TestSupport::Samples16(*baseline), unsigned(baseline->GetWidth()),
                     Data::ColorType::BGRAUInt8, 1);
    }
}

TEST(JPGReference, UnsupportedProcessesAndMalformedFilesAreRefused)
{
    const std::vector<Case> cases = CasesOf("refused");
    ASSERT_GE(cases.size(), 12u);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const std::string message = Thrown([&] { Decode(c.file); });
        EXPECT_NE(message.find(c.rest), std::string::npos) << message;
    }
    const std::string eoi = "\xFF\xD9";
    EXPECT_NE(Thrown([&] { LoadBytes(eoi, "eoi.jpg").image2D->GetData(); }).find("Missing Start Of Image"),
              std::string::npos);
    // A file cut inside its scan ends with the stream's exception.
    const std::string file = Generated("s420.jpg");
    for (const std::size_t cut : {file.size() / 2, file.size() - 3}) {
        SCOPED_TRACE(cut);
        EXPECT_NE(Thrown([&] { LoadBytes(file.substr(0, cut), "cut.jpg").image2D->GetData(); }), "<none>");
    }
}

// As TIFF hands JPEG strips over: the tables in a stream of their own
// (SOI, DQT, DHT, EOI), the frame and scans without them. Same pixels.
TEST(JPGReference, TablesFromASeparateStreamDecodeTheSame)
{
    const std::string whole = Generated("s420.jpg");
    std::string tables = "\xFF\xD8", rest = "\xFF\xD8";
    std::size_t pos = 2;
    while (pos + 4 <= whole.size() && std::uint8_t(whole[pos + 1]) != 0xDA) {
        const std::size_t length = std::uint8_t(whole[pos + 2]) << 8 | std::uint8_t(whole[pos + 3]);
        const unsigned marker = std::uint8_t(whole[pos + 1]);
        (marker == 0xDB || marker == 0xC4 ? tables : rest) += whole.substr(pos, 2 + length);
        pos += 2 + length;
    }
    tables += "\xFF\xD9";
    rest += whole.substr(pos);
    const SharedPtr<Data::Image2DBase> expected = Decode("s420.jpg");
    auto decoder = MakeShared<JPGDecoder>(MakeShared<MemoryStream>(rest.data(), rest.size()),
                                          MakeShared<MemoryStream>(tables.data(), tables.size()));
    Data::Image2D<Data::ColorBGRA<std::uint8_t>> split;
    split.Allocate(expected->GetWidth(), expected->GetHeight());
    Data::CallGetRect(*DynamicPointerCast<IImage2D>(decoder->Get(0)), split, nullptr);
    EXPECT_EQ(TestSupport::Samples16(split), TestSupport::Samples16(*expected));
    EXPECT_NE(Thrown([&] { JPGDecoder(MakeShared<MemoryStream>(rest.data(), rest.size())).DecodeBasicInfo(); }), "<none>");
}

// Our encoder's files: every predictor, precisions 2 to 16, point transforms,
// restart intervals, 1, 3 and 4 components. The decoder gives back the
// samples the point transform kept, shifted back into place.
TEST(JPGLossless, EncodedSamplesComeBackExactly)
{
    std::size_t files = 0;
    for (const char *kind : {"exact", "exact16"}) {
        for (const Case &c : CasesOf(kind)) {
            SCOPED_TRACE(c.file);
            const bool deep = kind[5] == '1';
            ExpectPixels(c.file, TestSupport::Samples16(Generated(c.file + (deep ? ".grey16" : ".rgba")), deep ? 2 : 1),
                         c.Number(0), deep ? Data::ColorType::UInt16 : Data::ColorType::BGRAUInt8, 0);
            ++files;
        }
    }
    EXPECT_GE(files, 20u);
}

// The orientation is published under the Exif segment's composite; the
// pixels stay as stored (the reference test compares them unrotated).
TEST(JPGExif, OrientationIsPublished)
{
    const std::vector<Case> cases = CasesOf("orientation");
    ASSERT_EQ(cases.size(), 8u);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const LoadedItem loaded = LoadBytes(Generated(c.file), c.file.c_str());
        // The view turns the picture by what the cache reports.
        EXPECT_EQ(loaded.image2D->GetExifOrientation(), c.Number(0));
        const SharedPtr<IProperty> header = loaded.decoder->GetProperty();
        const SharedPtr<IProperty> orientation =
            FindProperty(FindProperty(header, String("APP01: Application Data")), String("Orientation"));
        ASSERT_TRUE(orientation);
        ASSERT_EQ(orientation->GetValueCount(), 1u);
        std::uint16_t value = 0;
        orientation->GetAsUInt16(&value, 0, 1);
        EXPECT_EQ(value, c.Number(0));
    }
}

// IFDs that name themselves, counts of gigabytes, offsets past the segment:
// the header tree is built or refused cleanly, without the memory the
// counts claim (the pixels are compared with djpeg's above).
TEST(JPGExif, HostileSegmentsEndCleanlyInBoundedMemory)
{
    const std::vector<Case> cases = CasesOf("hostile");
    ASSERT_GE(cases.size(), 2u);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        const LoadedItem loaded = LoadBytes(Generated(c.file), c.file.c_str());
        EXPECT_EQ(loaded.image2D->GetData()->GetWidth(), 40u);
        EXPECT_NE(Thrown([&] { ReadAll(loaded.decoder->GetProperty()); }), "");
    }
    EXPECT_LT(Cli::PeakMemoryBytes(), std::uint64_t(512) << 20);
}

} // namespace Brintavolex
