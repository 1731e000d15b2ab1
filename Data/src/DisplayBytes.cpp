#include "Data/api/DisplayBytes.h"

#include "Data/api/Image2D.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Brintavolex::Data {

namespace {

#if defined(__SSE2__)
// Eight 16-bit components to bytes (the low half), in float: no value lies
// closer than 1 / 514 of a byte to a rounding edge, far more than the float
// error of the product.
template <bool Signed> inline __m128i Bytes16x8(const std::uint16_t *v) noexcept
{
    const __m128i zero = _mm_setzero_si128(), flip = _mm_set1_epi16(Signed ? std::int16_t(-32768) : 0);
    const __m128 scale = _mm_set1_ps(255.0f / 65535.0f), half = _mm_set1_ps(0.5f);
    const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(v)), flip);
    const __m128i lo = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(x, zero)), scale), half));
    const __m128i hi = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(x, zero)), scale), half));
    const __m128i words = _mm_packs_epi32(lo, hi);
    return _mm_packus_epi16(words, words);
}

// Four float components to bytes (the low 32 bits), in double as the scalar
// mapping computes them; max(x, 0) gives the second operand, 0, for NaN.
inline __m128i BytesFloatx4(const float *v) noexcept
{
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0), k = _mm_set1_pd(255.0), half = _mm_set1_pd(0.5);
    auto bytes2 = [&](__m128d x) {
        return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(_mm_min_pd(_mm_max_pd(x, zero), one), k), half));
    };
    const __m128 f = _mm_loadu_ps(v);
    const __m128i ints = _mm_unpacklo_epi64(bytes2(_mm_cvtps_pd(f)), bytes2(_mm_cvtps_pd(_mm_movehl_ps(f, f))));
    const __m128i words = _mm_packs_epi32(ints, ints);
    return _mm_packus_epi16(words, words);
}

// Grey bytes (the low half of g) to B, G, R, A pixels with alpha 255: the first four, then the next four.
inline __m128i GreyPixelsLow(__m128i g) noexcept
{
    const __m128i twice = _mm_unpacklo_epi8(g, g);
    return _mm_or_si128(_mm_unpacklo_epi16(twice, twice), _mm_set1_epi32(std::int32_t(0xFF000000u)));
}
inline __m128i GreyPixelsHigh(__m128i g) noexcept
{
    const __m128i twice = _mm_unpacklo_epi8(g, g);
    return _mm_or_si128(_mm_unpackhi_epi16(twice, twice), _mm_set1_epi32(std::int32_t(0xFF000000u)));
}

inline void Store(std::uint8_t *out, __m128i v) noexcept { _mm_storeu_si128(reinterpret_cast<__m128i *>(out), v); }

// Channels of colour pixels, written as bytes in their order.
template <bool Signed> void Channels16(const std::uint16_t *v, std::size_t count, std::uint8_t *out) noexcept
{
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8)
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i), Bytes16x8<Signed>(v + i));
    for (; i < count; ++i)
        out[i] = Signed ? DisplayByte(std::int16_t(v[i])) : DisplayByte(v[i]);
}

void ChannelsFloat(const float *v, std::size_t count, std::uint8_t *out) noexcept
{
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const std::int32_t packed = _mm_cvtsi128_si32(BytesFloatx4(v + i));
        std::memcpy(out + i, &packed, 4);
    }
    for (; i < count; ++i)
        out[i] = DisplayByte(v[i]);
}

// Grey pixels straight to B, G, R, A.
void Grey8(const std::uint8_t *grey, std::size_t count, std::uint8_t *out) noexcept
{
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16, out += 64) {
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i *>(grey + i));
        Store(out, GreyPixelsLow(g));
        Store(out + 16, GreyPixelsHigh(g));
        const __m128i upper = _mm_srli_si128(g, 8);
        Store(out + 32, GreyPixelsLow(upper));
        Store(out + 48, GreyPixelsHigh(upper));
    }
    for (; i < count; ++i, out += 4)
        DisplayBytes(grey[i], out);
}

template <bool Signed> void Grey16(const std::uint16_t *v, std::size_t count, std::uint8_t *out) noexcept
{
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8, out += 32) {
        const __m128i g = Bytes16x8<Signed>(v + i);
        Store(out, GreyPixelsLow(g));
        Store(out + 16, GreyPixelsHigh(g));
    }
    for (; i < count; ++i, out += 4)
        if constexpr (Signed)
            DisplayBytes(std::int16_t(v[i]), out);
        else
            DisplayBytes(v[i], out);
}

void GreyFloat(const float *v, std::size_t count, std::uint8_t *out) noexcept
{
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4, out += 16)
        Store(out, GreyPixelsLow(BytesFloatx4(v + i)));
    for (; i < count; ++i, out += 4)
        DisplayBytes(v[i], out);
}
#endif

} // namespace

template <class P> void DisplayBytesRow(const P *pixels, std::size_t count, std::uint8_t *out) noexcept
{
    if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
        std::memcpy(out, pixels, count * 4);
        return;
    }
#if defined(__SSE2__)
    using C = typename ChannelOf<P>::type;
    constexpr bool bgra = IsBGRA<P>::value;
    const auto *channels = reinterpret_cast<const C *>(pixels);
    if constexpr (std::is_same_v<P, std::uint8_t>) {
        Grey8(pixels, count, out);
        return;
    } else if constexpr (std::is_same_v<C, std::uint16_t> || std::is_same_v<C, std::int16_t>) {
        constexpr bool isSigned = std::is_same_v<C, std::int16_t>;
        const auto *words = reinterpret_cast<const std::uint16_t *>(channels);
        if constexpr (bgra)
            Channels16<isSigned>(words, count * 4, out);
        else
            Grey16<isSigned>(words, count, out);
        return;
    } else if constexpr (std::is_same_v<C, float>) {
        if constexpr (bgra)
            ChannelsFloat(channels, count * 4, out);
        else
            GreyFloat(channels, count, out);
        return;
    }
#endif
    for (std::size_t i = 0; i < count; ++i)
        DisplayBytes(pixels[i], out + i * 4);
}

#define BRINTAVOLEX_DISPLAY_BYTES_ROW(C)                                                                              \
    template void DisplayBytesRow<C>(const C *, std::size_t, std::uint8_t *) noexcept;                                  \
    template void DisplayBytesRow<ColorBGRA<C>>(const ColorBGRA<C> *, std::size_t, std::uint8_t *) noexcept;
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::int8_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::uint8_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::int16_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::uint16_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::int32_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::uint32_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::int64_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(std::uint64_t)
BRINTAVOLEX_DISPLAY_BYTES_ROW(float)
BRINTAVOLEX_DISPLAY_BYTES_ROW(double)
#undef BRINTAVOLEX_DISPLAY_BYTES_ROW

bool ConvertToDisplayBytes(const Image2DBase &image, std::uint8_t *out, std::int64_t pitch)
{
    return DispatchColorType(image.GetColorType(), [&](auto tag) {
        using P = typename decltype(tag)::type;
        const Image2DLock<const P> lock = image.LockConst<P>();
        for (std::uint64_t y = 0; y < lock.Height(); ++y)
            DisplayBytesRow(lock.Row(y), std::size_t(lock.Width()), out + std::int64_t(y) * pitch);
    });
}

} // namespace Brintavolex::Data
