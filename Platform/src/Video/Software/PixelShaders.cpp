// The resampling shaders of the software back end. Each works on a whole
// span; one template per method, instantiated for the twenty texture types.
// Linear and cubic run in 16-bit fixed point along axis-aligned spans, the
// other interpolating methods in SSE float (all may differ from an exact
// double evaluation by one step of the last byte); positions and the nearest
// method are double and exact.

#include "Platform/api/Video/Software.h"

#include "Data/api/DisplayBytes.h"

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

// The display mapping of the data model: the same normalisation and bytes as
// every other place that shows pixels.
template <class C> inline double NormDouble(C v) noexcept { return Data::NormalizedDisplayValue(v); }

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

// Exact bytes of one texel, as the double evaluation gives them.
template <class P> inline void TexelBytes(const P *p, std::uint8_t *out) noexcept { Data::DisplayBytes(*p, out); }

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

// count copies of one texel's bytes.
template <class P> inline void FillTexel(const P &texel, std::uint8_t *out, std::int64_t count) noexcept
{
    // Not even a read when there is nothing to fill: the edge texels lie far from the span.
    if (count <= 0)
        return;
    std::uint8_t bytes[4];
    TexelBytes(&texel, bytes);
    for (std::int64_t i = 0; i < count; ++i)
        std::memcpy(out + i * 4, bytes, 4);
}

// Each of count pixels (4 bytes) k times.
inline void Replicate(const std::uint8_t *pixels, std::int64_t count, std::int64_t k, std::uint8_t *out) noexcept
{
    std::int64_t t = 0;
    if (k >= 2 && k <= 4) {
        // Four texels at a time, shuffled into k registers.
        for (; t + 4 <= count; t += 4, out += 16 * k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pixels + t * 4));
            if (k == 2) {
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi32(v, v));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), _mm_unpackhi_epi32(v, v));
            } else if (k == 3) {
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_shuffle_epi32(v, 0x40));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), _mm_shuffle_epi32(v, 0xA5));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 32), _mm_shuffle_epi32(v, 0xFE));
            } else {
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_shuffle_epi32(v, 0x00));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), _mm_shuffle_epi32(v, 0x55));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 32), _mm_shuffle_epi32(v, 0xAA));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 48), _mm_shuffle_epi32(v, 0xFF));
            }
        }
    }
    for (; t < count; ++t)
        for (std::int64_t c = 0; c < k; ++c, out += 4)
            std::memcpy(out, pixels + t * 4, 4);
}

// Nearest along one source row when every texel covers a whole number k of
// screen pixels (100 %, 200 %, ...): a row copy or a row replication. x0 is
// the position of the first pixel centre as the per-pixel loop computes it,
// step the texels per pixel. False when a position of the span could fall
// into another texel than the whole-number steps give; the caller then
// takes the pixels one by one.
template <class P>
bool NearestWholeSteps(const P *row, std::int32_t w, double x0, double step, std::uint8_t *out, std::int32_t n)
{
    if (!(step > 0.0) || !(std::fabs(x0) < 1e6))
        return false;
    const double k = std::nearbyint(1.0 / step);
    if (!(k >= 1.0 && k <= 256.0))
        return false;
    // The positions x0 + i / k keep their offset r / k inside a cell of 1 / k
    // texel; the real ones drift from them by the step's error and rounding
    // (in cells: n |step k - 1| and 1e-7 texel).
    const double cell = x0 * k, first = std::floor(cell), r = cell - first;
    const double drift = double(n) * std::fabs(step * k - 1.0) + 1e-7 * k;
    if (!(r > drift && 1.0 - r > drift))
        return false;
    const std::int64_t K = std::int64_t(k), C = std::int64_t(first);
    // Pixel i shows texel floor((C + i) / K), clamped to the row.
    const std::int64_t left = std::clamp<std::int64_t>(-C, 0, n);
    const std::int64_t right = std::clamp<std::int64_t>(std::int64_t(w) * K - C, left, n);
    FillTexel(row[0], out, left);
    if (K == 1) {
        Data::DisplayBytesRow(row + (C + left), std::size_t(right - left), out + left * 4);
    } else if (right > left) {
        // The first texel may show in fewer than k pixels, then whole texels, then a part of one.
        std::int64_t texel = (C + left) / K, i = left;
        const std::int64_t lead = std::min(K - (C + left) % K, right - left);
        FillTexel(row[texel++], out + i * 4, lead);
        i += lead;
        std::uint8_t bytes[256 * 4];
        for (std::int64_t whole = (right - i) / K; whole > 0;) {
            const std::int64_t chunk = std::min<std::int64_t>(256, whole);
            Data::DisplayBytesRow(row + texel, std::size_t(chunk), bytes);
            Replicate(bytes, chunk, K, out + i * 4);
            texel += chunk, i += chunk * K, whole -= chunk;
        }
        if (i < right)
            FillTexel(row[texel], out + i * 4, right - i);
    }
    FillTexel(row[w - 1], out + right * 4, n - right);
    return true;
}

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
            if (NearestWholeSteps(row, level.w, p.u * W + 1e-9, p.dudx * W, out, n))
                return;
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

// ---- Separable filters along lines of fixed-point values ----
//
// The view's quads are axis-aligned: along a span one source axis moves and
// the other stays put. The taps across the span are filtered once per source
// position into a line; each output pixel then filters its taps along that
// line. Values are 16-bit fixed point with 1.0 = 255 * 64 (a sixty-fourth of
// a display byte) and 14-bit weights, so the bytes stay within a few
// hundredths of a step of the exact evaluation.

constexpr std::int32_t FixedOne = 255 * 64;

template <class P> constexpr int ChannelCount = PixelTraits<P>::grey ? 1 : 4;

inline std::int16_t FixedFromNormalized(double n) noexcept { return std::int16_t(n * FixedOne + 0.5); }

// count texels as fixed-point channel values, ChannelCount<P> per texel.
template <class P> inline void ToFixed(const P *src, std::int32_t count, std::int16_t *out) noexcept
{
    std::int32_t i = 0;
    const __m128i zero = _mm_setzero_si128();
    if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
        for (; i + 4 <= count; i += 4) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 4 * i), _mm_slli_epi16(_mm_unpacklo_epi8(v, zero), 6));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 4 * i + 8), _mm_slli_epi16(_mm_unpackhi_epi8(v, zero), 6));
        }
        for (; i < count; ++i) {
            out[4 * i] = std::int16_t(src[i].b << 6);
            out[4 * i + 1] = std::int16_t(src[i].g << 6);
            out[4 * i + 2] = std::int16_t(src[i].r << 6);
            out[4 * i + 3] = std::int16_t(src[i].a << 6);
        }
    } else if constexpr (std::is_same_v<P, std::uint8_t>) {
        for (; i + 16 <= count; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_slli_epi16(_mm_unpacklo_epi8(v, zero), 6));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i + 8), _mm_slli_epi16(_mm_unpackhi_epi8(v, zero), 6));
        }
        for (; i < count; ++i)
            out[i] = std::int16_t(src[i] << 6);
    } else if constexpr (std::is_same_v<P, std::uint16_t>) {
        // v * 16321 / 65536: at most one sixty-fourth of a byte below v * 16320 / 65535.
        const __m128i k = _mm_set1_epi16(16321);
        for (; i + 8 <= count; i += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i),
                             _mm_mulhi_epu16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i)), k));
        for (; i < count; ++i)
            out[i] = std::int16_t((std::uint32_t(src[i]) * 16321u) >> 16);
    } else if constexpr (std::is_same_v<P, float>) {
        // max(v, 0) gives 0 for NaN (the second operand wins when unordered).
        const __m128 one = _mm_set1_ps(1.0f), scale = _mm_set1_ps(float(FixedOne)), half = _mm_set1_ps(0.5f);
        for (; i + 4 <= count; i += 4) {
            const __m128 v = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(src + i), _mm_setzero_ps()), one);
            const __m128i fixed = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(v, scale), half));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i), _mm_packs_epi32(fixed, fixed));
        }
        for (; i < count; ++i) {
            const float v = src[i] > 0.0f ? (src[i] < 1.0f ? src[i] : 1.0f) : 0.0f;
            out[i] = std::int16_t(v * float(FixedOne) + 0.5f);
        }
    } else if constexpr (PixelTraits<P>::grey) {
        for (; i < count; ++i)
            out[i] = FixedFromNormalized(NormDouble(src[i]));
    } else {
        for (; i < count; ++i) {
            out[4 * i] = FixedFromNormalized(NormDouble(src[i].b));
            out[4 * i + 1] = FixedFromNormalized(NormDouble(src[i].g));
            out[4 * i + 2] = FixedFromNormalized(NormDouble(src[i].r));
            out[4 * i + 3] = FixedFromNormalized(NormDouble(src[i].a));
        }
    }
}

// Two texels as fixed-point channel values in one register (C = 4), without
// a round trip through memory.
template <class P> inline __m128i FixedPair(const P *first, const P *second) noexcept
{
    if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
        std::int32_t a, b;
        std::memcpy(&a, first, 4);
        std::memcpy(&b, second, 4);
        const __m128i bytes = _mm_unpacklo_epi32(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b));
        return _mm_slli_epi16(_mm_unpacklo_epi8(bytes, _mm_setzero_si128()), 6);
    } else {
        std::int16_t v[8];
        ToFixed(first, 1, v);
        ToFixed(second, 1, v + 4);
        return _mm_set_epi16(v[7], v[6], v[5], v[4], v[3], v[2], v[1], v[0]);
    }
}

// Channel pairs of two texels side by side, as a multiply-add takes them.
inline __m128i ChannelPairs(__m128i twoTexels) noexcept
{
    return _mm_unpacklo_epi16(twoTexels, _mm_srli_si128(twoTexels, 8));
}

// Two 14-bit weights as the pair a multiply-add takes (first in the low half).
inline std::int32_t WeightPair(std::int32_t first, std::int32_t second) noexcept
{
    return std::int32_t((std::uint32_t(first) & 0xFFFFu) | (std::uint32_t(second) << 16));
}

// The 14-bit weights of a tap set at fraction f (32 bits).
template <int K> struct FilterWeights;
template <> struct FilterWeights<2> {
    static void Of(std::uint32_t f, std::int32_t w[2]) noexcept
    {
        w[1] = std::int32_t(f >> 18);
        w[0] = 16384 - w[1];
    }
    // Four fractions at once: weight pairs (w0, w1) and (w2, w3) = 0.
    static void Of4(const std::uint32_t *f, std::int32_t *pair01, std::int32_t *pair23) noexcept
    {
        for (int i = 0; i < 4; ++i) {
            std::int32_t w[2];
            Of(f[i], w);
            pair01[i] = WeightPair(w[0], w[1]);
            pair23[i] = 0;
        }
    }
};
template <> struct FilterWeights<4> {
    // Catmull-Rom: the weights of p0..p3 in
    // p1 + 0.5 t (p2 - p0 + t (2 p0 - 5 p1 + 4 p2 - p3 + t (3 (p1 - p2) + p3 - p0))),
    // w1 taking the remainder so that the four add up to one exactly.
    static void Of(std::uint32_t f, std::int32_t w[4]) noexcept
    {
        const std::uint32_t f4[4] = {f, f, f, f};
        std::int32_t pair01[4], pair23[4];
        Of4(f4, pair01, pair23);
        w[0] = std::int16_t(pair01[0] & 0xFFFF), w[1] = pair01[0] >> 16;
        w[2] = std::int16_t(pair23[0] & 0xFFFF), w[3] = pair23[0] >> 16;
    }
    static void Of4(const std::uint32_t *f, std::int32_t *pair01, std::int32_t *pair23) noexcept
    {
        const __m128i bits = _mm_srli_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(f)), 8);
        const __m128 t = _mm_mul_ps(_mm_cvtepi32_ps(bits), _mm_set1_ps(0x1p-24f));
        const __m128 t2 = _mm_mul_ps(t, t), t3 = _mm_mul_ps(t2, t);
        const __m128 k = _mm_set1_ps(8192.0f), two = _mm_set1_ps(2.0f);
        // Rounded to nearest (the default rounding mode), as lrintf does.
        const __m128i w0 = _mm_cvtps_epi32(_mm_mul_ps(k, _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(two, t2), t), t3)));
        const __m128i w2 = _mm_cvtps_epi32(
            _mm_mul_ps(k, _mm_sub_ps(_mm_add_ps(t, _mm_mul_ps(_mm_set1_ps(4.0f), t2)), _mm_mul_ps(_mm_set1_ps(3.0f), t3))));
        const __m128i w3 = _mm_cvtps_epi32(_mm_mul_ps(k, _mm_sub_ps(t3, t2)));
        const __m128i w1 = _mm_sub_epi32(_mm_set1_epi32(16384), _mm_add_epi32(_mm_add_epi32(w0, w2), w3));
        const __m128i low = _mm_set1_epi32(0xFFFF);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(pair01), _mm_or_si128(_mm_and_si128(w0, low), _mm_slli_epi32(w1, 16)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(pair23), _mm_or_si128(_mm_and_si128(w2, low), _mm_slli_epi32(w3, 16)));
    }
};

// Scratch of one thread for the line filters.
struct LineScratch {
    std::vector<std::int16_t> line;
    std::vector<std::int32_t> first, pair01, pair23;
    std::vector<std::uint32_t> fraction;
    static LineScratch &Get()
    {
        thread_local LineScratch scratch;
        return scratch;
    }
};

// Sum of K taps (C = 4 channels, values at q) with the weight pairs; 32-bit
// sums at the scale of the values times 2^14.
template <int K> inline __m128i TapSum4(const std::int16_t *q, __m128i w01, __m128i w23) noexcept
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
    __m128i sum = _mm_madd_epi16(ChannelPairs(a), w01);
    if constexpr (K == 4) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q + 8));
        sum = _mm_add_epi32(sum, _mm_madd_epi16(ChannelPairs(b), w23));
    }
    return sum;
}

// Across the span when it runs along a source row: line entry c (from
// column a on) = the K rows filtered at column a + c.
template <class P, int K>
void FilterRowsIntoLine(const LevelView<P> &level, const std::int32_t rows[K], const std::int32_t w[K], std::int32_t a,
                        std::int32_t b, std::int16_t *line)
{
    constexpr int C = ChannelCount<P>;
    constexpr std::int32_t Chunk = 256;
    alignas(16) std::int16_t buffer[K][Chunk * C + 8];
    const __m128i w01 = _mm_set1_epi32(WeightPair(w[0], w[1]));
    const __m128i w23 = K == 4 ? _mm_set1_epi32(WeightPair(w[K > 2 ? 2 : 0], w[K > 2 ? 3 : 1])) : _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(1 << 13);
    for (std::int32_t x = a; x <= b; x += Chunk) {
        const std::int32_t count = std::min(Chunk, b - x + 1), values = count * C;
        for (int k = 0; k < K; ++k) {
            ToFixed(level.At(x, rows[k]), count, buffer[k]);
            std::memset(buffer[k] + values, 0, 16);
        }
        std::int16_t *o = line + std::int64_t(x - a) * C;
        for (std::int32_t j = 0; j < values; j += 8) {
            const __m128i r0 = _mm_load_si128(reinterpret_cast<const __m128i *>(buffer[0] + j));
            const __m128i r1 = _mm_load_si128(reinterpret_cast<const __m128i *>(buffer[1] + j));
            __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(r0, r1), w01);
            __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(r0, r1), w01);
            if constexpr (K == 4) {
                const __m128i r2 = _mm_load_si128(reinterpret_cast<const __m128i *>(buffer[K > 2 ? 2 : 0] + j));
                const __m128i r3 = _mm_load_si128(reinterpret_cast<const __m128i *>(buffer[K > 2 ? 3 : 1] + j));
                lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(r2, r3), w23));
                hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(r2, r3), w23));
            }
            lo = _mm_srai_epi32(_mm_add_epi32(lo, round), 14);
            hi = _mm_srai_epi32(_mm_add_epi32(hi, round), 14);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(o + j), _mm_packs_epi32(lo, hi));
        }
    }
}

// Across the span when it runs down a source column: line entry r = the K
// columns filtered in row r0 + r (clamped to the image).
template <class P, int K>
void FilterColumnsIntoLine(const LevelView<P> &level, const std::int32_t cols[K], const std::int32_t w[K],
                           std::int32_t r0, std::int32_t r1, std::int16_t *line)
{
    constexpr int C = ChannelCount<P>;
    alignas(16) std::int16_t taps[K * C + 8] = {};
    const bool adjacent = cols[K - 1] - cols[0] == K - 1;
    const __m128i w01 = _mm_set1_epi32(WeightPair(w[0], w[1]));
    const __m128i w23 = K == 4 ? _mm_set1_epi32(WeightPair(w[K > 2 ? 2 : 0], w[K > 2 ? 3 : 1])) : _mm_setzero_si128();
    const __m128i round = _mm_set1_epi32(1 << 13);
    // Rows lie far apart: fetch ahead, the hardware does not follow such strides.
    constexpr std::int32_t Ahead = 32;
    for (std::int32_t r = r0; r <= r1; ++r) {
        const P *ahead = level.At(0, level.ClampY(r + Ahead));
        _mm_prefetch(reinterpret_cast<const char *>(ahead + cols[0]), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char *>(ahead + cols[K - 1]), _MM_HINT_T0);
        const P *row = level.At(0, level.ClampY(r));
        std::int16_t *o = line + std::int64_t(r - r0) * C;
        if constexpr (C == 4) {
            __m128i sum = _mm_madd_epi16(ChannelPairs(FixedPair(row + cols[0], row + cols[1])), w01);
            if constexpr (K == 4)
                sum = _mm_add_epi32(
                    sum, _mm_madd_epi16(ChannelPairs(FixedPair(row + cols[K > 2 ? 2 : 0], row + cols[K > 2 ? 3 : 1])), w23));
            sum = _mm_srai_epi32(_mm_add_epi32(sum, round), 14);
            _mm_storel_epi64(reinterpret_cast<__m128i *>(o), _mm_packs_epi32(sum, sum));
        } else {
            if (adjacent)
                ToFixed(row + cols[0], K, taps);
            else
                for (int k = 0; k < K; ++k)
                    ToFixed(row + cols[k], 1, taps + k * C);
            std::int32_t sum = 1 << 13;
            for (int k = 0; k < K; ++k)
                sum += std::int32_t(taps[k]) * w[k];
            *o = std::int16_t(sum >> 14);
        }
    }
}

// Along the line: n output pixels whose first taps and weight pairs are given.
template <int C, int K>
void FilterLineIntoPixels(const std::int16_t *line, const std::int32_t *first, const std::int32_t *pair01,
                          const std::int32_t *pair23, std::uint8_t *out, std::int32_t n)
{
    // Sums are at 64 * 2^14 per byte: + half a byte, then down to bytes.
    const __m128i round = _mm_set1_epi32(1 << 19);
    std::int32_t i = 0;
    if constexpr (C == 4) {
        for (; i < n; ++i, out += 4) {
            const __m128i sum = TapSum4<K>(line + std::int64_t(first[i]) * 4, _mm_set1_epi32(pair01[i]),
                                           _mm_set1_epi32(pair23[i]));
            const __m128i bytes = _mm_srai_epi32(_mm_add_epi32(sum, round), 20);
            const __m128i packed = _mm_packs_epi32(bytes, bytes);
            const std::int32_t pixel = _mm_cvtsi128_si32(_mm_packus_epi16(packed, packed));
            std::memcpy(out, &pixel, 4);
        }
    } else {
        // Four pixels at a time: each pixel's taps (up to four values) against its weights.
        const __m128i alpha = _mm_set1_epi32(std::int32_t(0xFF000000u));
        auto taps = [&](std::int32_t k) {
            const std::int16_t *q = line + first[k];
            if constexpr (K == 4)
                return _mm_loadl_epi64(reinterpret_cast<const __m128i *>(q));
            else
                return _mm_cvtsi32_si128(std::int32_t(std::uint16_t(q[0]) | (std::uint32_t(std::uint16_t(q[1])) << 16)));
        };
        for (; i + 4 <= n; i += 4, out += 16) {
            const __m128i t01 = _mm_unpacklo_epi64(taps(i), taps(i + 1));
            const __m128i t23 = _mm_unpacklo_epi64(taps(i + 2), taps(i + 3));
            const __m128i p01 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pair01 + i));
            const __m128i p23 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(pair23 + i));
            const __m128i m01 = _mm_madd_epi16(t01, _mm_unpacklo_epi32(p01, p23));
            const __m128i m23 = _mm_madd_epi16(t23, _mm_unpackhi_epi32(p01, p23));
            const __m128 a = _mm_castsi128_ps(m01), b = _mm_castsi128_ps(m23);
            const __m128i sum = _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))),
                                              _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
            const __m128i bytes = _mm_srai_epi32(_mm_add_epi32(sum, round), 20);
            const __m128i packed = _mm_packs_epi32(bytes, bytes);
            const __m128i grey = _mm_packus_epi16(packed, packed);
            const __m128i twice = _mm_unpacklo_epi8(grey, grey);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_or_si128(_mm_unpacklo_epi16(twice, twice), alpha));
        }
        for (; i < n; ++i, out += 4) {
            std::int32_t w[4];
            w[0] = std::int16_t(pair01[i] & 0xFFFF), w[1] = pair01[i] >> 16;
            w[2] = std::int16_t(pair23[i] & 0xFFFF), w[3] = pair23[i] >> 16;
            std::int32_t sum = 1 << 19;
            for (int k = 0; k < K; ++k)
                sum += std::int32_t(line[first[i] + k]) * w[k];
            const std::int32_t byte = std::min(std::max(sum >> 20, 0), 255);
            const std::uint32_t pixel = std::uint32_t(byte) * 0x010101u | 0xFF000000u;
            std::memcpy(out, &pixel, 4);
        }
    }
}

// An axis-aligned span with a K-tap separable filter (2: bilinear, 4:
// Catmull-Rom). False when the span is not axis-aligned, lies too far out, or
// the line would be much longer than the span (strong reduction).
template <int K, class P>
bool FilterAxisSpan(const LevelView<P> &level, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
{
    constexpr int C = ChannelCount<P>;
    const bool alongRow = p.dvdx == 0.0;
    if (!alongRow && p.dudx != 0.0)
        return false;
    const double W = level.w, H = level.h;
    // Positions of the taps' reference point (x - 0.5, y - 0.5).
    const double s0 = (alongRow ? p.u * W : p.v * H) - 0.5;
    const double ds = alongRow ? p.dudx * W : p.dvdx * H;
    const double across = (alongRow ? p.v * H : p.u * W) - 0.5;
    const double sn = s0 + double(n - 1) * ds;
    if (!(std::fabs(s0) < 5e8 && std::fabs(sn) < 5e8 && std::fabs(ds) < 5e8 && std::fabs(across) < 5e8))
        return false;
    const FixedSteps steps(s0, ds);
    const std::int64_t f0 = steps.At(0), fn = steps.At(n - 1);
    const std::int32_t back = K == 4 ? 1 : 0;
    const std::int32_t lineFirst = FixedSteps::Whole(std::min(f0, fn)) - back;
    const std::int32_t lineLast = FixedSteps::Whole(std::max(f0, fn)) + (K - 1 - back);
    const std::int64_t length = std::int64_t(lineLast) - lineFirst + 1;
    if (length > 4 * std::int64_t(n) + 16)
        return false;

    // Across: the K taps and weights of the fixed coordinate.
    const std::int64_t fa = FixedSteps(across, 0.0).start;
    std::int32_t w[K], at[K];
    FilterWeights<K>::Of(std::uint32_t(fa), w);
    for (int k = 0; k < K; ++k)
        at[k] = alongRow ? level.ClampY(FixedSteps::Whole(fa) - back + k) : level.ClampX(FixedSteps::Whole(fa) - back + k);

    LineScratch &s = LineScratch::Get();
    s.line.resize(std::size_t(length) * C + 16);
    std::int16_t *line = s.line.data();
    if (alongRow) {
        // Columns outside the image repeat the edge column's entry.
        const std::int32_t last = level.w - 1;
        if (lineFirst > last || lineLast < 0) {
            const std::int32_t edge = lineLast < 0 ? 0 : last;
            FilterRowsIntoLine<P, K>(level, at, w, edge, edge, line);
            for (std::int64_t c = 1; c < length; ++c)
                std::memcpy(line + c * C, line, C * 2);
        } else {
            const std::int32_t a = std::max(lineFirst, 0), b = std::min(lineLast, last);
            FilterRowsIntoLine<P, K>(level, at, w, a, b, line + std::int64_t(a - lineFirst) * C);
            for (std::int32_t c = lineFirst; c < a; ++c)
                std::memcpy(line + std::int64_t(c - lineFirst) * C, line + std::int64_t(a - lineFirst) * C, C * 2);
            for (std::int32_t c = b + 1; c <= lineLast; ++c)
                std::memcpy(line + std::int64_t(c - lineFirst) * C, line + std::int64_t(b - lineFirst) * C, C * 2);
        }
    } else {
        FilterColumnsIntoLine<P, K>(level, at, w, lineFirst, lineLast, line);
    }

    // Along: each pixel's first tap and weights.
    const std::size_t padded = std::size_t(n + 3) & ~std::size_t(3);
    s.first.resize(padded);
    s.fraction.resize(padded);
    s.pair01.resize(padded);
    s.pair23.resize(padded);
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int64_t f = steps.At(i);
        s.first[std::size_t(i)] = FixedSteps::Whole(f) - back - lineFirst;
        s.fraction[std::size_t(i)] = std::uint32_t(f);
    }
    for (std::size_t i = std::size_t(n); i < padded; ++i)
        s.first[i] = 0, s.fraction[i] = 0;
    for (std::size_t i = 0; i < padded; i += 4)
        FilterWeights<K>::Of4(s.fraction.data() + i, s.pair01.data() + i, s.pair23.data() + i);
    FilterLineIntoPixels<C, K>(line, s.first.data(), s.pair01.data(), s.pair23.data(), out, n);
    return true;
}

// One output pixel from 2 x 2 taps (p00, p10 the upper pair) with 14-bit
// weights wx, wy of the second tap of each pair.
template <class P>
inline void BilinearPixel(const P *p00, const P *p10, const P *p01, const P *p11, std::int32_t wx, std::int32_t wy,
                          std::uint8_t *out) noexcept
{
    if constexpr (ChannelCount<P> == 4) {
        const __m128i wxPair = _mm_set1_epi32(WeightPair(16384 - wx, wx));
        const __m128i round = _mm_set1_epi32(1 << 13);
        const __m128i top = _mm_srai_epi32(
            _mm_add_epi32(_mm_madd_epi16(ChannelPairs(FixedPair(p00, p10)), wxPair), round), 14);
        const __m128i bottom = _mm_srai_epi32(
            _mm_add_epi32(_mm_madd_epi16(ChannelPairs(FixedPair(p01, p11)), wxPair), round), 14);
        const __m128i sum = _mm_madd_epi16(ChannelPairs(_mm_packs_epi32(top, bottom)),
                                           _mm_set1_epi32(WeightPair(16384 - wy, wy)));
        const __m128i bytes = _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << 19)), 20);
        const __m128i packed = _mm_packs_epi32(bytes, bytes);
        const std::int32_t pixel = _mm_cvtsi128_si32(_mm_packus_epi16(packed, packed));
        std::memcpy(out, &pixel, 4);
    } else {
        std::int16_t t[4];
        ToFixed(p00, 1, t);
        ToFixed(p10, 1, t + 1);
        ToFixed(p01, 1, t + 2);
        ToFixed(p11, 1, t + 3);
        const std::int32_t top = (t[0] * (16384 - wx) + t[1] * wx + 8192) >> 14;
        const std::int32_t bottom = (t[2] * (16384 - wx) + t[3] * wx + 8192) >> 14;
        const std::int32_t byte = std::min((top * (16384 - wy) + bottom * wy + (1 << 19)) >> 20, 255);
        const std::uint32_t pixel = std::uint32_t(byte) * 0x010101u | 0xFF000000u;
        std::memcpy(out, &pixel, 4);
    }
}

// Four grey texels as 32-bit fixed-point values, gathered into a register.
template <class P> inline __m128i FixedGrey4(const P *a, const P *b, const P *c, const P *d) noexcept
{
    if constexpr (std::is_same_v<P, float>) {
        const __m128 v = _mm_min_ps(_mm_max_ps(_mm_setr_ps(*a, *b, *c, *d), _mm_setzero_ps()), _mm_set1_ps(1.0f));
        return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(v, _mm_set1_ps(float(FixedOne))), _mm_set1_ps(0.5f)));
    } else if constexpr (std::is_same_v<P, std::uint16_t>) {
        const __m128i v = _mm_setr_epi16(std::int16_t(*a), std::int16_t(*b), std::int16_t(*c), std::int16_t(*d), 0, 0, 0, 0);
        return _mm_unpacklo_epi16(_mm_mulhi_epu16(v, _mm_set1_epi16(16321)), _mm_setzero_si128());
    } else {
        std::int16_t v[4];
        ToFixed(a, 1, v);
        ToFixed(b, 1, v + 1);
        ToFixed(c, 1, v + 2);
        ToFixed(d, 1, v + 3);
        return _mm_setr_epi32(v[0], v[1], v[2], v[3]);
    }
}

// Four grey output pixels from their taps (upper left, upper right, lower
// left, lower right: four 32-bit values each) with weight pairs per pixel.
inline void BilinearGrey4(__m128i t00, __m128i t10, __m128i t01, __m128i t11, __m128i xPairs, __m128i yPairs,
                          std::uint8_t *out) noexcept
{
    const __m128i round = _mm_set1_epi32(1 << 13);
    const __m128i upper = _mm_packs_epi32(t00, t10), lower = _mm_packs_epi32(t01, t11);
    const __m128i top = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(ChannelPairs(upper), xPairs), round), 14);
    const __m128i bottom = _mm_srai_epi32(_mm_add_epi32(_mm_madd_epi16(ChannelPairs(lower), xPairs), round), 14);
    const __m128i sum = _mm_madd_epi16(ChannelPairs(_mm_packs_epi32(top, bottom)), yPairs);
    const __m128i bytes = _mm_srai_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << 19)), 20);
    const __m128i packed = _mm_packs_epi32(bytes, bytes);
    const __m128i grey = _mm_packus_epi16(packed, packed);
    const __m128i twice = _mm_unpacklo_epi8(grey, grey);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out),
                     _mm_or_si128(_mm_unpacklo_epi16(twice, twice), _mm_set1_epi32(std::int32_t(0xFF000000u))));
}

// Weight pairs (16384 - w, w) of four pixels.
inline __m128i WeightPairs4(const std::int32_t w[4]) noexcept
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w));
    return _mm_or_si128(_mm_sub_epi32(_mm_set1_epi32(16384), v), _mm_slli_epi32(v, 16));
}

// Bilinear along an axis-aligned span, each pixel from its own four taps in
// the fixed point of the line filters. False when the span is not
// axis-aligned or lies too far out.
template <class P> bool BilinearAxisSpan(const LevelView<P> &level, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
{
    const bool alongRow = p.dvdx == 0.0;
    if (!alongRow && p.dudx != 0.0)
        return false;
    const double W = level.w, H = level.h;
    const double s0 = (alongRow ? p.u * W : p.v * H) - 0.5;
    const double ds = alongRow ? p.dudx * W : p.dvdx * H;
    const double across = (alongRow ? p.v * H : p.u * W) - 0.5;
    const double sn = s0 + double(n - 1) * ds;
    if (!(std::fabs(s0) < 5e8 && std::fabs(sn) < 5e8 && std::fabs(ds) < 5e8 && std::fabs(across) < 5e8))
        return false;
    const FixedSteps steps(s0, ds);
    const std::int64_t fa = FixedSteps(across, 0.0).start;
    const std::int32_t wa = FixedSteps::Weight14(fa), ia = FixedSteps::Whole(fa);
    // Grey: four pixels at a time, their taps gathered and converted together.
    constexpr bool four = ChannelCount<P> == 1;
    const std::int32_t blocks = four ? n / 4 * 4 : 0;
    if (alongRow) {
        const P *r0 = level.At(0, level.ClampY(ia)), *r1 = level.At(0, level.ClampY(ia + 1));
        for (std::int32_t i = 0; i < blocks; i += 4, out += 16) {
            std::int32_t a[4], b[4], wx[4];
            for (int k = 0; k < 4; ++k) {
                const std::int64_t f = steps.At(i + k);
                const std::int32_t c = FixedSteps::Whole(f);
                a[k] = level.ClampX(c), b[k] = level.ClampX(c + 1);
                wx[k] = FixedSteps::Weight14(f);
            }
            BilinearGrey4(FixedGrey4(r0 + a[0], r0 + a[1], r0 + a[2], r0 + a[3]),
                          FixedGrey4(r0 + b[0], r0 + b[1], r0 + b[2], r0 + b[3]),
                          FixedGrey4(r1 + a[0], r1 + a[1], r1 + a[2], r1 + a[3]),
                          FixedGrey4(r1 + b[0], r1 + b[1], r1 + b[2], r1 + b[3]), WeightPairs4(wx),
                          _mm_set1_epi32(WeightPair(16384 - wa, wa)), out);
        }
        for (std::int32_t i = blocks; i < n; ++i, out += 4) {
            const std::int64_t f = steps.At(i);
            const std::int32_t c = FixedSteps::Whole(f);
            const std::int32_t a = level.ClampX(c), b = level.ClampX(c + 1);
            BilinearPixel(r0 + a, r0 + b, r1 + a, r1 + b, FixedSteps::Weight14(f), wa, out);
        }
    } else {
        // Down a column: rows lie far apart, so fetch a few pixels ahead.
        constexpr std::int32_t Ahead = 8;
        const std::int32_t a = level.ClampX(ia), b = level.ClampX(ia + 1);
        auto prefetch = [&](std::int32_t i) {
            if constexpr (ChannelCount<P> == 4)
                return; // no gain measured for colour texels
            const std::int32_t ahead = FixedSteps::Whole(steps.At(std::min(i + Ahead, n - 1)));
            _mm_prefetch(reinterpret_cast<const char *>(level.At(a, level.ClampY(ahead))), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<const char *>(level.At(a, level.ClampY(ahead + 1))), _MM_HINT_T0);
        };
        for (std::int32_t i = 0; i < blocks; i += 4, out += 16) {
            const P *r0[4], *r1[4];
            std::int32_t wy[4];
            for (int k = 0; k < 4; ++k) {
                prefetch(i + k);
                const std::int64_t f = steps.At(i + k);
                const std::int32_t r = FixedSteps::Whole(f);
                r0[k] = level.At(0, level.ClampY(r)), r1[k] = level.At(0, level.ClampY(r + 1));
                wy[k] = FixedSteps::Weight14(f);
            }
            BilinearGrey4(FixedGrey4(r0[0] + a, r0[1] + a, r0[2] + a, r0[3] + a),
                          FixedGrey4(r0[0] + b, r0[1] + b, r0[2] + b, r0[3] + b),
                          FixedGrey4(r1[0] + a, r1[1] + a, r1[2] + a, r1[3] + a),
                          FixedGrey4(r1[0] + b, r1[1] + b, r1[2] + b, r1[3] + b),
                          _mm_set1_epi32(WeightPair(16384 - wa, wa)), WeightPairs4(wy), out);
        }
        for (std::int32_t i = blocks; i < n; ++i, out += 4) {
            prefetch(i);
            const std::int64_t f = steps.At(i);
            const std::int32_t r = FixedSteps::Whole(f);
            const P *r0 = level.At(0, level.ClampY(r)), *r1 = level.At(0, level.ClampY(r + 1));
            BilinearPixel(r0 + a, r0 + b, r1 + a, r1 + b, wa, FixedSteps::Weight14(f), out);
        }
    }
    return true;
}

struct LinearMode {
    template <class P> static void Span(const TextureAccess &texture, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        LevelView<P> level(texture.At(0));
        SpanIn(level, p, out, n);
    }
    template <class P>
    static void SpanIn(const LevelView<P> &level, const SpanParameter &p, std::uint8_t *out, std::int32_t n)
    {
        // Enlargements and 1:1 share their taps between pixels: filter a line
        // once. Reductions would fill line entries that no pixel uses; colour
        // texels down a column are cheaper to fetch per pixel.
        const bool alongRow = p.dvdx == 0.0;
        const bool line = std::fabs(alongRow ? p.dudx * level.w : p.dvdx * level.h) <= 1.25 &&
                          (alongRow || ChannelCount<P> == 1);
        if (line ? FilterAxisSpan<2>(level, p, out, n) : BilinearAxisSpan(level, p, out, n))
            return;
        const double W = level.w, H = level.h;
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
        if (FilterAxisSpan<4>(level, p, out, n))
            return;
        const double W = level.w, H = level.h;
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

    // Footprints up to this many columns take the fast path (a reduction to
    // an eighth needs 9 or 10).
    static constexpr int kMaxColumns = 64;
    // Rows whose lines are summed side by side: independent chains of adds.
    static constexpr int kRowGroup = 4;

    // The sum of the texels weighted by the footprint's cover, divided by
    // its area: row by row, each row's line from left to right.
    template <class P> static __m128 Box(const LevelView<P> &level, double x0, double x1, double y0, double y1)
    {
        std::int32_t columns[kMaxColumns];
        __m128 weights[kMaxColumns];
        bool whole[kMaxColumns];
        int count = 0;
        bool fits = true;
        Walk(x0, x1, [&](std::int32_t col, double wx) {
            if (count == kMaxColumns) {
                fits = false;
                return;
            }
            columns[count] = level.ClampX(col);
            weights[count] = _mm_set1_ps(float(wx));
            // A texel times exactly 1 is the texel: the product can go.
            whole[count] = float(wx) == 1.0f;
            ++count;
        });
        if (!fits)
            return WideBox(level, x0, x1, y0, y1);
        __m128 sum = _mm_setzero_ps();
        const P *rows[kRowGroup];
        float rowWeights[kRowGroup];
        int pending = 0;
        // The lines of a group of rows at once, then added in row order, so
        // that every sum is the one the plain loops make.
        auto flush = [&] {
            __m128 lines[kRowGroup];
            for (int r = 0; r < kRowGroup; ++r)
                lines[r] = _mm_setzero_ps();
            for (int c = 0; c < count; ++c)
                for (int r = 0; r < pending; ++r) {
                    const __m128 texel = Load(rows[r] + columns[c]);
                    lines[r] = _mm_add_ps(lines[r], whole[c] ? texel : _mm_mul_ps(texel, weights[c]));
                }
            for (int r = 0; r < pending; ++r)
                sum = _mm_add_ps(sum, _mm_mul_ps(lines[r], _mm_set1_ps(rowWeights[r])));
            pending = 0;
        };
        Walk(y0, y1, [&](std::int32_t row, double wy) {
            rows[pending] = level.At(0, level.ClampY(row));
            rowWeights[pending] = float(wy);
            if (++pending == kRowGroup)
                flush();
        });
        if (pending)
            flush();
        return _mm_mul_ps(sum, _mm_set1_ps(float(1.0 / ((x1 - x0) * (y1 - y0)))));
    }

    template <class P> static __m128 WideBox(const LevelView<P> &level, double x0, double x1, double y0, double y1)
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
    _opaque = texture.IsOpaque();
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
