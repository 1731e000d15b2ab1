#include "GUI/api/Resampling.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/Video/Software.h"
#include "Root/api/Exception.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace Brintavolex::Platform::Video {
namespace {

using Software::SoftwareContext;
using Pixel = std::array<std::uint8_t, 4>;

struct Frame {
    Frame(std::uint32_t w, std::uint32_t h, Data::ColorBGRA<float> clear = {0.2f, 0.4f, 0.6f, 1.0f})
    {
        context = SoftwareContext::Create();
        window = MakeShared<MemoryRenderWindow>();
        renderer = context->CreateRenderer(window, RendererOptions{});
        renderer->Resize(w, h);
        context->SetRenderTarget(renderer);
        context->State().clearColor = clear;
        renderer->BeginPaint();
    }
    Pixel At(std::uint32_t x, std::uint32_t y)
    {
        Renderer::Lock lock = renderer->LockBackBuffer();
        const std::uint8_t *p = lock.ReadBits() + y * lock.Pitch() + x * 4;
        return Pixel{p[0], p[1], p[2], p[3]};
    }
    std::vector<std::uint8_t> Pixels()
    {
        Renderer::Lock lock = renderer->LockBackBuffer();
        return std::vector<std::uint8_t>(lock.ReadBits(), lock.ReadBits() + lock.Pitch() * lock.Height());
    }
    void Quad(float x0, float y0, float x1, float y1, float r, float g, float b, float a)
    {
        auto buffer = context->CreateVertexBuffer2D(1);
        buffer->SetQuad(0, x0, y0, x1, y1, 0, 0, 1, 1, r, g, b, a);
        buffer->Render(0);
    }
    SharedPtr<SoftwareContext> context;
    SharedPtr<MemoryRenderWindow> window;
    SharedPtr<Renderer> renderer;
};

template <class P>
SharedPtr<Data::Image2DBase> Picture(std::uint32_t w, std::uint32_t h, const std::vector<P> &pixels)
{
    SharedPtr<Data::Image2DBase> image = Data::CreateImage2D(Data::ColorTypeOf<P>::value);
    image->Allocate(w, h);
    auto lock = image->Lock<P>();
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            lock(x, y) = pixels[y * w + x];
    return image;
}

template <class P> SharedPtr<Image2D> Texture(Context &context, std::uint32_t w, std::uint32_t h,
                                              const std::vector<P> &pixels, bool mip = false)
{
    SharedPtr<Image2D> texture = context.CreateImage2D();
    texture->CreateFromMemory(Picture(w, h, pixels), mip);
    return texture;
}

TEST(SoftwareRenderer, ClearPremultipliesAndKeepsTheBufferOnSameSize)
{
    Frame f(5, 4, {1.0f, 0.5f, 0.25f, 0.0f});
    for (std::uint8_t byte : f.Pixels())
        EXPECT_EQ(byte, 0) << "alpha 0 clears to zero whatever the colour";
    f.context->State().clearColor = {1.0f, 0.5f, 0.0f, 0.5f};
    f.renderer->BeginPaint();
    // 255 * 128 / 255 = 128, 128 * 128 / 255 = 64.
    EXPECT_EQ(f.At(4, 3), (Pixel{128, 64, 0, 128}));
    f.renderer->Resize(5, 4);
    EXPECT_EQ(f.At(2, 2), (Pixel{128, 64, 0, 128})) << "same size keeps the contents";
    f.renderer->ClearSizeChanged();
    f.renderer->Resize(6, 4);
    EXPECT_TRUE(f.renderer->SizeChanged());
}

// Coverage, blending and sampling of random scenes are compared with an
// independent evaluation by tests/tools/software_renderer_reference.py.

TEST(SoftwareRenderer, DegenerateTrianglesDrawAndLogNothing)
{
    Frame f(8, 8);
    f.renderer->EnableBlending();
    // Collinear points, zero-area and NaN positions: nothing drawn, nothing logged.
    auto buffer = f.context->CreateVertexBuffer2D(2);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (std::uint32_t i = 0; i < 6; ++i)
        buffer->SetVertex(i, 0.5f, 0.5f, 1, 0, 0, 1, float(i), float(2 * i), 0.0f);
    for (std::uint32_t i = 6; i < 12; ++i)
        buffer->SetVertex(i, nan, nan, 1, 0, 0, 1, i % 2 ? nan : 3.0f, 3.0f, 0.0f);
    const std::vector<std::uint8_t> before = f.Pixels();
    const bool problemsBefore = ErrorLog::ProblemOccurred();
    for (int frame = 0; frame < 3; ++frame)
        buffer->RenderAll();
    EXPECT_EQ(f.Pixels(), before);
    if (!problemsBefore) {
        EXPECT_FALSE(ErrorLog::ProblemOccurred()) << "a degenerate triangle is no problem to report";
    }

    f.context->ResetRenderTarget();
    EXPECT_THROW(buffer->Render(0), Exception);
}

TEST(SoftwareTexture, MipLevelsHalveToAtLeastOne)
{
    auto context = SoftwareContext::Create();
    std::vector<std::uint8_t> pixels(7 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 10);
    auto texture = Texture<std::uint8_t>(*context, 7, 3, pixels, false);
    EXPECT_THROW(texture->GenerateMipMap(100), Exception);
    texture = Texture<std::uint8_t>(*context, 7, 3, pixels, true);
    texture->GenerateMipMap(100);
    auto &software = static_cast<Software::Image2D &>(*texture);
    EXPECT_EQ(software.LevelCount(), 3u); // their pixels: the reference's mip-mapped scenes
    EXPECT_THROW(software.SetSamplingModeMipMapBilinear(), Exception);
    texture->GenerateMipMap(1);
    EXPECT_EQ(software.LevelCount(), 2u) << "the level limit";
}

TEST(SoftwareTexture, SamplingEdgeCases)
{
    Frame f(12, 8, {0, 0, 0, 1});
    GUI::Resampling resampling;
    const RectI32 view{0, 0, 12, 8};
    // Nearest, Linear, Cubic, Area and the mip-mapped modes at every quarter
    // turn are compared with the reference; other angles are refused.
    std::vector<std::uint8_t> one{7};
    EXPECT_FALSE(resampling.Paint(f.context, Texture(*f.context, 1, 1, one), RectI32{0, 0, 4, 6}, 45,
                                  GUI::Resampling::EnumResamplingMode::Nearest, view));

    // Area at a reduction of exactly 2, turned: each 2 x 2 block with equal weights, never divided by 0.
    std::vector<std::uint16_t> grey(8 * 4);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = std::uint16_t(i * 2000);
    auto greyTexture = Texture(*f.context, 8, 4, grey);
    ASSERT_TRUE(resampling.Paint(f.context, greyTexture, RectI32{0, 0, 2, 4}, 90,
                                 GUI::Resampling::EnumResamplingMode::Area, view));
    // Screen (1, 0) shows the image's top-left block (columns 0-1, rows 0-1).
    const double mean = (grey[0] + grey[1] + grey[8] + grey[9]) / 4.0 / 65535.0 * 255.0 + 0.5;
    EXPECT_NEAR(f.At(1, 0)[0], std::floor(mean), 1.0);

    // Cubic of a one-pixel-wide image repeats it and stays in range.
    std::vector<float> column{0.0f, 1.0f, 0.0f, 1.0f};
    auto thin = Texture(*f.context, 1, 4, column);
    ASSERT_TRUE(
        resampling.Paint(f.context, thin, RectI32{0, 0, 12, 8}, 0, GUI::Resampling::EnumResamplingMode::Cubic, view));
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 1; x < 12; ++x)
            EXPECT_EQ(f.At(x, y), f.At(0, y));

    f.context->UnbindImage2D();
    EXPECT_EQ(f.context->ChildCount() > 0, true);
    resampling.DeleteContextObjects();
}

// The decode worker asks a picture whether it is opaque before the first
// paint; the answer must not outlive a write that makes it transparent.
TEST(SoftwareTexture, OpacityAskedAheadDrawsAsAScanAndIsForgottenOnWrite)
{
    using P = Data::ColorBGRA<std::uint8_t>;
    constexpr std::uint32_t w = 97, h = 61;
    std::vector<P> pixels(w * h);
    std::mt19937 rng(5);
    for (auto &p : pixels)
        p = {std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng()), 255};
    auto picture = [&] { return Picture(w, h, pixels); };
    auto frame = [](const SharedPtr<Data::Image2DBase> &image) {
        Frame f(40, 30);
        f.renderer->EnableBlending();
        SharedPtr<Image2D> texture = f.context->CreateImage2D();
        texture->CreateFromMemory(image, false);
        GUI::Resampling resampling;
        resampling.Paint(f.context, texture, RectI32{1, 2, 38, 27}, 0, GUI::Resampling::EnumResamplingMode::Area,
                         RectI32{0, 0, 40, 30});
        return f.Pixels();
    };
    const SharedPtr<Data::Image2DBase> asked = picture();
    EXPECT_TRUE(asked->IsOpaque());
    const std::vector<std::uint8_t> opaque = frame(asked);
    EXPECT_EQ(opaque, frame(picture()));

    {
        auto lock = asked->Lock<P>();
        for (std::uint32_t y = 10; y < 40; ++y)
            for (std::uint32_t x = 20; x < 60; ++x)
                lock(x, y).a = pixels[y * w + x].a = std::uint8_t(x * 4);
    }
    EXPECT_FALSE(asked->IsOpaque());
    const std::vector<std::uint8_t> blended = frame(asked);
    EXPECT_NE(blended, opaque);
    EXPECT_EQ(blended, frame(picture())) << "the texture blends what the write made transparent";
}

TEST(SoftwareRenderer, WorkerThreadsDrawTheSameFrame)
{
    std::vector<Data::ColorBGRA<std::uint8_t>> image(64 * 64);
    std::mt19937 rng(3);
    for (auto &p : image)
        p = {std::uint8_t(rng()), std::uint8_t(rng()), std::uint8_t(rng()), 255};
    std::vector<std::uint8_t> frames[2];
    for (int i = 0; i < 2; ++i) {
        Frame f(400, 300);
        f.context->SetWorkerCount(i == 0 ? 1 : 4);
        auto texture = Texture(*f.context, 64, 64, image);
        GUI::Resampling resampling;
        resampling.Paint(f.context, texture, RectI32{-13, 7, 390, 290}, 270, GUI::Resampling::EnumResamplingMode::Cubic,
                         RectI32{0, 0, 400, 300});
        frames[i] = f.Pixels();
    }
    EXPECT_EQ(frames[0], frames[1]);
}

TEST(Resampling, ModeNamesRoundTripAndAreaStepsCoverTheReduction)
{
    using Mode = GUI::Resampling::EnumResamplingMode;
    for (int m = 0; m < 6; ++m)
        EXPECT_EQ(GUI::Resampling::ModeFromText(GUI::Resampling::ModeText(Mode(m))), Mode(m));
    EXPECT_THROW(GUI::Resampling::ModeFromText("Bicubic"), Exception);
    // Enlargements and a ratio of exactly 1 still get one step.
    const int steps[][5] = {{100, 100, 400, 400, 1},
                            {100, 100, 100, 100, 1},
                            {200, 100, 100, 100, 1},
                            {250, 100, 100, 100, 2},
                            {100, 300, 100, 100, 2}};
    for (const auto &c : steps)
        EXPECT_EQ(GUI::Resampling::AreaUnrollCount(c[0], c[1], c[2], c[3]), c[4]) << c[0] << "x" << c[1];
}

// Reference move: copy the source rectangle aside, then write it shifted.
void ReferenceMove(std::vector<std::uint32_t> &buffer, int w, int h, RectI32 r, int dx, int dy)
{
    const std::vector<std::uint32_t> before = buffer;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const int tx = x + dx, ty = y + dy;
            if (x >= 0 && x < w && y >= 0 && y < h && tx >= 0 && tx < w && ty >= 0 && ty < h)
                buffer[std::size_t(ty * w + tx)] = before[std::size_t(y * w + x)];
        }
}

TEST(BitBlit, MovesOverlappingRectanglesLikeMemmove)
{
    const int w = 23, h = 17;
    std::mt19937 rng(11);
    const int shifts[][2] = {{3, 2}, {-3, 2}, {3, -2}, {-3, -2}, {0, 4}, {0, -4}, {5, 0}, {-5, 0}, {1, 1}};
    for (const auto &shift : shifts)
        for (int round = 0; round < 5; ++round) {
            std::vector<std::uint32_t> buffer(std::size_t(w * h)), expected;
            for (auto &p : buffer)
                p = rng();
            expected = buffer;
            const RectI32 r{int(rng() % 10) - 2, int(rng() % 8) - 2, 12 + int(rng() % 14), 9 + int(rng() % 10)};
            ReferenceMove(expected, w, h, r, shift[0], shift[1]);
            ASSERT_TRUE(
                GUI::BitBlit(reinterpret_cast<std::uint8_t *>(buffer.data()), w * 4, w, h, r, shift[0], shift[1]));
            ASSERT_EQ(buffer, expected) << shift[0] << "," << shift[1];
        }
    std::vector<std::uint32_t> buffer(16);
    EXPECT_FALSE(GUI::BitBlit(reinterpret_cast<std::uint8_t *>(buffer.data()), 16, 4, 4, RectI32{0, 0, 2, 2}, 1, 1,
                              GUI::BitBlitFunc::AlphaBlend));
}

} // namespace
} // namespace Brintavolex::Platform::Video
