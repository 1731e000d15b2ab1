// CCITT strips that libtiff coded, in every coding, compared bit for bit with the picture stored
// uncompressed; libtiff's fax pages against its own decoding of them; damaged data ends early.
#include "TIF/src/TIFFax.h"
#include "TIF/api/TIFDirectory.h"

#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Brintavolex::TIF {

namespace {

constexpr std::uint16_t kImageWidth = 256, kCompression = 259, kStripOffsets = 273, kStripByteCounts = 279,
                        kT4Options = 292, kT6Options = 293;

struct Strips {
    std::uint32_t width = 0;
    FaxOptions options;
    std::vector<std::string> strips;
};

Strips Read(const String &path)
{
    const std::string bytes = TestSupport::ReadBytes(path);
    MemoryStream stream(bytes.data(), bytes.size());
    const TiffStructure tiff = ReadTiffStructure(stream, ExtendedIFDSpecification);
    const auto &ifd = *tiff.ifds.at(0);
    Strips s;
    s.width = std::uint32_t(ifd.Unsigned(kImageWidth).at(0));
    const std::uint64_t compression = ifd.Unsigned(kCompression).at(0);
    s.options.coding = compression == 4   ? FaxCoding::Group4
                       : compression == 3 ? FaxCoding::Group3
                                          : FaxCoding::ModifiedHuffman;
    for (std::uint16_t tag : {kT4Options, kT6Options})
        if (!ifd.Unsigned(tag).empty())
            s.options.t4Options = ifd.Unsigned(tag).at(0);
    const std::vector<std::uint64_t> offsets = ifd.Unsigned(kStripOffsets), counts = ifd.Unsigned(kStripByteCounts);
    for (std::size_t i = 0; i < offsets.size() && i < counts.size(); ++i)
        s.strips.push_back(bytes.substr(offsets[i], counts[i]));
    return s;
}

std::string Decode(const std::string &in, std::size_t expected, std::uint32_t width, const FaxOptions &options)
{
    // A guard byte after the bound catches a write past it.
    std::string out(expected + 1, '\x5A');
    const std::size_t made = DecodeFax(reinterpret_cast<const std::uint8_t *>(in.data()), in.size(),
                                       reinterpret_cast<std::uint8_t *>(out.data()), expected, width, options);
    EXPECT_EQ(out[expected], '\x5A');
    EXPECT_LE(made, expected);
    EXPECT_EQ(made % ((width + 7u) / 8), 0u);
    return out.substr(0, std::min(made, expected));
}

String Generated(const std::string &name) { return TestSupport::GeneratedPath("fax-tiffs/" + name); }

// "" when equal, else where the rows first differ (the strings can be long).
std::string Difference(const std::string &got, const std::string &want, std::size_t rowBytes)
{
    const auto at = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    if (at.first == got.end() && at.second == want.end())
        return "";
    const std::size_t i = std::size_t(at.first - got.begin());
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size()) + ", row " +
           std::to_string(i / rowBytes) + " differs at byte " + std::to_string(i % rowBytes);
}

} // namespace

TEST(TIFFax, LibtiffStripsOfEveryCodingComeBackAndCutStripsGiveTheirRows)
{
    for (const char *picture : {"page", "narrow"}) {
        const Strips plain = Read(Generated(std::string(picture) + "-none.tif"));
        const std::size_t rowBytes = (plain.width + 7) / 8;
        for (const char *coding : {"mh", "g3", "g3-2d", "g3-fill", "g3-2d-fill", "g4"}) {
            SCOPED_TRACE(std::string(picture) + " " + coding);
            const Strips packed = Read(Generated(std::string(picture) + "-" + coding + ".tif"));
            ASSERT_EQ(packed.strips.size(), plain.strips.size());
            for (std::size_t s = 0; s < plain.strips.size(); ++s) {
                const std::string &want = plain.strips[s], &data = packed.strips[s];
                const auto decode = [&](const std::string &in, std::size_t bound) {
                    return Decode(in, bound, plain.width, packed.options);
                };
                // Room for more rows: the data's end (EOFB, RTC, its last byte) ends it.
                EXPECT_EQ(Difference(decode(data, want.size() + 2 * rowBytes), want, rowBytes), "") << "strip " << s;
                const std::size_t third = want.size() / 3;
                EXPECT_EQ(Difference(decode(data, third), want.substr(0, third - third % rowBytes), rowBytes), "");
                const std::string half = decode(data.substr(0, data.size() / 2), want.size());
                EXPECT_EQ(Difference(half, want.substr(0, half.size()), rowBytes), "");
                EXPECT_LT(half.size(), want.size());
            }
        }
    }
}

// A raw Group 3 page (EOL before each row, RTC after the last), a scanned
// Group 4 page that codes empty runs, and 2D rows after a 1D row with empty
// runs, against libtiff's decoding of them.
TEST(TIFFax, RawPagesMatchLibtiffsDecoding)
{
    const std::string g3 = TestSupport::ReadBytes(TestSupport::CachePath("libtiff-testimages/miniswhite-1c-1b.g3"));
    const Strips g3Plain = Read(Generated("g3page-none.tif"));
    ASSERT_EQ(g3Plain.strips.size(), 1u);
    constexpr std::uint32_t kFaxWidth = 1728, kFaxRows = 1728;
    const std::string rows = Decode(g3, g3Plain.strips[0].size(), kFaxWidth, FaxOptions{FaxCoding::Group3, 0});
    EXPECT_EQ(Difference(rows, g3Plain.strips[0].substr(0, kFaxRows * kFaxWidth / 8), kFaxWidth / 8), "");

    const Strips g4 = Read(TestSupport::CachePath("libtiff-testimages/testfax4.tiff"));
    const Strips g4Plain = Read(Generated("testfax4-none.tif"));
    ASSERT_EQ(g4.strips.size(), 1u);
    ASSERT_EQ(g4Plain.strips.size(), 1u);
    EXPECT_EQ(Difference(Decode(g4.strips[0], g4Plain.strips[0].size(), g4.width, g4.options), g4Plain.strips[0],
                         (g4.width + 7) / 8),
              "");

    const std::string empty = TestSupport::ReadBytes(Generated("empty-runs.g3"));
    const Strips emptyPlain = Read(Generated("empty-runs-none.tif"));
    constexpr std::size_t kEmptyRunsRowBytes = 2, kEmptyRunsRows = 2;
    EXPECT_EQ(Decode(empty, 100, 16, FaxOptions{FaxCoding::Group3, 1}),
              emptyPlain.strips.at(0).substr(0, kEmptyRunsRows * kEmptyRunsRowBytes));
}

// Garbage, runs longer than the row, cut data: whole rows or none, within
// the bound; settings that cannot be decoded are refused.
TEST(TIFFax, DamagedDataEndsEarlyOrIsRefused)
{
    const Strips page = Read(Generated("page-g4.tif")), mh = Read(Generated("page-mh.tif"));
    // The page begins with a white row of 2999 pixels: 2560 + 384 + 55.
    EXPECT_EQ(Decode(mh.strips[0], 100000, mh.width - 1, mh.options), "");
    EXPECT_EQ(Decode(mh.strips[0], 100000, 1000, mh.options), "");
    std::string garbage;
    for (std::uint32_t x = 12345; garbage.size() < 5000;) {
        x = x * 1103515245u + 12345u;
        garbage += char(x >> 24);
    }
    const FaxOptions codings[] = {
        {FaxCoding::ModifiedHuffman, 0}, {FaxCoding::Group3, 0}, {FaxCoding::Group3, 1}, {FaxCoding::Group4, 0}};
    for (const FaxOptions &options : codings)
        for (std::uint32_t width : {1u, 7u, 200u, 5000u})
            Decode(garbage, 20000, width, options);
    // An EOL, then nothing but fill to the end: 64 zero bits at once in the bit reader.
    EXPECT_EQ(Decode(std::string("\0\0\0\x01", 4) + std::string(8, '\0'), 100, 8, {FaxCoding::Group3, 0}), "");
    EXPECT_EQ(Decode(page.strips[0], 374, page.width, page.options), ""); // less than a row
    EXPECT_EQ(Thrown([&] { Decode(page.strips[0], 1000, 0, page.options); }), "DecodeFax: the image width is 0");
    EXPECT_EQ(Thrown([&] {
                  Decode(page.strips[0], 1000, 8, FaxOptions{FaxCoding::Group4, 2});
              }),
              "CCITT uncompressed mode is not supported");
}

} // namespace Brintavolex::TIF
