// Strips that libtiff's tiffcp compressed with LZW, PackBits and Deflate,
// decompressed and compared with the same strips stored uncompressed; cut
// strips give a prefix of them, and no decompressor writes past its bound.
#include "TIF/api/TIFDirectory.h"
#include "TIF/src/TIFDecompression.h"
#include "TIF/src/TIFPredictor.h"

#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

namespace Brintavolex::TIF {

namespace {

constexpr std::uint16_t kStripOffsets = 273, kStripByteCounts = 279;

std::vector<std::string> Strips(const std::string &file)
{
    const std::string bytes = TestSupport::ReadBytes(TestSupport::GeneratedPath("compressed-tiffs/" + file));
    MemoryStream stream(bytes.data(), bytes.size());
    const TiffStructure tiff = ReadTiffStructure(stream, ExtendedIFDSpecification);
    const std::vector<std::uint64_t> offsets = tiff.ifds.at(0)->Unsigned(kStripOffsets);
    const std::vector<std::uint64_t> counts = tiff.ifds.at(0)->Unsigned(kStripByteCounts);
    EXPECT_EQ(offsets.size(), counts.size());
    std::vector<std::string> strips;
    for (std::size_t i = 0; i < offsets.size() && i < counts.size(); ++i)
        strips.push_back(bytes.substr(offsets[i], counts[i]));
    return strips;
}

using Decompressor = std::size_t (*)(const std::uint8_t *, std::size_t, std::uint8_t *, std::size_t);

std::string Decompress(Decompressor decompress, const std::string &in, std::size_t expected)
{
    // A guard byte after the bound catches a write past it.
    std::string out(expected + 1, '\x5A');
    const std::size_t made = decompress(reinterpret_cast<const std::uint8_t *>(in.data()), in.size(),
                                        reinterpret_cast<std::uint8_t *>(out.data()), expected);
    EXPECT_EQ(out[expected], '\x5A');
    EXPECT_LE(made, expected);
    return out.substr(0, std::min(made, expected));
}

} // namespace

TEST(TIFDecompression, LibtiffStripsComeBackAndCutStripsGiveAPrefix)
{
    const struct {
        const char *name;
        Decompressor decompress;
    } kinds[] = {{"lzw", DecodeLZW}, {"packbits", UnpackBits}, {"zip", Inflate}};
    for (const char *picture : {"noise", "ramp"}) {
        const std::vector<std::string> plain = Strips(std::string(picture) + "-none.tif");
        ASSERT_GE(plain.size(), 10u);
        for (const auto &kind : kinds) {
            SCOPED_TRACE(std::string(picture) + " " + kind.name);
            const std::vector<std::string> packed = Strips(std::string(picture) + "-" + kind.name + ".tif");
            ASSERT_EQ(packed.size(), plain.size());
            for (std::size_t s = 0; s < plain.size(); ++s) {
                EXPECT_EQ(Decompress(kind.decompress, packed[s], plain[s].size()), plain[s]) << "strip " << s;
                // A bound below the strip cuts it; a cut strip gives what it holds.
                EXPECT_EQ(Decompress(kind.decompress, packed[s], plain[s].size() / 3), plain[s].substr(0, plain[s].size() / 3));
                const std::string half = Decompress(kind.decompress, packed[s].substr(0, packed[s].size() / 2), plain[s].size());
                EXPECT_EQ(half, plain[s].substr(0, half.size()));
                EXPECT_LT(half.size(), plain[s].size());
            }
        }
    }
}

// Predictor 2 as tiffcp writes it: 8-bit RGB after LZW and Deflate, 16-bit
// grey after Deflate in both byte orders.
TEST(TIFDecompression, HorizontalDifferencingIsUndone)
{
    const struct {
        const char *picture, *compression;
        Decompressor decompress;
        unsigned samples, bits;
        bool bigEndian;
    } cases[] = {{"noise", "lzw-2", DecodeLZW, 3, 8, false}, {"ramp", "zip-2", Inflate, 3, 8, false},
                 {"deepL", "zip-2", Inflate, 1, 16, false}, {"deepB", "zip-2", Inflate, 1, 16, true}};
    constexpr std::uint32_t kWidth = 301;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.picture) + " " + c.compression);
        const std::vector<std::string> plain = Strips(std::string(c.picture) + "-none.tif");
        const std::vector<std::string> packed = Strips(std::string(c.picture) + "-" + c.compression + ".tif");
        ASSERT_EQ(packed.size(), plain.size());
        const std::size_t rowBytes = kWidth * c.samples * c.bits / 8;
        for (std::size_t s = 0; s < plain.size(); ++s) {
            std::string rows = Decompress(c.decompress, packed[s], plain[s].size());
            ASSERT_EQ(rows.size() % rowBytes, 0u);
            UndoHorizontalDifferencing(reinterpret_cast<std::uint8_t *>(rows.data()), rows.size() / rowBytes, rowBytes,
                                       kWidth, c.samples, c.bits, c.bigEndian);
            EXPECT_EQ(rows, plain[s]) << "strip " << s;
        }
    }
}

// Codes the table cannot hold yet, runs past the bound, data zlib refuses.
TEST(TIFDecompression, DamagedDataEndsEarlyOrIsRefused)
{
    const std::string lzw = "\x80\x3F\xFF\xFF\xFF"; // clear, then a code of 4095
    EXPECT_LE(Decompress(DecodeLZW, lzw, 100).size(), 1u);
    const std::string runs = std::string("\x81\x07", 2) + std::string("\x7F", 1) + "abc"; // 128 sevens, a cut literal
    EXPECT_EQ(Decompress(UnpackBits, runs, 10), std::string(10, '\x07'));
    EXPECT_EQ(Decompress(UnpackBits, runs, 1000), std::string(128, '\x07') + "abc");
    EXPECT_EQ(Thrown([] { Decompress(Inflate, "not deflate data", 64); }), "zlib uncompress Z_DATA_ERROR");
}

} // namespace Brintavolex::TIF
