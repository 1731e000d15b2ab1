#pragma once

// The software back end: a scanline rasteriser into 32-bit B, G, R, A back
// buffers, with pixel shaders that work on whole spans.

#include "Platform/api/Video/Context.h"
#include "Root/api/Function.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Brintavolex::Platform::Video::Software {

// Entry i = i * 65536 / 255 rounded to nearest.
extern const std::uint32_t AlphaWeight[256];

// The blend of one source pixel s over a target pixel d, 16.16 fixed point.
inline void BlendPixel(const std::uint8_t *s, std::uint8_t *d) noexcept
{
    const std::uint32_t w = AlphaWeight[s[3]];
    const std::uint32_t iw = 65536 - w;
    d[0] = static_cast<std::uint8_t>((s[0] * w + 32768 + d[0] * iw) >> 16);
    d[1] = static_cast<std::uint8_t>((s[1] * w + 32768 + d[1] * iw) >> 16);
    d[2] = static_cast<std::uint8_t>((s[2] * w + 32768 + d[2] * iw) >> 16);
    d[3] = static_cast<std::uint8_t>((d[3] * iw + ((std::uint32_t(s[3]) << 16) | 0x8000)) >> 16);
}

class Image2D;

// What a shader gets for one span of one row: the texture coordinate at the
// first pixel centre, its steps per pixel along the row (x) and per row (y),
// and the fragment colour.
struct SpanParameter {
    double u = 0, v = 0;
    double dudx = 0, dvdx = 0;
    double dudy = 0, dvdy = 0;
    std::uint8_t b = 255, g = 255, r = 255, a = 255;
};

// The levels of a texture, locked for reading while a triangle is drawn.
class TextureAccess {
public:
    struct Level {
        const void *data = nullptr;
        std::int64_t stride = 0; // pixels
        std::int32_t width = 0, height = 0;
    };
    explicit TextureAccess(const Image2D &texture);
    Data::ColorType Type() const noexcept { return _type; }
    // Every shaded pixel has alpha 255 (see Image2D::IsOpaque).
    bool Opaque() const noexcept { return _opaque; }
    std::size_t Count() const noexcept { return _levels.size(); }
    const Level &At(std::size_t i) const noexcept { return _levels[i]; }

private:
    Data::ColorType _type = Data::ColorType::Unknown;
    bool _opaque = false;
    std::vector<Level> _levels;
    std::vector<std::shared_ptr<void>> _locks;
};

class PixelShader : public Video::PixelShader {
public:
    using Video::PixelShader::PixelShader;
    // Writes count output pixels (B, G, R, A bytes) for a span of texture.
    virtual void ShadeSpan(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out,
                           std::int32_t count) const = 0;
};

// Nearest sampling of a texture drawn without a shader; colorize multiplies
// each byte by the fragment colour as (b * k) >> 8.
void ShadeNearestSpan(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t count,
                      bool colorize);

// The resampling methods as shaders.
using Video::ShaderKind;
SharedPtr<PixelShader> CreatePixelShader(const SharedPtr<Context> &context, ShaderKind kind);

// Mip levels: max(1, floor(w / 2)) x max(1, floor(h / 2)) each.
class Image2D final : public Video::Image2D {
public:
    using Video::Image2D::Image2D;
    void CreateFromMemory(const SharedPtr<Data::Image2DBase> &image, bool mipMap = false) override;
    void SetSamplingModeLinear() override {}
    void SetSamplingModeNearest() override {}
    void SetSamplingModeMipMapBilinear() override;
    void SetSamplingModeMipMapTrilinear() override;
    void GenerateMipMap(std::int32_t maxLevel) override;
    // Builds the levels once per upload; without the mip-map flag the
    // shaders sample level 0.
    void EnsureMipMap() override;
    std::uint32_t Width() const override;
    std::uint32_t Height() const override;
    Data::ColorType PixelType() const override;

    // No alpha channel, or every alpha at full scale in the uploaded image,
    // so that blending its pixels copies them.
    bool IsOpaque() const noexcept { return _opaque; }
    bool HasMipMapFlag() const noexcept { return _mipMap; }
    std::size_t LevelCount() const noexcept { return _levels.size(); }
    const Data::Image2DBase &Level(std::size_t i) const { return *_levels.at(i); }
    const SharedPtr<Data::Image2DBase> &LevelPtr(std::size_t i) const { return _levels.at(i); }

private:
    std::vector<SharedPtr<Data::Image2DBase>> _levels;
    bool _mipMap = false;
    bool _opaque = false;
};

class SoftwareRenderer final : public Renderer {
public:
    using Renderer::Renderer;
    void getProjectionMatrix(float *) override;
    void setProjectionMatrix(const float *) override;
    void setProjectionMatrix(double, double, double, double) override;
    void getModelviewMatrix(float *) override;
    void setModelviewMatrix(const float *) override;
    void setModelviewMatrix(double, double) override;
    void enableDepthTest() override;
    void disableDepthTest() override;
    void setColorMask(bool, bool, bool, bool) override;
    void clearDepthStencil() override;
    // Allocates the new buffer before the old one goes; same size keeps it.
    void Resize(std::uint32_t width, std::uint32_t height) override;
    void BeginPaint() override;
    const char *GetName() const override { return "Software"; }
    // Hands the frame to the window; false when the platform refused.
    bool Present() override;
    Lock LockBackBuffer() override;
    bool CanReuseFrames() const override { return true; }

    std::uint8_t *Pixels() noexcept { return _pixels.data(); }
    const std::uint8_t *Pixels() const noexcept { return _pixels.data(); }

private:
    std::vector<std::uint8_t> _pixels;
};

class SoftwareContext final : public Context {
public:
    // Contexts live in SharedPtr only.
    static SharedPtr<SoftwareContext> Create();

    SharedPtr<Renderer> CreateRenderer(const SharedPtr<RenderWindow> &window, const RendererOptions &options) override;
    SharedPtr<Video::Image2D> CreateImage2D() override;
    SharedPtr<Video::PixelShader> CreatePixelShader() override;
    SharedPtr<VertexShader> CreateVertexShader() override;
    SharedPtr<VertexBuffer2D> CreateVertexBuffer2D(std::uint32_t quadCount) override;
    void RenderVertexBufferRange(VertexBuffer2D &vertexBuffer, std::uint32_t quadIndex) override;
    SharedPtr<OffscreenBuffer> CreateOffscreenBuffer(std::uint32_t width, std::uint32_t height) override;
    // Every method for every pixel type (the shaders dispatch per draw).
    SharedPtr<Video::PixelShader> CreateResamplingShader(ShaderKind kind, Data::ColorType type) override;

    // Worker threads a large triangle's rows are split over (1: none).
    void SetWorkerCount(unsigned count) noexcept { _workers = count ? count : 1; }
    unsigned WorkerCount() const noexcept { return _workers; }

private:
    SoftwareContext();
    unsigned _workers;
};

// Splits rows [begin, end) over up to workers threads (the calling one
// included) and joins them before returning. One place to swap in the
// project's parallel loop.
void ParallelRows(std::int32_t begin, std::int32_t end, unsigned workers,
                  const Function2<void(std::int32_t, std::int32_t)> &body);

} // namespace Brintavolex::Platform::Video::Software
