#include "Data/api/Image2D.h"
#include "support/Pictures.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace Brintavolex::Data {

namespace {

struct AllocationCase {
    std::uint64_t width, height, allocatedWidth, allocatedHeight;
    std::uint64_t stride, rows;
};

} // namespace

TEST(Image2D, AllocationPadsStrideAndRows)
{
    const AllocationCase cases[] = {
        {100, 50, 0, 0, 128, 56}, {64, 64, 0, 0, 64, 64},     {1, 1, 0, 0, 64, 8},
        {65, 9, 0, 0, 128, 16},   {10, 10, 200, 30, 256, 32}, {0, 0, 0, 0, 0, 0},
    };
    for (const AllocationCase &c : cases) {
        Image2D<std::uint8_t> image;
        image.Allocate(c.width, c.height, c.allocatedWidth, c.allocatedHeight);
        EXPECT_EQ(image.GetStride(), c.stride) << c.width;
        EXPECT_EQ(image.GetAllocatedRows(), c.rows) << c.height;
        EXPECT_EQ(image.GetWidth(), c.width);
        EXPECT_EQ(image.GetHeight(), c.height);
        auto lock = image.Lock<std::uint8_t>();
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(lock.Data()) % 16, 0u);
        // Every addressable byte is writable (ASan checks the extent).
        if (c.stride)
            std::memset(lock.Data(), 0x5A, c.stride * c.rows);
    }
}

TEST(Image2D, OversizedAllocationThrowsAndKeepsTheImage)
{
    Image2D<ColorBGRA<double>> image;
    image.Allocate(3, 2);
    {
        auto lock = image.Lock<ColorBGRA<double>>();
        lock(2, 1) = ColorBGRA<double>{1, 2, 3, 4};
    }
    EXPECT_THROW(image.Allocate(std::uint64_t(1) << 40, std::uint64_t(1) << 40), Exception);
    EXPECT_THROW(image.Allocate(~std::uint64_t(0), 1), Exception);
    EXPECT_THROW(image.Allocate(1, ~std::uint64_t(0)), Exception);
    EXPECT_EQ(image.GetWidth(), 3u);
    EXPECT_EQ(image.GetStride(), 64u);
    auto lock = image.Lock<ColorBGRA<double>>(LockReadOnly);
    EXPECT_EQ(lock(2, 1), (ColorBGRA<double>{1, 2, 3, 4}));
}

TEST(Image2D, LocksAreSharedForReadingExclusiveForWritingAndChecked)
{
    Image2D<float> image;
    image.Allocate(10, 3);
    const Image2D<float> &constImage = image;
    {
        auto read1 = constImage.Lock<float>();
        auto read2 = constImage.Lock<float>();
        EXPECT_EQ(image.LockCount(), 2);
        EXPECT_THROW(image.Lock<float>(LockWritable), Exception);
        // Within the padded stride and rows, not beyond.
        EXPECT_NO_THROW(read1(63, 7));
        EXPECT_THROW(read1(64, 0), Exception);
        EXPECT_THROW(read1(0, 8), Exception);
        EXPECT_THROW(read1.Row(8), Exception);
    }
    {
        auto write = image.Lock<float>(LockWritable);
        EXPECT_THROW(constImage.Lock<float>(), Exception);
        EXPECT_THROW(image.Lock<float>(7), Exception); // any mode but 1 is writable
        auto moved = std::move(write);
        EXPECT_EQ(image.WriteLockCount(), 1);
    }
    EXPECT_EQ(image.LockCount(), 0);
    EXPECT_EQ(image.WriteLockCount(), 0);

    // Another pixel type is never handed out over the same memory.
    EXPECT_EQ(Thrown([&] { image.Lock<double>(); }), "Image2D::Lock2");
    std::vector<std::int16_t> memory(16);
    ExternalBufferImage2D<std::int16_t> wrapping(memory.data(), 4, 4, 4, 4);
    EXPECT_EQ(Thrown([&] { wrapping.Lock<std::uint8_t>(); }), "ExternalBufferImage2D::Lock2");
    Image2D<ColorRGBA<float>> rgba;
    rgba.Allocate(2, 2);
    EXPECT_EQ(Thrown([&] { rgba.Lock<ColorBGRA<float>>(); }), "LockBGRAFloat32 is not implemented");
}

TEST(Image2D, ExternalBuffersAreCheckedAndNeverReallocated)
{
    std::vector<float> memory(8 * 4);
    auto image = CreateExternalBufferImage2D(memory.data(), ColorType::Float32, 6, 3, 8, 4);
    EXPECT_EQ(image->GetColorType(), ColorType::Float32);
    EXPECT_EQ(image->GetStride(), 8u);
    {
        auto lock = image->Lock<float>();
        lock(7, 3) = 2.5f;
    }
    EXPECT_EQ(memory[31], 2.5f);
    image->Allocate(1000, 1000, 0, 0); // never reallocates caller memory
    EXPECT_EQ(image->GetWidth(), 6u);

    EXPECT_EQ(Thrown([&] { CreateExternalBufferImage2D(memory.data(), ColorType::RGBAUInt16, 1, 1, 1, 1); }),
              "CreateExternalBufferImage2D: unknown color type");
    EXPECT_THROW(CreateExternalBufferImage2D(memory.data(), ColorType::Float32, 9, 3, 8, 4), Exception);
    EXPECT_THROW(CreateExternalBufferImage2D(memory.data(), ColorType::Float32, 6, 5, 8, 4), Exception);

    // Basic information needs 32-bit extents; the wrapped byte is never touched.
    BasicInfo info;
    std::uint8_t byte = 0;
    ExternalBufferImage2D<std::uint8_t> wide(&byte, std::uint64_t(1) << 32, 1, std::uint64_t(1) << 32, 1);
    EXPECT_EQ(Thrown([&] { wide.DecodeBasicInfo(info); }), "numeric_cast");
}

namespace {

// Fills a w x h stride-padded buffer with x + 10 * y.
std::vector<int> Grid(std::uint64_t w, std::uint64_t h, std::uint64_t stride, std::uint64_t rows)
{
    std::vector<int> grid(stride * rows, -1);
    for (std::uint64_t y = 0; y < h; ++y)
        for (std::uint64_t x = 0; x < w; ++x)
            grid[y * stride + x] = int(x + 10 * y);
    return grid;
}

} // namespace

TEST(Image2D, PaintBorderReplicatesUpToTwoColumnsAndRows)
{
    struct Case {
        std::uint64_t w, h, stride, rows;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {3, 2, 5, 4, {0, 1, 2, 2, 2, 10, 11, 12, 12, 12, 10, 11, 12, 12, 12, 10, 11, 12, 12, 12}},
        {3, 2, 4, 3, {0, 1, 2, 2, 10, 11, 12, 12, 10, 11, 12, 12}},
        {3, 2, 3, 2, {0, 1, 2, 10, 11, 12}},
        {1, 1, 6, 5, {0,  0,  0,  -1, -1, -1, 0,  0,  0,  -1, -1, -1, 0,  0,  0,
                      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}},
    };
    for (const Case &c : cases) {
        std::vector<int> memory = Grid(c.w, c.h, c.stride, c.rows);
        auto image = CreateExternalBufferImage2D(memory.data(), ColorType::SInt32, c.w, c.h, c.stride, c.rows);
        PaintBorder(*image);
        EXPECT_EQ(memory, c.expected) << c.w << "x" << c.h << " in " << c.stride << "x" << c.rows;
    }
    // An empty image has no border to repeat.
    std::vector<int> memory(64, 7);
    PaintBorder(*CreateExternalBufferImage2D(memory.data(), ColorType::SInt32, 0, 4, 8, 8));
    PaintBorder(*CreateExternalBufferImage2D(memory.data(), ColorType::SInt32, 4, 0, 8, 8));
    EXPECT_EQ(memory, std::vector<int>(64, 7));
}

TEST(Image2D, ClearSetsEveryChannelInsideThePicture)
{
    Image2D<ColorBGRA<std::int16_t>> image;
    image.Allocate(3, 2);
    {
        auto lock = image.Lock<ColorBGRA<std::int16_t>>();
        std::memset(static_cast<void *>(lock.Data()), 0, lock.Stride() * lock.Rows() * sizeof(*lock.Data()));
    }
    clear(image, -5);
    auto lock = image.Lock<ColorBGRA<std::int16_t>>(LockReadOnly);
    EXPECT_EQ(lock(2, 1), (ColorBGRA<std::int16_t>{-5, -5, -5, -5}));
    EXPECT_EQ(lock(3, 1), (ColorBGRA<std::int16_t>{0, 0, 0, 0}));
    EXPECT_EQ(lock(0, 2), (ColorBGRA<std::int16_t>{0, 0, 0, 0}));
}

TEST(Image2D, DecodingFillsATypedImageWithItsBorder)
{
    TestSupport::FunctionPicture<std::uint16_t> source(
        5, 3, [](std::uint32_t x, std::uint32_t y) { return std::uint16_t(x + y); });
    SharedPtr<Image2DBase> image = DecodeImage(source, nullptr, true);
    EXPECT_EQ(source.decodes, 1);
    EXPECT_EQ(image->GetColorType(), ColorType::UInt16);
    auto lock = image->Lock<std::uint16_t>(LockReadOnly);
    EXPECT_EQ(lock(4, 2), 6);
    EXPECT_EQ(lock(5, 2), 6); // border
    EXPECT_EQ(lock(6, 3), 6);

    Image2D<std::uint16_t> empty;
    EXPECT_THROW(CallGetRect(source, empty, nullptr), Exception);
    EXPECT_EQ(empty.LockCount(), 0); // released on the way out
    EXPECT_EQ(source.decodes, 1);
}

} // namespace Brintavolex::Data
