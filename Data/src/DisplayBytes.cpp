#include "Data/api/DisplayBytes.h"

#include "Data/api/Image2D.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>

namespace Brintavolex::Data {

namespace {

#if defined(__SSE2__)
// 16-bit components to bytes in float: no value lies closer than 1 / 514 of
// a byte to a rounding edge, far more than the float error of the product.
template <bool Signed> void Bytes16(const std::uint16_t *v, std::size_t count, std::uint8_t *out) noexcept
{
    const __m128i zero = _mm_setzero_si128(), flip = _mm_set1_epi16(Signed ? std::int16_t(-32768) : 0);
    const __m128 scale = _mm_set1_ps(255.0f / 65535.0f), half = _mm_set1_ps(0.5f);
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(v + i)), flip);
        const __m128i lo = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(x, zero)), scale), half));
        const __m128i hi = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(x, zero)), scale), half));
        const __m128i words = _mm_packs_epi32(lo, hi);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(words, words));
    }
    for (; i < count; ++i)
        out[i] = Signed ? DisplayByte(std::int16_t(v[i])) : DisplayByte(v[i]);
}

// Float components in double, as the scalar mapping computes them.
void BytesFloat(const float *v, std::size_t count, std::uint8_t *out) noexcept
{
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0), k = _mm_set1_pd(255.0), half = _mm_set1_pd(0.5);
    // max(x, 0) gives the second operand, 0, for NaN.
    auto bytes2 = [&](__m128d x) {
        return _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(_mm_min_pd(_mm_max_pd(x, zero), one), k), half));
    };
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128 f = _mm_loadu_ps(v + i);
        const __m128i ints = _mm_unpacklo_epi64(bytes2(_mm_cvtps_pd(f)), bytes2(_mm_cvtps_pd(_mm_movehl_ps(f, f))));
        const __m128i words = _mm_packs_epi32(ints, ints);
        const std::int32_t packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
        std::memcpy(out + i, &packed, 4);
    }
    for (; i < count; ++i)
        out[i] = DisplayByte(v[i]);
}

// Grey bytes to B, G, R, A with alpha 255.
void GreyToBGRA(const std::uint8_t *grey, std::size_t count, std::uint8_t *out) noexcept
{
    const __m128i alpha = _mm_set1_epi32(std::int32_t(0xFF000000u));
    std::size_t i = 0;
    for (; i + 16 <= count; i += 16, out += 64) {
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i *>(grey + i));
        const __m128i lo = _mm_unpacklo_epi8(g, g), hi = _mm_unpackhi_epi8(g, g);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_or_si128(_mm_unpacklo_epi16(lo, lo), alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16), _mm_or_si128(_mm_unpackhi_epi16(lo, lo), alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 32), _mm_or_si128(_mm_unpacklo_epi16(hi, hi), alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 48), _mm_or_si128(_mm_unpackhi_epi16(hi, hi), alpha));
    }
    for (; i < count; ++i, out += 4) {
        const std::uint32_t pixel = std::uint32_t(grey[i]) * 0x010101u | 0xFF000000u;
        std::memcpy(out, &pixel, 4);
    }
}

// Grey pixels through a byte conversion of their components, a chunk at a time.
template <class C, class F> void GreyRow(const C *pixels, std::size_t count, std::uint8_t *out, F &&toBytes) noexcept
{
    std::uint8_t grey[256];
    for (std::size_t i = 0; i < count; i += sizeof grey) {
        const std::size_t n = std::min(count - i, sizeof grey);
        toBytes(pixels + i, n, grey);
        GreyToBGRA(grey, n, out + i * 4);
    }
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
        GreyToBGRA(pixels, count, out);
        return;
    } else if constexpr (std::is_same_v<C, std::uint16_t> || std::is_same_v<C, std::int16_t>) {
        constexpr bool isSigned = std::is_same_v<C, std::int16_t>;
        const auto *words = reinterpret_cast<const std::uint16_t *>(channels);
        if constexpr (bgra)
            Bytes16<isSigned>(words, count * 4, out);
        else
            GreyRow(words, count, out, Bytes16<isSigned>);
        return;
    } else if constexpr (std::is_same_v<C, float>) {
        if constexpr (bgra)
            BytesFloat(channels, count * 4, out);
        else
            GreyRow(channels, count, out, BytesFloat);
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
