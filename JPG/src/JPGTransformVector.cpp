// The factored transform in single precision on eight columns at once (GCC
// vector types: two SSE2 registers, or one AVX register where the
// processor has AVX2 and FMA). Single precision keeps every sample within
// one of the double-precision result.
#include "JPG/src/JPGTransform.h"

#include "JPG/src/JPGShuffle.h"

#include <cstring>
#include <immintrin.h>

namespace Brintavolex::JPG {

namespace {

typedef float Floats __attribute__((vector_size(32)));
typedef std::int32_t Ints __attribute__((vector_size(32)));

constexpr float C0298 = 0.298631336f, C0390 = 0.390180644f, C0541 = 0.541196100f, C0765 = 0.765366865f,
                C0899 = 0.899976223f, C1175 = 1.175875602f, C1501 = 1.501321110f, C1847 = 1.847759065f,
                C1961 = 1.961570560f, C2053 = 2.053119869f, C2562 = 2.562915447f, C3072 = 3.072711026f;

// One 1-D pass of the factored transform; the two passes scale by 8.
#define BRINTAVOLEX_IDCT_PASS(v)                                                                                     \
    do {                                                                                                             \
        Floats z1 = (v[2] + v[6]) * C0541;                                                                           \
        const Floats t2 = z1 - v[6] * C1847, t3 = z1 + v[2] * C0765;                                                 \
        const Floats t0 = v[0] + v[4], t1 = v[0] - v[4];                                                             \
        const Floats t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;                                     \
        z1 = v[7] + v[1];                                                                                            \
        Floats z2 = v[5] + v[3], z3 = v[7] + v[3], z4 = v[5] + v[1];                                                 \
        const Floats z5 = (z3 + z4) * C1175;                                                                         \
        Floats o0 = v[7] * C0298, o1 = v[5] * C2053, o2 = v[3] * C3072, o3 = v[1] * C1501;                           \
        z1 = z1 * -C0899;                                                                                            \
        z2 = z2 * -C2562;                                                                                            \
        z3 = z3 * -C1961 + z5;                                                                                       \
        z4 = z4 * -C0390 + z5;                                                                                       \
        o0 += z1 + z3;                                                                                               \
        o1 += z2 + z4;                                                                                               \
        o2 += z2 + z3;                                                                                               \
        o3 += z1 + z4;                                                                                               \
        v[0] = t10 + o3, v[7] = t10 - o3, v[1] = t11 + o2, v[6] = t11 - o2;                                          \
        v[2] = t12 + o1, v[5] = t12 - o1, v[3] = t13 + o0, v[4] = t13 - o0;                                          \
    } while (0)

// 8 x 8 transpose in registers: three rounds of pairwise interleaving.
__attribute__((always_inline)) inline void Transpose(Floats *v)
{
    Floats a[8], b[8];
    for (int i = 0; i < 8; i += 2) {
        a[i] = BRINTAVOLEX_SHUFFLE2(Ints, v[i], v[i + 1], 0, 8, 2, 10, 4, 12, 6, 14);
        a[i + 1] = BRINTAVOLEX_SHUFFLE2(Ints, v[i], v[i + 1], 1, 9, 3, 11, 5, 13, 7, 15);
    }
    for (int i = 0; i < 8; i += 4)
        for (int j = 0; j < 2; ++j) {
            b[i + j] = BRINTAVOLEX_SHUFFLE2(Ints, a[i + j], a[i + j + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            b[i + j + 2] = BRINTAVOLEX_SHUFFLE2(Ints, a[i + j], a[i + j + 2], 2, 3, 10, 11, 6, 7, 14, 15);
        }
    for (int j = 0; j < 4; ++j) {
        v[j] = BRINTAVOLEX_SHUFFLE2(Ints, b[j], b[j + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        v[j + 4] = BRINTAVOLEX_SHUFFLE2(Ints, b[j], b[j + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

// The transformed block, scaled by 8, in v; false when the block was flat
// and is already written.
__attribute__((always_inline)) inline bool Transform(const std::int16_t *coefficients, const std::int32_t *quantization,
                                                     std::uint8_t *out, std::size_t outStride, Floats *v)
{
    typedef std::int16_t Shorts __attribute__((vector_size(16)));
    Shorts any = {};
    for (int r = 0; r < 8; ++r) {
        Shorts c16;
        Ints q;
        std::memcpy(&c16, coefficients + r * 8, sizeof c16);
        std::memcpy(&q, quantization + r * 8, sizeof q);
        if (r)
            any |= c16;
        v[r] = __builtin_convertvector(__builtin_convertvector(c16, Ints), Floats) * __builtin_convertvector(q, Floats);
    }
    // Many blocks hold only their DC coefficient: one value for all 64.
    bool flat = true;
    for (int i = 0; i < 8; ++i)
        flat &= any[i] == 0 && (i == 0 || coefficients[i] == 0);
    if (flat) {
        float s = v[0][0] * 0.125f + 128.5f;
        s = s < 0.0f ? 0.0f : s > 255.0f ? 255.0f : s;
        const std::uint8_t value = std::uint8_t(int(s));
        for (int r = 0; r < 8; ++r)
            std::memset(out + r * outStride, value, 8);
        return false;
    }
    BRINTAVOLEX_IDCT_PASS(v); // along columns: lanes are columns
    Transpose(v);
    BRINTAVOLEX_IDCT_PASS(v); // along rows: lanes are rows
    Transpose(v);
    return true;
}

__attribute__((always_inline)) inline void StoreBytes(const Floats *v, std::uint8_t *out, std::size_t outStride)
{
    // Adding 2^23 leaves the rounded sample in the low byte of each float.
    typedef std::uint8_t Bytes32 __attribute__((vector_size(32)));
    for (int r = 0; r < 8; ++r) {
        Floats s = v[r] * 0.125f + 128.0f;
        s = s < 0.0f ? 0.0f : s;
        s = s > 255.0f ? 255.0f : s;
        s += 8388608.0f;
        Bytes32 bytes;
        std::memcpy(&bytes, &s, sizeof bytes);
        bytes = BRINTAVOLEX_SHUFFLE1(Bytes32, bytes, 0, 4, 8, 12, 16, 20, 24, 28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        std::memcpy(out + r * outStride, &bytes, 8);
    }
}

__attribute__((target("avx2,fma"))) void TransformAVX2(const std::int16_t *coefficients,
                                                        const std::int32_t *quantization, std::uint8_t *out,
                                                        std::size_t outStride)
{
    Floats v[8];
    if (!Transform(coefficients, quantization, out, outStride, v))
        return;
    // Rounded to integers, then saturated to bytes by packing: four
    // rows per register after putting the packed dwords back in row order.
    __m256i rows[2];
    for (int half = 0; half < 2; ++half) {
        __m256i i[4];
        for (int r = 0; r < 4; ++r) {
            Floats s = v[4 * half + r] * 0.125f + 128.0f;
            s = s > 255.0f ? 255.0f : s; // beyond the integers, conversion would give INT_MIN
            __m256 f;
            std::memcpy(&f, &s, sizeof f);
            i[r] = _mm256_cvtps_epi32(f);
        }
        const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(i[0], i[1]), _mm256_packs_epi32(i[2], i[3]));
        rows[half] = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
    }
    for (int half = 0; half < 2; ++half) {
        const __m128i low = _mm256_castsi256_si128(rows[half]), high = _mm256_extracti128_si256(rows[half], 1);
        std::uint8_t *o = out + 4 * half * outStride;
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o), low);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + outStride), _mm_unpackhi_epi64(low, low));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + 2 * outStride), high);
        _mm_storel_epi64(reinterpret_cast<__m128i *>(o + 3 * outStride), _mm_unpackhi_epi64(high, high));
    }
}

void TransformSSE2(const std::int16_t *coefficients, const std::int32_t *quantization, std::uint8_t *out,
                   std::size_t outStride)
{
    Floats v[8];
    if (Transform(coefficients, quantization, out, outStride, v))
        StoreBytes(v, out, outStride);
}

} // namespace

InverseTransform FastInverseTransform() noexcept
{
    static const InverseTransform chosen = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") ? TransformAVX2 : TransformSSE2;
    }();
    return chosen;
}

InverseTransform VectorInverseTransformSSE2() noexcept { return TransformSSE2; }

} // namespace Brintavolex::JPG
