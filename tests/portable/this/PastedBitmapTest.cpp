// Bitmaps without file header, as the clipboard holds them, opened as
// documents: pixels against the pattern they were written from.

#include "Data/api/ColorType.h"
#include "Data/api/Image2D.h"
#include "this/src/Clipboard.h"
#include "this/src/ImageManager.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Brintavolex {

namespace {

using Pixel = Data::ColorBGRA<std::uint8_t>;
constexpr int kWidth = 13, kHeight = 7;

Pixel Expected(int x, int y)
{
    Pixel p;
    p.b = std::uint8_t(x * 7 + y * 13);
    p.g = std::uint8_t(y * 20);
    p.r = std::uint8_t(x * 9 + 1);
    p.a = 255;
    return p;
}

void Put(std::vector<std::uint8_t> &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

// BITMAPINFOHEADER, 24 bits, bottom-up rows padded to 4 bytes.
std::vector<std::uint8_t> Dib24()
{
    std::vector<std::uint8_t> dib;
    const int rowBytes = (kWidth * 3 + 3) / 4 * 4;
    Put(dib, 40, 4), Put(dib, kWidth, 4), Put(dib, kHeight, 4), Put(dib, 1, 2), Put(dib, 24, 2);
    Put(dib, 0, 4), Put(dib, std::uint64_t(rowBytes) * kHeight, 4), Put(dib, 2835, 4), Put(dib, 2835, 4);
    Put(dib, 0, 4), Put(dib, 0, 4);
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = Expected(x, y);
            dib.insert(dib.end(), {p.b, p.g, p.r});
        }
        dib.resize(dib.size() + rowBytes - kWidth * 3);
    }
    return dib;
}

// BITMAPV5HEADER with its colour masks, 32 bits, top-down rows.
std::vector<std::uint8_t> DibV5()
{
    std::vector<std::uint8_t> dib;
    const std::int32_t topDown = -kHeight;
    Put(dib, 124, 4), Put(dib, kWidth, 4), Put(dib, std::uint32_t(topDown), 4), Put(dib, 1, 2), Put(dib, 32, 2);
    Put(dib, 3 /* BI_BITFIELDS */, 4), Put(dib, kWidth * 4 * kHeight, 4), Put(dib, 0, 4), Put(dib, 0, 4);
    Put(dib, 0, 4), Put(dib, 0, 4);
    Put(dib, 0x00FF0000, 4), Put(dib, 0x0000FF00, 4), Put(dib, 0x000000FF, 4), Put(dib, 0xFF000000, 4);
    Put(dib, 0x73524742 /* sRGB */, 4);
    dib.resize(dib.size() + 36 + 12); // endpoints, gamma
    Put(dib, 4 /* LCS_GM_IMAGES */, 4), Put(dib, 0, 4), Put(dib, 0, 4), Put(dib, 0, 4);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = Expected(x, y);
            dib.insert(dib.end(), {p.b, p.g, p.r, p.a});
        }
    return dib;
}

void ExpectPattern(const SharedPtr<Data::Image2DBase> &image)
{
    ASSERT_TRUE(image);
    ASSERT_EQ(image->GetWidth(), std::uint64_t(kWidth));
    ASSERT_EQ(image->GetHeight(), std::uint64_t(kHeight));
    const auto lock = static_cast<const Data::Image2DBase &>(*image).LockConst<Pixel>();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Pixel &got = lock(std::uint64_t(x), std::uint64_t(y)), want = Expected(x, y);
            ASSERT_TRUE(got.b == want.b && got.g == want.g && got.r == want.r && got.a == want.a)
                << "pixel " << x << ", " << y;
        }
}

} // namespace

TEST(PastedBitmap, HeaderlessBitmapsOpenAsTheirPatternAndKeepTheirBytes)
{
    for (const std::vector<std::uint8_t> &dib : {Dib24(), DibV5()}) {
        SCOPED_TRACE(dib.size());
        EXPECT_NO_THROW(CheckPastedDib(dib));
        std::vector<std::uint8_t> source = dib;
        const SharedPtr<PreparedDocument> document = PrepareMemoryDocument(source, PastedDibName());
        // The clipboard's memory is gone once pasted.
        std::memset(source.data(), 0xCD, source.size());
        source = {};
        ASSERT_TRUE(document->error.Empty()) << document->error.ToStdString();
        EXPECT_TRUE(document->inMemory);
        EXPECT_FALSE(document->position.list);
        ExpectPattern(document->firstImage);
        // Decoders read their stream again for each request.
        ExpectPattern(document->loaded.image2D->GetData(nullptr));
    }
}

TEST(PastedBitmap, ShortOrForeignBytesAreRefusedWithAReason)
{
    const std::vector<std::uint8_t> good = Dib24();
    auto withHeaderSize = [&](std::uint32_t size) {
        std::vector<std::uint8_t> dib = good;
        std::memcpy(dib.data(), &size, 4);
        return dib;
    };
    EXPECT_THROW(CheckPastedDib({}), Exception);
    EXPECT_THROW(CheckPastedDib({40, 0, 0}), Exception);
    // A file header ("BM") is no header size of a bitmap.
    EXPECT_THROW(CheckPastedDib(withHeaderSize(0x4D42)), Exception);
    EXPECT_THROW(CheckPastedDib(withHeaderSize(11)), Exception);
    EXPECT_THROW(CheckPastedDib(withHeaderSize(125)), Exception);
    EXPECT_THROW(CheckPastedDib(std::vector<std::uint8_t>(good.begin(), good.begin() + 39)), Exception);
    EXPECT_NO_THROW(CheckPastedDib(withHeaderSize(12)));

    // The header whole, the pixels cut short: a clean error, no picture.
    const SharedPtr<PreparedDocument> cut =
        PrepareMemoryDocument(std::vector<std::uint8_t>(good.begin(), good.begin() + 60), PastedDibName());
    EXPECT_FALSE(cut->error.Empty());
    EXPECT_FALSE(cut->firstImage);
}

} // namespace Brintavolex
