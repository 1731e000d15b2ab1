// The resampling shaders of the software back end. Each works on a whole
// span; one template per method, instantiated for the twenty texture types.
// Colour arithmetic is SSE float (interpolating methods may differ from an
// exact double evaluation by one step of the last byte); positions and the
// nearest method are double and exact.

#include "Platform/api/Video/Software.h"

#include "Root/api/Exception.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstring>
#include <vector>

namespace Brintavolex::Platform::Video::Software {

namespace {

using Data::ColorBGRA;

// ---- normalised access: every channel to 0..1 ----

template <class C> inline double NormDouble(C v) noexcept
{
    if constexpr (std::is_floating_point_v<C>) {
        const double d = double(v);
        return d > 0.0 ? (d < 1.0 ? d : 1.0) : 0.0; // NaN becomes 0
    } else if constexpr (std::is_same_v<C, std::uint64_t>) {
        return double(v) * 0x1p-64;
    } else if constexpr (std::is_same_v<C, std::int64_t>) {
        return (double(v) + 0x1p63) * 0x1p-64;
    } else if constexpr (std::is_signed_v<C>) {
        // A product with the reciprocal gives the same bytes as the quotient:
        // no value lies closer than 1 / (2 * range) to a rounding edge.
        constexpr double min = double(std::numeric_limits<C>::min());
        constexpr double scale = 1.0 / (double(std::numeric_limits<C>::max()) - min);
        return (double(v) - min) * scale;
    } else {
        constexpr double scale = 1.0 / double(std::numeric_limits<C>::max());
        return double(v) * scale;
    }
}

template <class P> struct PixelTraits {
    using Channel = P;
    static constexpr bool grey = true;
};
template <class C> struct PixelTraits<ColorBGRA<C>> {
    using Channel = C;
    static constexpr bool grey = false;
};

// One texel as normalised floats (b, g, r, a).
template <class P> inline __m128 Load(const P *p) noexcept
{
    if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
        std::int32_t bits;
        std::memcpy(&bits, p, 4);
        const __m128i zero = _mm_setzero_si128();
        const __m128i v = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bits), zero), zero);
        return _mm_mul_ps(_mm_cvtepi32_ps(v), _mm_set1_ps(1.0f / 255.0f));
    } else if constexpr (std::is_same_v<P, std::uint8_t>) {
        const float n = float(*p) * (1.0f / 255.0f);
        return _mm_set_ps(1.0f, n, n, n);
    } else if constexpr (std::is_same_v<P, std::uint16_t>) {
        const float n = float(*p) * (1.0f / 65535.0f);
        return _mm_set_ps(1.0f, n, n, n);
    } else if constexpr (std::is_same_v<P, float>) {
        const float v = *p;
        const float n = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
        return _mm_set_ps(1.0f, n, n, n);
    } else if constexpr (PixelTraits<P>::grey) {
        const float n = float(NormDouble(*p));
        return _mm_set_ps(1.0f, n, n, n);
    } else {
        return _mm_set_ps(float(NormDouble(p->a)), float(NormDouble(p->r)), float(NormDouble(p->g)),
                          float(NormDouble(p->b)));
    }
}

// Normalised floats to four bytes: c * 255 + 0.5, truncated.
inline void Store(__m128 c, std::uint8_t *out) noexcept
{
    const __m128i i = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(c, _mm_set1_ps(255.0f)), _mm_set1_ps(0.5f)));
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(i, i), _mm_setzero_si128());
    const std::int32_t bits = _mm_cvtsi128_si32(packed);
    std::memcpy(out, &bits, 4);
}

inline __m128 Clamp01(__m128 c) noexcept { return _mm_min_ps(_mm_max_ps(c, _mm_setzero_ps()), _mm_set1_ps(1.0f)); }

// A grey texel as one normalised float.
template <class P> inline float Grey(const P *p) noexcept
{
    if constexpr (std::is_same_v<P, std::uint8_t>)
        return float(*p) * (1.0f / 255.0f);
    else if constexpr (std::is_same_v<P, std::uint16_t>)
        return float(*p) * (1.0f / 65535.0f);
    else if constexpr (std::is_same_v<P, float>)
        return *p > 0.0f ? (*p < 1.0f ? *p : 1.0f) : 0.0f;
    else
        return float(NormDouble(*p));
}

inline void StoreGrey(float c, std::uint8_t *out) noexcept
{
    const float scaled = std::min(std::max(c * 255.0f + 0.5f, 0.0f), 255.0f);
    const std::uint32_t pixel = std::uint32_t(static_cast<std::int32_t>(scaled)) * 0x010101u | 0xFF000000u;
    std::memcpy(out, &pixel, 4);
}

// Exact bytes of one texel, as the double evaluation gives them.
template <class P> inline void TexelBytes(const P *p, std::uint8_t *out) noexcept
{
    if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
        std::memcpy(out, p, 4);
    } else if constexpr (std::is_same_v<P, std::uint8_t>) {
        out[0] = out[1] = out[2] = *p;
        out[3] = 255;
    } else if constexpr (PixelTraits<P>::grey) {
        const auto b = static_cast<std::uint8_t>(NormDouble(*p) * 255.0 + 0.5);
        out[0] = out[1] = out[2] = b;
        out[3] = 255;
    } else {
        out[0] = static_cast<std::uint8_t>(NormDouble(p->b) * 255.0 + 0.5);
        out[1] = static_cast<std::uint8_t>(NormDouble(p->g) * 255.0 + 0.5);
        out[2] = static_cast<std::uint8_t>(NormDouble(p->r) * 255.0 + 0.5);
        out[3] = static_cast<std::uint8_t>(NormDouble(p->a) * 255.0 + 0.5);
    }
}

// One level of a texture, locked for reading while the view lives.
template <class P> struct LevelView {
    explicit LevelView(const TextureAccess::Level &level)
        : data(static_cast<const P *>(level.data)), stride(level.stride), w(level.width), h(level.height)
    {
    }
    const P *At(std::int32_t x, std::int32_t y) const noexcept { return data + std::int64_t(y) * stride + x; }
    std::int32_t ClampX(std::int32_t x) const noexcept { return x < 0 ? 0 : (x >= w ? w - 1 : x); }
    std::int32_t ClampY(std::int32_t y) const noexcept { return y < 0 ? 0 : (y >= h ? h - 1 : y); }
    const P *data;
    std::int64_t stride;
    std::int32_t w, h;
};

inline std::int32_t FloorToInt(double x) noexcept
{
    const auto i = static_cast<std::int32_t>(x);
    return i - (double(i) > x);
}

// Positions outside the int range are far outside the image anyway.
inline double ClampPosition(double x) noexcept { return x > 1e9 ? 1e9 : (x < -1e9 ? -1e9 : x); }

// ---- Nearest ----

struct NearestMode {
    template <class P, bool Colorize>
    static void Span(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        LevelView<P> level(texture.At(0));
        const double W = level.w, H = level.h;
        const std::uint32_t k[4] = {p.b, p.g, p.r, p.a};
        if (!Colorize && p.dvdx == 0.0 && std::fabs(p.v * H) < 1e9 && std::fabs(p.u * W) < 1e9 &&
            std::fabs((p.u + n * p.dudx) * W) < 1e9) {
            // One source row: only the column changes along the span.
            const double y = p.v * H + 1e-9;
            const P *row = level.At(0, level.ClampY(y >= 0 ? std::int32_t(y) : std::int32_t(y - 0.9999999999)));
            const std::int32_t last = level.w - 1;
            for (std::int32_t i = 0; i < n; ++i, out += 4) {
                const double x = (p.u + i * p.dudx) * W + 1e-9;
                const std::int32_t ix = x >= 0 ? std::int32_t(x) : std::int32_t(x - 0.9999999999);
                TexelBytes(row + std::min(std::max(ix, 0), last), out);
            }
            return;
        }
        for (std::int32_t i = 0; i < n; ++i, out += 4) {
            // A position that is exactly on a texel edge in exact arithmetic
            // may come out a hair below it: the nudge keeps it on the edge.
            const double x = ClampPosition((p.u + i * p.dudx) * W) + 1e-9;
            const double y = ClampPosition((p.v + i * p.dvdx) * H) + 1e-9;
            // Negative positions: the integer part of (x - 0.9999999999).
            const std::int32_t ix = level.ClampX(x >= 0 ? std::int32_t(x) : std::int32_t(x - 0.9999999999));
            const std::int32_t iy = level.ClampY(y >= 0 ? std::int32_t(y) : std::int32_t(y - 0.9999999999));
            TexelBytes(level.At(ix, iy), out);
            if constexpr (Colorize)
                for (int c = 0; c < 4; ++c)
                    out[c] = static_cast<std::uint8_t>((out[c] * k[c]) >> 8);
        }
    }
};

// ---- Linear ----

template <class P>
inline __m128 Bilinear(const LevelView<P> &level, double x, double y) noexcept
{
    x = ClampPosition(x) - 0.5;
    y = ClampPosition(y) - 0.5;
    const std::int32_t i = FloorToInt(x), j = FloorToInt(y);
    const float fx = float(x - i), fy = float(y - j);
    const std::int32_t x0 = level.ClampX(i), x1 = level.ClampX(i + 1);
    const std::int32_t y0 = level.ClampY(j), y1 = level.ClampY(j + 1);
    const __m128 t00 = Load(level.At(x0, y0)), t10 = Load(level.At(x1, y0));
    const __m128 t01 = Load(level.At(x0, y1)), t11 = Load(level.At(x1, y1));
    const __m128 wx = _mm_set1_ps(fx), wy = _mm_set1_ps(fy);
    const __m128 top = _mm_add_ps(t00, _mm_mul_ps(_mm_sub_ps(t10, t00), wx));
    const __m128 bottom = _mm_add_ps(t01, _mm_mul_ps(_mm_sub_ps(t11, t01), wx));
    return _mm_add_ps(top, _mm_mul_ps(_mm_sub_ps(bottom, top), wy));
}

// Bilinear of 8-bit B, G, R, A texels in 14-bit fixed point (within a
// fraction of a step of the float result): t0/t1 the two texels of the upper
// row, t2/t3 of the lower one; wx, wy in 0..16384.
inline void Bilinear8(const std::uint8_t *t0, const std::uint8_t *t1, const std::uint8_t *t2, const std::uint8_t *t3,
                      std::int32_t wx, std::int32_t wy, std::uint8_t *out) noexcept
{
    std::int32_t a, b, c, d;
    std::memcpy(&a, t0, 4);
    std::memcpy(&b, t1, 4);
    std::memcpy(&c, t2, 4);
    std::memcpy(&d, t3, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i weightsX = _mm_set1_epi32(std::int32_t((std::uint32_t(wx) << 16) | std::uint32_t(16384 - wx)));
    const __m128i top = _mm_madd_epi16(
        _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b)), zero), weightsX);
    const __m128i bottom = _mm_madd_epi16(
        _mm_unpacklo_epi8(_mm_unpacklo_epi8(_mm_cvtsi32_si128(c), _mm_cvtsi32_si128(d)), zero), weightsX);
    const __m128i packed = _mm_packs_epi32(_mm_srli_epi32(top, 7), _mm_srli_epi32(bottom, 7));
    const __m128i pairs = _mm_unpacklo_epi16(packed, _mm_srli_si128(packed, 8));
    const __m128i weightsY = _mm_set1_epi32(std::int32_t((std::uint32_t(wy) << 16) | std::uint32_t(16384 - wy)));
    const __m128i sum = _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(pairs, weightsY), _mm_set1_epi32(1 << 20)), 21);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(sum, sum), zero);
    const std::int32_t result = _mm_cvtsi128_si32(bytes);
    std::memcpy(out, &result, 4);
}

// Positions along a span in 32.32 fixed point: exact steps, no drift.
struct FixedSteps {
    FixedSteps(double start, double step) noexcept
        : start(std::int64_t(std::llround(start * 4294967296.0))), step(std::int64_t(std::llround(step * 4294967296.0)))
    {
    }
    std::int64_t At(std::int32_t i) const noexcept { return start + std::int64_t(i) * step; }
    static std::int32_t Whole(std::int64_t f) noexcept { return std::int32_t(f >> 32); }
    static std::int32_t Weight14(std::int64_t f) noexcept { return std::int32_t((f >> 18) & 0x3FFF); }
    std::int64_t start, step;
};

struct LinearMode {
    template <class P> static void Span(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        LevelView<P> level(texture.At(0));
        SpanIn(level, p, out, n);
    }
    template <class P>
    static void SpanIn(const LevelView<P> &level, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        const double W = level.w, H = level.h;
        const double x0 = p.u * W - 0.5, dx = p.dudx * W, y0 = p.v * H - 0.5, dy = p.dvdx * H;
        const double xn = x0 + (n - 1) * dx, yn = y0 + (n - 1) * dy;
        const bool inRange = std::fabs(x0) < 1e9 && std::fabs(xn) < 1e9 && std::fabs(y0) < 1e9 && std::fabs(yn) < 1e9;
        if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
            // Integer paths for 8-bit colour, positions within +-2^30.
            if (inRange && std::fabs(x0) < 1e9 && (dy == 0.0 || dx == 0.0)) {
                const auto *base = reinterpret_cast<const std::uint8_t *>(level.data);
                const std::int64_t pitch = level.stride * 4;
                const std::int32_t lastX = level.w - 1, lastY = level.h - 1;
                if (dy == 0.0) {
                    const FixedSteps xs(x0, dx), y(y0, 0.0);
                    const std::int32_t j = FixedSteps::Whole(y.start), wy = FixedSteps::Weight14(y.start);
                    const std::uint8_t *r0 = base + std::min(std::max(j, 0), lastY) * pitch;
                    const std::uint8_t *r1 = base + std::min(std::max(j + 1, 0), lastY) * pitch;
                    for (std::int32_t i = 0; i < n; ++i, out += 4) {
                        const std::int64_t x = xs.At(i);
                        const std::int32_t ix = FixedSteps::Whole(x), wx = FixedSteps::Weight14(x);
                        const std::int32_t a = std::min(std::max(ix, 0), lastX) * 4;
                        const std::int32_t b = std::min(std::max(ix + 1, 0), lastX) * 4;
                        Bilinear8(r0 + a, r0 + b, r1 + a, r1 + b, wx, wy, out);
                    }
                } else {
                    const FixedSteps x(x0, 0.0), ys(y0, dy);
                    const std::int32_t ix = FixedSteps::Whole(x.start), wx = FixedSteps::Weight14(x.start);
                    const std::int32_t a = std::min(std::max(ix, 0), lastX) * 4;
                    const std::int32_t b = std::min(std::max(ix + 1, 0), lastX) * 4;
                    for (std::int32_t i = 0; i < n; ++i, out += 4) {
                        const std::int64_t y = ys.At(i);
                        const std::int32_t j = FixedSteps::Whole(y), wy = FixedSteps::Weight14(y);
                        const std::uint8_t *r0 = base + std::min(std::max(j, 0), lastY) * pitch;
                        const std::uint8_t *r1 = base + std::min(std::max(j + 1, 0), lastY) * pitch;
                        Bilinear8(r0 + a, r0 + b, r1 + a, r1 + b, wx, wy, out);
                    }
                }
                return;
            }
        }
        if constexpr (PixelTraits<P>::grey) {
            // One channel instead of four, positions in fixed point.
            if (inRange && std::fabs(x0) < 1e9 && (dy == 0.0 || dx == 0.0)) {
                const std::int32_t lastX = level.w - 1, lastY = level.h - 1;
                const FixedSteps xs(x0, dx), ys(y0, dy);
                for (std::int32_t i = 0; i < n; ++i, out += 4) {
                    const std::int64_t x = xs.At(i), y = ys.At(i);
                    const std::int32_t ix = FixedSteps::Whole(x), j = FixedSteps::Whole(y);
                    const std::int32_t wx = FixedSteps::Weight14(x), wy = FixedSteps::Weight14(y);
                    const std::int32_t a = std::min(std::max(ix, 0), lastX), b = std::min(std::max(ix + 1, 0), lastX);
                    const P *r0 = level.data + std::int64_t(std::min(std::max(j, 0), lastY)) * level.stride;
                    const P *r1 = level.data + std::int64_t(std::min(std::max(j + 1, 0), lastY)) * level.stride;
                    if constexpr (std::is_same_v<P, std::uint8_t> || std::is_same_v<P, std::uint16_t>) {
                        // Integer weights of 14 bits; K scales 0..max * 2^14 to bytes * 2^40.
                        constexpr std::uint64_t max = std::numeric_limits<P>::max();
                        constexpr std::uint64_t K = ((255ull << 40) / (max << 14)) + 1;
                        const std::uint32_t top = (std::uint32_t(r0[a]) * std::uint32_t(16384 - wx) +
                                                   std::uint32_t(r0[b]) * std::uint32_t(wx)) >> 14;
                        const std::uint32_t bottom = (std::uint32_t(r1[a]) * std::uint32_t(16384 - wx) +
                                                      std::uint32_t(r1[b]) * std::uint32_t(wx)) >> 14;
                        const std::uint64_t value = std::uint64_t(top) * std::uint32_t(16384 - wy) + std::uint64_t(bottom) * std::uint32_t(wy);
                        const std::uint32_t byte = std::uint32_t(std::min<std::uint64_t>((value * K + (1ull << 39)) >> 40, 255));
                        const std::uint32_t pixel = byte * 0x010101u | 0xFF000000u;
                        std::memcpy(out, &pixel, 4);
                    } else {
                        const float fx = float(wx) * (1.0f / 16384.0f), fy = float(wy) * (1.0f / 16384.0f);
                        const float t00 = Grey(r0 + a), t10 = Grey(r0 + b), t01 = Grey(r1 + a), t11 = Grey(r1 + b);
                        const float top = t00 + (t10 - t00) * fx, bottom = t01 + (t11 - t01) * fx;
                        StoreGrey(top + (bottom - top) * fy, out);
                    }
                }
                return;
            }
        }
        if (inRange && dy == 0.0) {
            // One pair of source rows for the whole span.
            const std::int32_t j = FloorToInt(y0);
            const __m128 wy = _mm_set1_ps(float(y0 - j));
            const P *r0 = level.At(0, level.ClampY(j)), *r1 = level.At(0, level.ClampY(j + 1));
            const std::int32_t last = level.w - 1;
            for (std::int32_t i = 0; i < n; ++i, out += 4) {
                const double x = x0 + i * dx;
                const std::int32_t ix = FloorToInt(x);
                const __m128 wx = _mm_set1_ps(float(x - ix));
                const std::int32_t a = std::min(std::max(ix, 0), last), b = std::min(std::max(ix + 1, 0), last);
                const __m128 t00 = Load(r0 + a), t10 = Load(r0 + b), t01 = Load(r1 + a), t11 = Load(r1 + b);
                const __m128 top = _mm_add_ps(t00, _mm_mul_ps(_mm_sub_ps(t10, t00), wx));
                const __m128 bottom = _mm_add_ps(t01, _mm_mul_ps(_mm_sub_ps(t11, t01), wx));
                Store(_mm_add_ps(top, _mm_mul_ps(_mm_sub_ps(bottom, top), wy)), out);
            }
            return;
        }
        if (inRange && dx == 0.0) {
            // One pair of source columns (a turned image).
            const std::int32_t ix = FloorToInt(x0);
            const __m128 wx = _mm_set1_ps(float(x0 - ix));
            const std::int32_t a = level.ClampX(ix), b = level.ClampX(ix + 1);
            const std::int32_t last = level.h - 1;
            for (std::int32_t i = 0; i < n; ++i, out += 4) {
                const double y = y0 + i * dy;
                const std::int32_t j = FloorToInt(y);
                const __m128 wy = _mm_set1_ps(float(y - j));
                const P *r0 = level.data + std::int64_t(std::min(std::max(j, 0), last)) * level.stride;
                const P *r1 = level.data + std::int64_t(std::min(std::max(j + 1, 0), last)) * level.stride;
                const __m128 t00 = Load(r0 + a), t10 = Load(r0 + b), t01 = Load(r1 + a), t11 = Load(r1 + b);
                const __m128 top = _mm_add_ps(t00, _mm_mul_ps(_mm_sub_ps(t10, t00), wx));
                const __m128 bottom = _mm_add_ps(t01, _mm_mul_ps(_mm_sub_ps(t11, t01), wx));
                Store(_mm_add_ps(top, _mm_mul_ps(_mm_sub_ps(bottom, top), wy)), out);
            }
            return;
        }
        for (std::int32_t i = 0; i < n; ++i, out += 4)
            Store(Bilinear(level, (p.u + i * p.dudx) * W, (p.v + i * p.dvdx) * H), out);
    }
};

// ---- Cubic (Catmull-Rom, a = -0.5) ----

inline void CubicWeights(float t, float w[4]) noexcept
{
    // The weights of p0..p3 in p1 + 0.5 t (p2 - p0 + t (2 p0 - 5 p1 + 4 p2 - p3 + t (3 (p1 - p2) + p3 - p0))).
    const float t2 = t * t, t3 = t2 * t;
    w[0] = 0.5f * (-t + 2.0f * t2 - t3);
    w[1] = 0.5f * (2.0f - 5.0f * t2 + 3.0f * t3);
    w[2] = 0.5f * (t + 4.0f * t2 - 3.0f * t3);
    w[3] = 0.5f * (-t2 + t3);
}

struct CubicMode {
    template <class P> static void Span(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        LevelView<P> level(texture.At(0));
        const double W = level.w, H = level.h;
        if (n > 8 && p.dvdx == 0.0)
            SpanRows(level, p, out, n, W, H);
        else if (n > 8 && p.dudx == 0.0)
            SpanColumns(level, p, out, n, W, H);
        else
            for (std::int32_t i = 0; i < n; ++i, out += 4)
                Store(Clamp01(Sample(level, (p.u + i * p.dudx) * W, (p.v + i * p.dvdx) * H)), out);
    }

    template <class P> static __m128 Sample(const LevelView<P> &level, double x, double y) noexcept
    {
        x = ClampPosition(x) - 0.5;
        y = ClampPosition(y) - 0.5;
        const std::int32_t fxi = FloorToInt(x), fyi = FloorToInt(y);
        float wx[4], wy[4];
        CubicWeights(float(x - fxi), wx);
        CubicWeights(float(y - fyi), wy);
        std::int32_t cols[4];
        for (int c = 0; c < 4; ++c)
            cols[c] = level.ClampX(fxi - 1 + c);
        __m128 sum = _mm_setzero_ps();
        for (int r = 0; r < 4; ++r) {
            const std::int32_t row = level.ClampY(fyi - 1 + r);
            __m128 line = _mm_mul_ps(Load(level.At(cols[0], row)), _mm_set1_ps(wx[0]));
            for (int c = 1; c < 4; ++c)
                line = _mm_add_ps(line, _mm_mul_ps(Load(level.At(cols[c], row)), _mm_set1_ps(wx[c])));
            sum = _mm_add_ps(sum, _mm_mul_ps(line, _mm_set1_ps(wy[r])));
        }
        return sum;
    }

    // A turned image: the span shares its four source columns; interpolate
    // each needed source row horizontally once, then vertically per pixel.
    template <class P>
    static void SpanColumns(const LevelView<P> &level, const SpanParameter &p, std::uint8_t *out, std::int32_t n,
                            double W, double H)
    {
        const double x = ClampPosition(p.u * W) - 0.5;
        const std::int32_t fxi = FloorToInt(x);
        float wx[4];
        CubicWeights(float(x - fxi), wx);
        std::int32_t cols[4];
        for (int c = 0; c < 4; ++c)
            cols[c] = level.ClampX(fxi - 1 + c);
        const double yFirst = ClampPosition(p.v * H) - 0.5, yLast = ClampPosition((p.v + (n - 1) * p.dvdx) * H) - 0.5;
        const std::int32_t r0 = FloorToInt(std::min(yFirst, yLast)) - 1;
        const std::int32_t r1 = FloorToInt(std::max(yFirst, yLast)) + 2;
        const std::int32_t rows = r1 - r0 + 1;
        if (rows > 4 * n) {
            for (std::int32_t i = 0; i < n; ++i, out += 4)
                Store(Clamp01(Sample(level, p.u * W, (p.v + i * p.dvdx) * H)), out);
            return;
        }
        struct alignas(16) F4 {
            float v[4];
        };
        thread_local std::vector<F4> cache;
        cache.resize(std::size_t(rows));
        const __m128 w0 = _mm_set1_ps(wx[0]), w1 = _mm_set1_ps(wx[1]), w2 = _mm_set1_ps(wx[2]),
                     w3 = _mm_set1_ps(wx[3]);
        for (std::int32_t r = 0; r < rows; ++r) {
            const P *line = level.At(0, level.ClampY(r0 + r));
            __m128 v = _mm_mul_ps(Load(line + cols[0]), w0);
            v = _mm_add_ps(v, _mm_mul_ps(Load(line + cols[1]), w1));
            v = _mm_add_ps(v, _mm_mul_ps(Load(line + cols[2]), w2));
            _mm_store_ps(cache[std::size_t(r)].v, _mm_add_ps(v, _mm_mul_ps(Load(line + cols[3]), w3)));
        }
        for (std::int32_t i = 0; i < n; ++i, out += 4) {
            const double y = ClampPosition((p.v + i * p.dvdx) * H) - 0.5;
            const std::int32_t fyi = FloorToInt(y);
            float wy[4];
            CubicWeights(float(y - fyi), wy);
            const F4 *row = &cache[std::size_t(fyi - 1 - r0)];
            __m128 sum = _mm_mul_ps(_mm_load_ps(row[0].v), _mm_set1_ps(wy[0]));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(row[1].v), _mm_set1_ps(wy[1])));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(row[2].v), _mm_set1_ps(wy[2])));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(row[3].v), _mm_set1_ps(wy[3])));
            Store(Clamp01(sum), out);
        }
    }

    // Rows of the span share their four source rows: interpolate each needed
    // source column vertically once, then horizontally per pixel.
    template <class P>
    static void SpanRows(const LevelView<P> &level, const SpanParameter &p, std::uint8_t *out, std::int32_t n,
                         double W, double H)
    {
        const double y = ClampPosition(p.v * H) - 0.5;
        const std::int32_t fyi = FloorToInt(y);
        float wy[4];
        CubicWeights(float(y - fyi), wy);
        std::int32_t rows[4];
        for (int r = 0; r < 4; ++r)
            rows[r] = level.ClampY(fyi - 1 + r);
        const double xFirst = ClampPosition(p.u * W) - 0.5, xLast = ClampPosition((p.u + (n - 1) * p.dudx) * W) - 0.5;
        const std::int32_t c0 = FloorToInt(std::min(xFirst, xLast)) - 1;
        const std::int32_t c1 = FloorToInt(std::max(xFirst, xLast)) + 2;
        const std::int32_t columns = c1 - c0 + 1;
        if (columns > 4 * n) {
            // Strong reduction: most columns would be computed for nothing.
            for (std::int32_t i = 0; i < n; ++i, out += 4)
                Store(Clamp01(Sample(level, (p.u + i * p.dudx) * W, p.v * H)), out);
            return;
        }
        struct alignas(16) F4 {
            float v[4];
        };
        thread_local std::vector<F4> cache;
        cache.resize(std::size_t(columns));
        const __m128 w0 = _mm_set1_ps(wy[0]), w1 = _mm_set1_ps(wy[1]), w2 = _mm_set1_ps(wy[2]),
                     w3 = _mm_set1_ps(wy[3]);
        for (std::int32_t c = 0; c < columns; ++c) {
            const std::int32_t x = level.ClampX(c0 + c);
            __m128 v = _mm_mul_ps(Load(level.At(x, rows[0])), w0);
            v = _mm_add_ps(v, _mm_mul_ps(Load(level.At(x, rows[1])), w1));
            v = _mm_add_ps(v, _mm_mul_ps(Load(level.At(x, rows[2])), w2));
            _mm_store_ps(cache[std::size_t(c)].v, _mm_add_ps(v, _mm_mul_ps(Load(level.At(x, rows[3])), w3)));
        }
        for (std::int32_t i = 0; i < n; ++i, out += 4) {
            const double x = ClampPosition((p.u + i * p.dudx) * W) - 0.5;
            const std::int32_t fxi = FloorToInt(x);
            float wx[4];
            CubicWeights(float(x - fxi), wx);
            const F4 *col = &cache[std::size_t(fxi - 1 - c0)];
            __m128 sum = _mm_mul_ps(_mm_load_ps(col[0].v), _mm_set1_ps(wx[0]));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(col[1].v), _mm_set1_ps(wx[1])));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(col[2].v), _mm_set1_ps(wx[2])));
            sum = _mm_add_ps(sum, _mm_mul_ps(_mm_load_ps(col[3].v), _mm_set1_ps(wx[3])));
            Store(Clamp01(sum), out);
        }
    }
};

// ---- Area (box filter over the pixel's footprint) ----

struct AreaMode {
    template <class P> static void Span(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        LevelView<P> level(texture.At(0));
        const double W = level.w, H = level.h;
        // The footprint per axis from both derivatives, so that it does not
        // collapse when the row step of one coordinate is 0 (a turned quad).
        const double fx = std::max((std::fabs(p.dudx) + std::fabs(p.dudy)) * W, 1e-6);
        const double fy = std::max((std::fabs(p.dvdx) + std::fabs(p.dvdy)) * H, 1e-6);
        for (std::int32_t i = 0; i < n; ++i, out += 4) {
            const double x = ClampPosition((p.u + i * p.dudx) * W), y = ClampPosition((p.v + i * p.dvdx) * H);
            Store(Box(level, x - fx / 2, x + fx / 2, y - fy / 2, y + fy / 2), out);
        }
    }

    // Columns (or rows) from a0 to a1 with their weights: the first
    // floor(a0) gets min(1 - frac(a0), a1 - a0), the next ones clamp(a1 - k, 0, 1).
    template <class F> static void Walk(double a0, double a1, F &&f)
    {
        std::int32_t k = FloorToInt(a0);
        f(k, std::min(1.0 - (a0 - k), a1 - a0));
        for (++k; k < a1; ++k)
            f(k, std::min(std::max(a1 - k, 0.0), 1.0));
    }

    template <class P> static __m128 Box(const LevelView<P> &level, double x0, double x1, double y0, double y1)
    {
        __m128 sum = _mm_setzero_ps();
        Walk(y0, y1, [&](std::int32_t row, double wy) {
            const std::int32_t cy = level.ClampY(row);
            __m128 line = _mm_setzero_ps();
            Walk(x0, x1, [&](std::int32_t col, double wx) {
                line = _mm_add_ps(line, _mm_mul_ps(Load(level.At(level.ClampX(col), cy)), _mm_set1_ps(float(wx))));
            });
            sum = _mm_add_ps(sum, _mm_mul_ps(line, _mm_set1_ps(float(wy))));
        });
        return _mm_mul_ps(sum, _mm_set1_ps(float(1.0 / ((x1 - x0) * (y1 - y0)))));
    }
};

// ---- Mip-mapped ----

// The level of detail from the larger of the two row steps.
inline double LevelOfDetail(const SpanParameter &p, double W, double H) noexcept
{
    const double du = std::fabs(p.dudx), dv = std::fabs(p.dvdx);
    const double scaled = du > dv ? du * W : dv * H;
    return scaled > 0.0 ? std::log2(scaled) : -1e9;
}

struct MipMapBilinearMode {
    template <class P> static void Span(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        const TextureAccess::Level &base = texture.At(0);
        const double lambda = LevelOfDetail(p, double(base.width), double(base.height));
        std::int32_t level = lambda > 0 ? std::int32_t(lambda + 0.5) : 0;
        level = std::min(level, std::int32_t(texture.Count()) - 1);
        LevelView<P> view(texture.At(std::size_t(level)));
        LinearMode::SpanIn(view, p, out, n);
    }
};

struct MipMapTrilinearMode {
    template <class P> static void Span(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        const TextureAccess::Level &base = texture.At(0);
        double lambda = LevelOfDetail(p, double(base.width), double(base.height));
        if (!(lambda > 0))
            lambda = 0;
        const std::int32_t last = std::int32_t(texture.Count()) - 1;
        const std::int32_t l = std::int32_t(lambda);
        const float f = float(lambda - l);
        LevelView<P> a(texture.At(std::size_t(std::min(l, last))));
        LevelView<P> b(texture.At(std::size_t(std::min(l + 1, last))));
        const __m128 wa = _mm_set1_ps(1.0f - f), wb = _mm_set1_ps(f);
        for (std::int32_t i = 0; i < n; ++i, out += 4) {
            const double u = p.u + i * p.dudx, v = p.v + i * p.dvdx;
            const __m128 ca = Bilinear(a, u * a.w, v * a.h), cb = Bilinear(b, u * b.w, v * b.h);
            Store(_mm_add_ps(_mm_mul_ps(ca, wa), _mm_mul_ps(cb, wb)), out);
        }
    }
};

template <class Mode, bool Colorize = false> class PixelShaderOfType final : public PixelShader {
public:
    using PixelShader::PixelShader;
    void ShadeSpan(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out,
                   std::int32_t count) const override
    {
        if (count <= 0 || texture.Count() == 0)
            return;
        const bool known = Data::DispatchColorType(texture.Type(), [&](auto tag) {
            using P = typename decltype(tag)::type;
            if constexpr (std::is_same_v<Mode, NearestMode>)
                Mode::template Span<P, Colorize>(texture, p, out, count);
            else
                Mode::template Span<P>(texture, p, out, count);
        });
        if (!known)
            throw Exception(
                "Brintavolex::Platform::Video::Software::SoftwareContext::DrawTriangleWithTexture: unknown color type");
    }
};

} // namespace

TextureAccess::TextureAccess(const Image2D &texture)
{
    if (texture.LevelCount() == 0)
        return;
    _type = texture.Level(0).GetColorType();
    for (std::size_t i = 0; i < texture.LevelCount(); ++i) {
        const Data::Image2DBase &image = texture.Level(i);
        const bool known = Data::DispatchColorType(_type, [&](auto tag) {
            using P = typename decltype(tag)::type;
            auto lock = std::make_shared<Data::Image2DLock<const P>>(image.LockConst<P>());
            _levels.push_back(Level{lock->Data(), std::int64_t(lock->Stride()), std::int32_t(lock->Width()),
                                    std::int32_t(lock->Height())});
            _locks.push_back(lock);
        });
        if (!known)
            throw Exception(
                "Brintavolex::Platform::Video::Software::SoftwareContext::DrawTriangleWithTexture: unknown color type");
    }
}

void ShadeNearestSpan(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t count,
                      bool colorize)
{
    if (count <= 0 || texture.Count() == 0)
        return;
    const bool known = Data::DispatchColorType(texture.Type(), [&](auto tag) {
        using P = typename decltype(tag)::type;
        if (colorize)
            NearestMode::Span<P, true>(texture, p, out, count);
        else
            NearestMode::Span<P, false>(texture, p, out, count);
    });
    if (!known)
        throw Exception(
            "Brintavolex::Platform::Video::Software::SoftwareContext::DrawTriangleWithTexture: unknown color type");
}

SharedPtr<PixelShader> CreatePixelShader(const SharedPtr<Context> &context, ShaderKind kind)
{
    switch (kind) {
    case ShaderKind::Nearest: return MakeShared<PixelShaderOfType<NearestMode>>(context);
    case ShaderKind::NearestWithColorization: return MakeShared<PixelShaderOfType<NearestMode, true>>(context);
    case ShaderKind::Linear: return MakeShared<PixelShaderOfType<LinearMode>>(context);
    case ShaderKind::Cubic: return MakeShared<PixelShaderOfType<CubicMode>>(context);
    case ShaderKind::Area: return MakeShared<PixelShaderOfType<AreaMode>>(context);
    case ShaderKind::MipMapBilinear: return MakeShared<PixelShaderOfType<MipMapBilinearMode>>(context);
    case ShaderKind::MipMapTrilinear: return MakeShared<PixelShaderOfType<MipMapTrilinearMode>>(context);
    }
    throw Exception("Software::CreatePixelShader: unknown shader kind");
}

} // namespace Brintavolex::Platform::Video::Software
