#include "BMP/api/BMPDecoder.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/DecodeLimit.h"
#include "this/src/Logger.h"

#include "support/TempFolder.h"
#include "support/Thrown.h"
#include "this/src/Codecs.h"

#include <gtest/gtest.h>

#include <climits>

namespace Brintavolex {

namespace {

using Pixel = Data::ColorBGRA<std::uint8_t>;

// Little-endian bytes of a file under construction.
struct Bytes {
    std::string data;
    Bytes &U16(unsigned v) { return Raw({int(v & 255), int(v >> 8 & 255)}); }
    Bytes &U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes &Raw(std::initializer_list<int> bytes)
    {
        for (int b : bytes)
            data += char(b);
        return *this;
    }
};

// A BITMAPINFOHEADER (40 bytes).
Bytes InfoHeader(std::int32_t width, std::int32_t height, unsigned bits, std::uint32_t compression,
                 std::uint32_t imageSize = 0, std::uint32_t colours = 0)
{
    Bytes b;
    b.U32(40).U32(std::uint32_t(width)).U32(std::uint32_t(height)).U16(1).U16(bits).U32(compression);
    b.U32(imageSize).U32(2835).U32(2835).U32(colours).U32(0);
    return b;
}

// File header + info + palette + pixels.
std::string File(const Bytes &info, const std::string &palette, const std::string &pixels)
{
    Bytes b;
    const std::uint32_t offset = 14 + std::uint32_t(info.data.size() + palette.size());
    b.Raw({'B', 'M'}).U32(offset + std::uint32_t(pixels.size())).U16(0).U16(0).U32(offset);
    return b.data + info.data + palette + pixels;
}

struct Decoded {
    std::uint32_t width = 0, height = 0;
    std::vector<Pixel> pixels;
    const Pixel &At(std::uint32_t x, std::uint32_t y) const { return pixels[y * width + x]; }
};

Decoded Decode(const std::string &file)
{
    auto stream = MakeShared<MemoryStream>(file.data(), file.size());
    auto decoder = MakeShared<BMPDecoder>(stream);
    auto image = DynamicPointerCast<IImage2D>(decoder->Get(0));
    const SharedPtr<Data::Image2DBase> typed = Data::DecodeImage(*image, nullptr);
    Decoded d;
    d.width = std::uint32_t(typed->GetWidth());
    d.height = std::uint32_t(typed->GetHeight());
    auto lock = typed->Lock<Pixel>(Data::LockReadOnly);
    for (std::uint32_t y = 0; y < d.height; ++y)
        for (std::uint32_t x = 0; x < d.width; ++x)
            d.pixels.push_back(lock(x, y));
    return d;
}

std::string Error(const std::string &file)
{
    return Thrown([&] { Decode(file); });
}

std::string Palette(std::initializer_list<Pixel> entries)
{
    std::string p;
    for (const Pixel &e : entries)
        p += std::string{char(e.b), char(e.g), char(e.r), char(e.a)};
    return p;
}

} // namespace

// Row order, 16 bits without an alpha mask, palettes with a fourth byte of 0
// and OS/2 core headers: the suite's good files, compared pixel by pixel.
TEST(BMPDecoder, BitFieldsOf16BitsWithAlpha)
{
    // 5-bit red 31 and 16, alpha mask 0x8000.
    Bytes info = InfoHeader(2, 1, 16, 6);
    info.U32(0x7C00).U32(0x03E0).U32(0x001F).U32(0x8000);
    const std::string pixels = Bytes().U16(0x8000 | (31 << 10)).U16(16 << 10).data;
    const std::string file = File(info, "", pixels);
    const Decoded d = Decode(file);
    EXPECT_EQ(d.At(0, 0), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(d.At(1, 0), (Pixel{0, 0, 132, 0}));
}

TEST(BMPDecoder, ThirtyTwoBitsTakeAlphaFromTheFourthByte)
{
    const Decoded withAlpha =
        Decode(File(InfoHeader(2, 1, 32, 0), "", std::string("\x01\x02\x03\x80\x04\x05\x06\x00", 8)));
    EXPECT_EQ(withAlpha.At(0, 0), (Pixel{1, 2, 3, 128}));
    EXPECT_EQ(withAlpha.At(1, 0), (Pixel{4, 5, 6, 0})); // all unused: the suite's rgb32.bmp
}

TEST(BMPDecoder, RunLengthEightBits)
{
    std::string palette;
    for (char i = 0; i < 8; ++i)
        palette += std::string{i, i, i, 0};
    const std::string rle("\x03\x05\x00\x00\x02\x07\x00\x01", 8);
    const Decoded d = Decode(File(InfoHeader(4, 3, 8, 1, 8, 8), palette, rle));
    const Pixel o{0, 0, 0, 0}, p5{5, 5, 5, 255}, p7{7, 7, 7, 255}; // o: never written, cleared
    EXPECT_EQ(d.pixels, (std::vector<Pixel>{o, o, o, o, p7, p7, o, o, p5, p5, p5, o}));
}

TEST(BMPDecoder, RunLengthStaysInsideThePictureAndTheData)
{
    const std::string palette = Palette({{9, 9, 9, 0}});
    // A run past the right edge, a delta far beyond the top, an absolute run
    // longer than the data: nothing is written outside, nothing read beyond.
    const std::string rle("\xFF\x00\x00\x02\x05\x01\x00\x02\x00\xFF\x00\x10\x01", 13);
    const Decoded d = Decode(File(InfoHeader(3, 2, 8, 1, 0, 1), palette, rle));
    EXPECT_EQ(d.At(2, 1), (Pixel{9, 9, 9, 255}));
}

TEST(BMPDecoder, RunLengthFourBitsTakesHighNibbleFirst)
{
    const std::string palette = Palette({{10, 10, 10, 0}, {20, 20, 20, 0}, {30, 30, 30, 0}});
    // Bottom row: absolute 2, 1, 0. Top row: a run alternating 1, 2, then an
    // absolute run longer than the data, which ends the decode.
    const std::string rle("\x00\x03\x21\x00\x00\x00\x02\x12\x00\x09\x00", 11);
    const Decoded d = Decode(File(InfoHeader(3, 2, 4, 2, 0, 3), palette, rle));
    const Pixel p0{10, 10, 10, 255}, p1{20, 20, 20, 255}, p2{30, 30, 30, 255};
    EXPECT_EQ(d.pixels, (std::vector<Pixel>{p1, p2, Pixel{0, 0, 0, 0}, p2, p1, p0}));
}

TEST(BMPDecoder, HeaderlessDIBs)
{
    // First four bytes 40: a packed DIB as the clipboard holds it.
    const std::string palette = Palette({{1, 2, 3, 0}, {4, 5, 6, 0}});
    const Decoded packed = Decode(InfoHeader(2, 1, 8, 0, 0, 2).data + palette + std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(packed.At(0, 0), (Pixel{4, 5, 6, 255}));
    EXPECT_EQ(packed.At(1, 0), (Pixel{1, 2, 3, 255}));

    // Bit fields: the masks follow the header, the pixels follow them.
    Bytes info = InfoHeader(1, 1, 32, 3);
    info.U32(0x000000FF).U32(0x0000FF00).U32(0x00FF0000);
    const Decoded fields = Decode(info.data + Bytes().U32(0x00123456).data);
    EXPECT_EQ(fields.At(0, 0), (Pixel{0x12, 0x34, 0x56, 255}));
}

TEST(BMPDecoder, RefusesWhatItCannotRead)
{
    EXPECT_EQ(Error(File(InfoHeader(4, 4, 24, 4), "", std::string(64, 0))), "BI_JPEG or BCA_RLE24 is not supported");
    EXPECT_EQ(Error(File(InfoHeader(4, 4, 24, 5), "", std::string(64, 0))), "BI_PNG is not supported");
    EXPECT_EQ(Error(File(InfoHeader(4, 4, 1, 3), "", std::string(64, 0))), "BCA_HUFFMAN1D is not supported");
    EXPECT_EQ(Error(File(InfoHeader(4, 4, 24, 7), "", std::string(64, 0))), "invalid compression");
    EXPECT_EQ(Error(File(InfoHeader(4, INT_MIN, 24, 0), "", std::string(64, 0))), "BMPDecoder: invalid height");
    EXPECT_EQ(Error(File(InfoHeader(0x7FFFFFFF, 2, 32, 0), "", std::string(64, 0))),
              "BMPDecoder: 2147483647 x 2 pixels of 4 bytes exceed the decode limit of 1073741824 bytes");
    EXPECT_EQ(Error(File(InfoHeader(65536, 2, 32, 0), "", std::string(64, 0))),
              "BMPDecoder: the file is shorter than its pixel data");
    EXPECT_EQ(Error(File(InfoHeader(2, 2, 7, 0), "", std::string(64, 0))), "BMPDecoder: unsupported bit count");
    // An OS/2 2.x header of 28 bytes does not exist.
    Bytes os2;
    os2.U32(28).U32(2).U32(2).U16(1).U16(24).U32(0).U32(0).U32(0);
    EXPECT_EQ(Error(File(os2, "", std::string(16, 0))), "BMPDecoder: invalid header size");
}

TEST(BMPDecoder, RunLengthFilesAreBoundByTheDecodeLimitNotByTheirData)
{
    // 60 bytes that declare 46340 x 46340 pixels (8.6 GB decoded): one
    // palette entry and an end of bitmap.
    const auto declaring = [](std::int32_t side) {
        return File(InfoHeader(side, side, 8, 1, 2, 1), Palette({{1, 2, 3, 0}}), std::string("\x00\x01", 2));
    };
    const std::string file = declaring(46340);
    ASSERT_EQ(file.size(), 60u);
    auto decoder = MakeShared<BMPDecoder>(MakeShared<MemoryStream>(file.data(), file.size()));
    EXPECT_EQ(Thrown([&] { decoder->DecodeBasicInfo(); }),
              "BMPDecoder: 46340 x 46340 pixels of 4 bytes exceed the decode limit of 1073741824 bytes");
    // The caller sets the limit; at it a decode goes through.
    const ScopedDecodeLimit limit(512 * 512 * 4);
    EXPECT_EQ(Decode(declaring(512)).At(0, 511), (Pixel{0, 0, 0, 0}));
    EXPECT_NE(Error(declaring(513)).find("513 x 513 pixels"), std::string::npos);
}

TEST(BMPDecoder, APixelOffsetInsideTheHeaderLeavesNoRoomForAPalette)
{
    // The room for the palette (offset 20 minus the headers' 54 bytes) must
    // not wrap around: the two entries after the header are not the palette.
    Bytes broken;
    broken.Raw({'B', 'M'}).U32(100).U16(0).U16(0).U32(20);
    const std::string file = broken.data + InfoHeader(2, 1, 8, 0).data + Palette({{1, 2, 3, 0}, {4, 5, 6, 0}});
    const Decoded d = Decode(file);
    ASSERT_EQ(d.width, 2u);
    EXPECT_EQ(d.At(0, 0), (Pixel{0, 0, 0, 255}));
}

TEST(CodecRegistry, ExtensionsAndTheFallback)
{
    EXPECT_TRUE(MatchesExtension(u"photo.BMP", "*.bmp;*.dib"));
    EXPECT_TRUE(MatchesExtension("archive.tar.dib", "*.bmp;*.dib"));
    EXPECT_FALSE(MatchesExtension("nodot", "*.bmp;*.dib"));
    EXPECT_FALSE(MatchesExtension("bmp", "*.bmp"));
    EXPECT_TRUE(MatchesExtension(u"\u00C4.Bmp", "*.bmp"));

    UseApplicationCodecs();
    const auto factories = GetFactoryList();
    ASSERT_FALSE(factories.empty());
    EXPECT_TRUE(factories[0]->GetName() == String("Brintavolex BMP Decoder"));
    EXPECT_TRUE(factories[0]->GetFilterStrings()[1] == String("BMP files (*.bmp;*.dib;*.rl4;*.rl8;*.rle;*.vga)"));

    // A file under another extension is found by trying every decoder: the
    // Slot and PNG tests.
    const std::string file = File(InfoHeader(1, 1, 24, 0), "", std::string(4, '\x10'));
    auto stream = MakeShared<MemoryStream>(file.data(), file.size());
    const std::string garbage = "this is no picture at all";
    auto junk = MakeShared<MemoryStream>(garbage.data(), garbage.size());
    EXPECT_THROW(LoadFromStream(junk, "x.bmp", {MakeShared<FirstIndex>()}, MakeShared<NullLogger>()), Exception);
    struct Strange : IndexType {
        const char *GetName() const override { return "Strange"; }
    };
    EXPECT_EQ(Thrown([&] { LoadFromStream(stream, "x.bmp", {MakeShared<Strange>()}, MakeShared<NullLogger>()); }),
              "LoadFromStream: unknown index type");
}

} // namespace Brintavolex
