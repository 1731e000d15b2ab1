#include "Platform/api/ErrorLog.h"
#include "Platform/api/System.h"
#include "Platform/api/Video/Software.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <array>
#include <mutex>
#include <optional>
#include <cmath>
#include <cstring>
#include <emmintrin.h>
#include <thread>
#include <utility>
#include <vector>

namespace Brintavolex::Platform::Video::Software {

namespace {
constexpr std::uint32_t Weight(int i) { return std::uint32_t((i * 65536 + 127) / 255); }
template <std::size_t... I> constexpr auto MakeWeights(std::index_sequence<I...>)
{
    return std::array<std::uint32_t, sizeof...(I)>{Weight(int(I))...};
}
constexpr auto Weights = MakeWeights(std::make_index_sequence<256>());
static_assert(Weights[128] == 32897 && Weights[255] == 65536 && Weights[1] == 257);
} // namespace

const std::uint32_t AlphaWeight[256] = {
#define W4(i) Weights[i], Weights[i + 1], Weights[i + 2], Weights[i + 3]
#define W16(i) W4(i), W4(i + 4), W4(i + 8), W4(i + 12)
    W16(0),   W16(16),  W16(32),  W16(48),  W16(64),  W16(80),  W16(96),  W16(112),
    W16(128), W16(144), W16(160), W16(176), W16(192), W16(208), W16(224), W16(240),
#undef W16
#undef W4
};

// ---- parallel rows ----

void ParallelRows(std::int32_t begin, std::int32_t end, unsigned workers,
                  const Function2<void(std::int32_t, std::int32_t)> &body)
{
    const std::int32_t rows = end - begin;
    if (rows <= 0)
        return;
    workers = std::max(1u, std::min<unsigned>(workers, unsigned(rows)));
    if (workers == 1) {
        body(begin, end);
        return;
    }
    // Interleaved bands keep both halves of a skewed triangle balanced.
    const std::int32_t band = std::max<std::int32_t>(8, rows / std::int32_t(workers * 8));
    auto run = [&](unsigned index) {
        for (std::int32_t y = begin + std::int32_t(index) * band; y < end; y += std::int32_t(workers) * band)
            body(y, std::min(y + band, end));
    };
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto guarded = [&](unsigned index) {
        try {
            run(index);
        } catch (...) {
            std::lock_guard<std::mutex> lock(failureMutex);
            failure = std::current_exception();
        }
    };
    for (unsigned i = 1; i < workers; ++i)
        threads.emplace_back(guarded, i);
    guarded(0);
    for (std::thread &t : threads)
        t.join();
    if (failure)
        std::rethrow_exception(failure);
}

// ---- textures ----

void Image2D::CreateFromMemory(const SharedPtr<Data::Image2DBase> &image, bool mipMap)
{
    if (!image)
        throw Exception("Brintavolex::Platform::Video::Software::Image2D::CreateFromMemory: image is nullptr");
    _levels.clear();
    _levels.push_back(image);
    _mipMap = mipMap;
    // Mip levels keep full-scale alpha; the image may know it already.
    _opaque = image->IsOpaque();
}

void Image2D::SetSamplingModeMipMapBilinear()
{
    throw Exception("Brintavolex::Platform::Video::Software::Image2D::SetSamplingModeMipMapBilinear");
}

void Image2D::SetSamplingModeMipMapTrilinear()
{
    throw Exception("Brintavolex::Platform::Video::Software::Image2D::SetSamplingModeMipMapTrilinear");
}

std::uint32_t Image2D::Width() const { return _levels.empty() ? 0 : std::uint32_t(_levels[0]->GetWidth()); }
std::uint32_t Image2D::Height() const { return _levels.empty() ? 0 : std::uint32_t(_levels[0]->GetHeight()); }
Data::ColorType Image2D::PixelType() const
{
    return _levels.empty() ? Data::ColorType::Unknown : _levels[0]->GetColorType();
}

namespace {
template <class C> C Average4(C a, C b, C c, C d)
{
    if constexpr (std::is_floating_point_v<C>) {
        return C((double(a) + double(b) + double(c) + double(d)) * 0.25);
    } else if constexpr (sizeof(C) == 8) {
        // Without overflow: quarters plus the rounded sum of the remainders.
        const C q = C(a / 4 + b / 4 + c / 4 + d / 4);
        return C(q + (a % 4 + b % 4 + c % 4 + d % 4 + 2) / 4);
    } else {
        return C((std::int64_t(a) + b + c + d + 2) >> 2);
    }
}
template <class P> P AveragePixels(const P &a, const P &b, const P &c, const P &d)
{
    if constexpr (Data::IsBGRA<P>::value)
        return P{Average4(a.b, b.b, c.b, d.b), Average4(a.g, b.g, c.g, d.g), Average4(a.r, b.r, c.r, d.r),
                 Average4(a.a, b.a, c.a, d.a)};
    else
        return Average4(a, b, c, d);
}
} // namespace

void Image2D::GenerateMipMap(std::int32_t maxLevel)
{
    if (!_mipMap)
        throw Exception("Brintavolex::Platform::Video::Software::Image2D::GenerateMipMap: MipMap must be set to true");
    if (_levels.empty())
        return;
    _levels.resize(1);
    for (;;) {
        const Data::Image2DBase &last = *_levels.back();
        const std::uint64_t w = last.GetWidth(), h = last.GetHeight();
        if ((w < 2 && h < 2) || std::int64_t(_levels.size()) > std::int64_t(maxLevel))
            break;
        const std::uint64_t nw = std::max<std::uint64_t>(1, w / 2), nh = std::max<std::uint64_t>(1, h / 2);
        SharedPtr<Data::Image2DBase> next = Data::CreateImage2D(last.GetColorType());
        next->Allocate(nw, nh);
        Data::DispatchColorType(last.GetColorType(), [&](auto tag) {
            using P = typename decltype(tag)::type;
            auto src = last.LockConst<P>();
            auto dst = next->Lock<P>();
            for (std::uint64_t y = 0; y < nh; ++y) {
                const std::uint64_t y0 = std::min(2 * y, h - 1), y1 = std::min(2 * y + 1, h - 1);
                const P *r0 = src.Row(y0), *r1 = src.Row(y1);
                P *o = dst.Row(y);
                for (std::uint64_t x = 0; x < nw; ++x) {
                    const std::uint64_t x0 = std::min(2 * x, w - 1), x1 = std::min(2 * x + 1, w - 1);
                    o[x] = AveragePixels(r0[x0], r0[x1], r1[x0], r1[x1]);
                }
            }
        });
        _levels.push_back(next);
    }
}

void Image2D::EnsureMipMap()
{
    if (_mipMap && _levels.size() == 1)
        GenerateMipMap(INT_MAX);
}

// ---- renderer ----

void SoftwareRenderer::getProjectionMatrix(float *) { throw Exception("getProjectionMatrix not implemented"); }
void SoftwareRenderer::setProjectionMatrix(const float *) { throw Exception("setProjectionMatrix not implemented"); }
void SoftwareRenderer::setProjectionMatrix(double, double, double, double)
{
    throw Exception("setProjectionMatrix not implemented");
}
void SoftwareRenderer::getModelviewMatrix(float *) { throw Exception("getModelviewMatrix not implemented"); }
void SoftwareRenderer::setModelviewMatrix(const float *) { throw Exception("setModelviewMatrix not implemented"); }
void SoftwareRenderer::setModelviewMatrix(double, double) { throw Exception("setModelviewMatrix not implemented"); }
void SoftwareRenderer::enableDepthTest()
{
    throw Exception("SoftwareRenderer::enableDepthTest: depth buffer not implemented");
}
void SoftwareRenderer::disableDepthTest()
{
    throw Exception("SoftwareRenderer::disableDepthTest: depth buffer not implemented");
}
void SoftwareRenderer::setColorMask(bool, bool, bool, bool)
{
    throw Exception("SoftwareRenderer::setColorMask: not implemented");
}
void SoftwareRenderer::clearDepthStencil() { throw Exception("SoftwareRenderer::clearDepthStencil: not implemented"); }

void SoftwareRenderer::Resize(std::uint32_t width, std::uint32_t height)
{
    if (width == _width && height == _height)
        return;
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    _pixels.swap(pixels);
    Renderer::Resize(width, height);
}

void SoftwareRenderer::BeginPaint()
{
    const Data::ColorBGRA<float> &c = GetContext().State().clearColor;
    auto byte = [](float v) { return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v * 255.0f + 0.5f) & 0xFF); };
    const std::uint32_t a = byte(c.a);
    const std::uint8_t b = static_cast<std::uint8_t>(byte(c.b) * a / 255), g = static_cast<std::uint8_t>(byte(c.g) * a / 255),
                       r = static_cast<std::uint8_t>(byte(c.r) * a / 255);
    if (b == a && g == a && r == a) {
        std::memset(_pixels.data(), int(a), _pixels.size());
    } else {
        // Whole blocks of the pattern: vector stores instead of one pixel at a time.
        std::uint8_t pattern[64];
        for (std::size_t i = 0; i < sizeof pattern; i += 4)
            pattern[i] = b, pattern[i + 1] = g, pattern[i + 2] = r, pattern[i + 3] = static_cast<std::uint8_t>(a);
        std::uint8_t *p = _pixels.data();
        std::size_t left = _pixels.size();
        for (; left >= sizeof pattern; left -= sizeof pattern, p += sizeof pattern)
            std::memcpy(p, pattern, sizeof pattern);
        if (left)
            std::memcpy(p, pattern, left);
    }
    _insideFrame = true;
    SetViewport(0, 0, std::int32_t(_width), std::int32_t(_height));
}

bool SoftwareRenderer::Present()
{
    if (!_window)
        return true;
    return _window->PresentBGRA(_pixels.data(), _width, _height);
}

Renderer::Lock SoftwareRenderer::LockBackBuffer()
{
    return Lock(SharedFromThis<Renderer>(), _pixels.data(), std::int64_t(_width) * 4, _width, _height);
}

// ---- context ----

SoftwareContext::SoftwareContext() : _workers(std::min(8u, Platform::ProcessorCount())) {}

SharedPtr<SoftwareContext> SoftwareContext::Create() { return SharedPtr<SoftwareContext>(new SoftwareContext()); }

SharedPtr<Renderer> SoftwareContext::CreateRenderer(const SharedPtr<RenderWindow> &window, const RendererOptions &)
{
    return MakeShared<SoftwareRenderer>(Self(), window);
}

SharedPtr<Video::Image2D> SoftwareContext::CreateImage2D() { return MakeShared<Image2D>(Self()); }

SharedPtr<Video::PixelShader> SoftwareContext::CreatePixelShader()
{
    return Software::CreatePixelShader(Self(), ShaderKind::Nearest);
}

SharedPtr<Video::PixelShader> SoftwareContext::CreateResamplingShader(ShaderKind kind, Data::ColorType)
{
    return Software::CreatePixelShader(Self(), kind);
}

SharedPtr<VertexShader> SoftwareContext::CreateVertexShader() { return MakeShared<VertexShader>(Self()); }

SharedPtr<VertexBuffer2D> SoftwareContext::CreateVertexBuffer2D(std::uint32_t quadCount)
{
    return MakeShared<VertexBuffer2D>(Self(), quadCount);
}

SharedPtr<OffscreenBuffer> SoftwareContext::CreateOffscreenBuffer(std::uint32_t width, std::uint32_t height)
{
    return MakeShared<OffscreenBuffer>(Self(), width, height);
}

namespace {

// Blends count source pixels over the target; runs of opaque ones are copied.
void BlendSpan(const std::uint8_t *source, std::uint8_t *target, std::int32_t count) noexcept
{
    const __m128i alpha = _mm_set1_epi32(std::int32_t(0xFF000000u));
    auto opaque4 = [&](std::int32_t i) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(source + i * 4));
        return _mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(s, alpha), alpha)) == 0xFFFF;
    };
    for (std::int32_t i = 0; i < count;) {
        std::int32_t run = i;
        while (run + 4 <= count && opaque4(run))
            run += 4;
        if (run > i) {
            std::memcpy(target + i * 4, source + i * 4, std::size_t(run - i) * 4);
            i = run;
        }
        for (const std::int32_t end = std::min(i + 4, count); i < end; ++i)
            BlendPixel(source + i * 4, target + i * 4);
    }
}

struct Point {
    std::int32_t x, y;
    double u, v;
};

struct Target {
    std::uint8_t *pixels;
    std::int32_t width, height;
};

// Everything one triangle needs while its rows are drawn (shared by workers).
struct TriangleJob {
    Point a, b, c; // sorted by y
    Target target;
    RectI32 clip;
    bool blending;
    std::uint8_t color[4]; // B, G, R, A
    const TextureAccess *texture;
    const PixelShader *shader; // null: nearest, colorized unless the colour is opaque white
    bool colorize;
    bool opaque; // every shaded pixel has alpha 255
    // Plane gradients of u and v.
    double dudx, dudy, dvdx, dvdy;

    // x of the edge p-q (p above q) at the centre of row y, rounded as the
    // span ends are: the same arithmetic for every triangle that shares the edge.
    static std::int32_t EdgeX(const Point &p, const Point &q, std::int32_t y) noexcept
    {
        const double t = (double(y) + 0.5 - p.y) / double(q.y - p.y);
        return static_cast<std::int32_t>(std::floor(p.x + t * double(q.x - p.x) + 0.49999));
    }

    // The span of row y, clipped; false when empty.
    bool Span(std::int32_t y, bool middleLeft, std::int32_t &xl, std::int32_t &xr) const noexcept
    {
        // The long edge a-c and the short edge of this half.
        const std::int32_t xLong = EdgeX(a, c, y);
        const std::int32_t xShort = double(y) + 0.5 < b.y ? EdgeX(a, b, y) : EdgeX(b, c, y);
        xl = middleLeft ? xShort : xLong;
        xr = middleLeft ? xLong : xShort;
        // Half-open [xl, xr): a pixel on an edge shared by two triangles belongs to one.
        xl = std::max(xl, clip.left);
        xr = std::min(xr, clip.right);
        return xl < xr;
    }

    // Pixels [xl, xr) of row y. An opaque pixel blends to itself.
    void Run(std::int32_t y, std::int32_t xl, std::int32_t xr, std::uint8_t *scratch) const
    {
        std::uint8_t *row = target.pixels + (std::size_t(y) * target.width + std::size_t(xl)) * 4;
        const std::int32_t n = xr - xl;
        if (!texture) {
            if (blending && color[3] != 255)
                for (std::int32_t i = 0; i < n; ++i)
                    BlendPixel(color, row + i * 4);
            else
                for (std::int32_t i = 0; i < n; ++i)
                    std::memcpy(row + i * 4, color, 4);
            return;
        }
        SpanParameter p;
        const double px = xl + 0.5 - a.x, py = y + 0.5 - a.y;
        p.u = a.u + dudx * px + dudy * py;
        p.v = a.v + dvdx * px + dvdy * py;
        p.dudx = dudx;
        p.dvdx = dvdx;
        p.dudy = dudy;
        p.dvdy = dvdy;
        p.b = color[0];
        p.g = color[1];
        p.r = color[2];
        p.a = color[3];
        // Without blending, or with opaque output, the shader writes straight into the target.
        const bool blend = blending && !opaque;
        std::uint8_t *shaded = blend ? scratch : row;
        if (shader)
            shader->ShadeSpan(*texture, p, shaded, n);
        else
            ShadeNearestSpan(*texture, p, shaded, n, colorize);
        if (blend)
            BlendSpan(scratch, row, n);
    }

    // Shaded pixels of one row before they are blended (per thread).
    std::uint8_t *Scratch() const
    {
        thread_local std::vector<std::uint8_t> scratch;
        if (texture && blending)
            scratch.resize(std::size_t(target.width) * 4);
        return scratch.data();
    }

    // A texture walked down its columns (a turned image): neighbouring rows
    // read neighbouring columns, so go through tiles of 64 rows by 64 pixels
    // to use each fetched line of the image several times.
    bool Tiled() const noexcept { return texture && std::fabs(dvdx) > std::fabs(dudx); }
    bool MiddleLeft() const noexcept
    {
        return double(b.x - a.x) * double(c.y - a.y) - double(b.y - a.y) * double(c.x - a.x) < 0;
    }

    void Row(std::int32_t y, bool middleLeft, std::uint8_t *scratch) const
    {
        std::int32_t xl, xr;
        if (Span(y, middleLeft, xl, xr))
            Run(y, xl, xr, scratch);
    }

    // Rows [y0, y1) of a tiled triangle.
    void Rows(std::int32_t y0, std::int32_t y1) const
    {
        std::uint8_t *scratch = Scratch();
        const bool middleLeft = MiddleLeft();
        constexpr std::int32_t BandRows = 64, TileWidth = 64;
        std::int32_t left[BandRows], right[BandRows];
        for (std::int32_t band = y0; band < y1; band += BandRows) {
            const std::int32_t rows = std::min(BandRows, y1 - band);
            std::int32_t from = INT32_MAX, to = INT32_MIN;
            for (std::int32_t r = 0; r < rows; ++r) {
                if (!Span(band + r, middleLeft, left[r], right[r]))
                    left[r] = right[r] = 0;
                if (left[r] < right[r])
                    from = std::min(from, left[r]), to = std::max(to, right[r]);
            }
            if (from >= to)
                continue;
            // Tile edges at fixed multiples, so that any split into bands draws alike.
            for (std::int32_t tile = from - ((from % TileWidth) + TileWidth) % TileWidth; tile < to; tile += TileWidth)
                for (std::int32_t r = 0; r < rows; ++r) {
                    const std::int32_t xl = std::max(left[r], tile), xr = std::min(right[r], tile + TileWidth);
                    if (xl < xr)
                        Run(band + r, xl, xr, scratch);
                }
        }
    }
};

} // namespace

void SoftwareContext::RenderVertexBufferRange(VertexBuffer2D &vertexBuffer, std::uint32_t quadIndex)
{
    Target target{};
    if (SharedPtr<Renderer> renderer = TargetRenderer()) {
        auto *software = dynamic_cast<SoftwareRenderer *>(renderer.Get());
        if (!software)
            throw Exception("SoftwareContext::RenderVertexBufferRange: render target of another back end");
        target = Target{software->Pixels(), std::int32_t(software->Width()), std::int32_t(software->Height())};
    } else if (SharedPtr<OffscreenBuffer> offscreen = TargetOffscreen()) {
        target = Target{offscreen->Pixels(), std::int32_t(offscreen->Width()), std::int32_t(offscreen->Height())};
    } else {
        throw Exception("SoftwareContext::RenderVertexBufferRange: no render target");
    }
    if (quadIndex >= vertexBuffer.QuadCount())
        throw Exception("SoftwareContext::RenderVertexBufferRange: quad index out of range");

    const DrawState &state = State();
    SharedPtr<Video::Image2D> bound = BoundImage();
    const auto *texture = dynamic_cast<const Image2D *>(bound.Get());
    if (bound && !texture)
        throw Exception("SoftwareContext::RenderVertexBufferRange: texture of another back end");
    if (texture && texture->LevelCount() == 0)
        texture = nullptr;
    SharedPtr<Video::PixelShader> boundShader = BoundShader();
    const PixelShader *shader = nullptr;
    if (boundShader) {
        shader = dynamic_cast<const PixelShader *>(boundShader.Get());
        if (!shader)
            throw Exception("SoftwareContext::RenderVertexBufferRange: shader is not a software pixel shader");
    }

    RectI32 clip = state.viewport;
    clip.left = std::max(clip.left, 0);
    clip.top = std::max(clip.top, 0);
    clip.right = std::min(clip.right, target.width);
    clip.bottom = std::min(clip.bottom, target.height);
    if (state.scissor) {
        clip.left = std::max(clip.left, state.scissorRect.left);
        clip.top = std::max(clip.top, state.scissorRect.top);
        clip.right = std::min(clip.right, state.scissorRect.right);
        clip.bottom = std::min(clip.bottom, state.scissorRect.bottom);
    }
    if (clip.left >= clip.right || clip.top >= clip.bottom)
        return;

    const Vertex2D *vertices = vertexBuffer.Vertices() + std::size_t(quadIndex) * 6;
    std::optional<TextureAccess> access;
    TriangleJob jobs[2];
    std::int32_t rows[2][2];
    int count = 0;
    unsigned workers = 1;
    for (int t = 0; t < 2; ++t) {
        const Vertex2D *v = vertices + t * 3;
        TriangleJob job{};
        Point p[3];
        bool far = false;
        for (int i = 0; i < 3; ++i) {
            const double fx = v[i].x, fy = v[i].y;
            // Positions far outside any surface are not drawn (and cannot overflow).
            far = far || !(std::fabs(fx) < 1e8 && std::fabs(fy) < 1e8);
            if (!far)
                p[i] = Point{std::int32_t(v[i].x) + state.offsetX, std::int32_t(v[i].y) + state.offsetY, v[i].u, v[i].v};
        }
        if (far)
            break;
        if (state.constantColor) {
            job.color[0] = state.constantB, job.color[1] = state.constantG, job.color[2] = state.constantR,
            job.color[3] = state.constantA;
        } else {
            job.color[0] = v[0].b, job.color[1] = v[0].g, job.color[2] = v[0].r, job.color[3] = v[0].a;
        }
        if (p[0].y > p[1].y)
            std::swap(p[0], p[1]);
        if (p[1].y > p[2].y)
            std::swap(p[1], p[2]);
        if (p[0].y > p[1].y)
            std::swap(p[0], p[1]);
        const Point &a = p[0], &b = p[1], &c = p[2];
        const double det = double(a.x - c.x) * double(b.y - c.y) + double(a.y - c.y) * double(c.x - b.x);
        // A zero-area triangle covers no pixel: nothing to draw, nothing to report.
        if (det == 0.0 || !std::isfinite(a.u + a.v + b.u + b.v + c.u + c.v))
            continue;
        job.a = a, job.b = b, job.c = c;
        job.target = target;
        job.clip = clip;
        job.blending = state.blending;
        if (texture && !access)
            access.emplace(*texture);
        job.texture = texture ? &*access : nullptr;
        if (texture) {
            job.shader = shader;
            job.colorize = !(job.color[0] == 255 && job.color[1] == 255 && job.color[2] == 255 && job.color[3] == 255);
            // Colorization scales alpha too (255 becomes 254); shaders never colorize.
            job.opaque = access->Opaque() && (shader || !job.colorize);
            // Gradients of the affine maps (x, y) -> u and v.
            const double e1x = b.x - a.x, e1y = b.y - a.y, e2x = c.x - a.x, e2y = c.y - a.y;
            const double d = e1x * e2y - e2x * e1y;
            job.dudx = ((b.u - a.u) * e2y - (c.u - a.u) * e1y) / d;
            job.dudy = ((c.u - a.u) * e1x - (b.u - a.u) * e2x) / d;
            job.dvdx = ((b.v - a.v) * e2y - (c.v - a.v) * e1y) / d;
            job.dvdy = ((c.v - a.v) * e1x - (b.v - a.v) * e2x) / d;
        }
        const std::int32_t y0 = std::max(a.y, clip.top), y1 = std::min(c.y, clip.bottom);
        if (y0 >= y1)
            continue;
        // Threads only pay for large textured triangles.
        if (texture && std::fabs(det) > 65536.0)
            workers = _workers;
        jobs[count] = job;
        rows[count][0] = y0, rows[count][1] = y1;
        ++count;
    }
    if (count == 0)
        return;
    // Both triangles row by row (tiled ones band by band): every pixel still
    // gets the first one before the second, and a row's two spans are one
    // stream through the source and the target.
    struct Quad {
        const TriangleJob *jobs;
        const std::int32_t (*rows)[2];
        int count;
        bool tiled, middleLeft[2];
        void Rows(std::int32_t from, std::int32_t to) const
        {
            if (!tiled) {
                std::uint8_t *scratch = jobs[0].Scratch();
                for (std::int32_t y = from; y < to; ++y)
                    for (int j = 0; j < count; ++j)
                        if (rows[j][0] <= y && y < rows[j][1])
                            jobs[j].Row(y, middleLeft[j], scratch);
                return;
            }
            constexpr std::int32_t Band = 64;
            for (std::int32_t y = from; y < to;) {
                const std::int32_t next = std::min(to, (y / Band + 1) * Band);
                for (int j = 0; j < count; ++j)
                    if (std::max(y, rows[j][0]) < std::min(next, rows[j][1]))
                        jobs[j].Rows(std::max(y, rows[j][0]), std::min(next, rows[j][1]));
                y = next;
            }
        }
    } quad{jobs, rows, count, false, {}};
    for (int j = 0; j < count; ++j)
        quad.tiled = quad.tiled || jobs[j].Tiled(), quad.middleLeft[j] = jobs[j].MiddleLeft();
    Function2<void(std::int32_t, std::int32_t)> body;
    body.ResetCallable([&quad](std::int32_t from, std::int32_t to) { quad.Rows(from, to); });
    const std::int32_t top = count == 1 ? rows[0][0] : std::min(rows[0][0], rows[1][0]);
    const std::int32_t bottom = count == 1 ? rows[0][1] : std::max(rows[0][1], rows[1][1]);
    ParallelRows(top, bottom, workers, body);
}

} // namespace Brintavolex::Platform::Video::Software
