#include "JPG/src/JPGTransform.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex::JPG {

namespace {

std::uint8_t Clamp(int v) noexcept { return std::uint8_t(std::clamp(v, 0, 255)); }

constexpr double kPi = 3.14159265358979323846;

struct DoubleBasis {
    // basis[x][u] = C(u) cos((2x + 1) u pi / 16), C(0) = 1 / sqrt(2).
    double basis[8][8];
    DoubleBasis()
    {
        for (int x = 0; x < 8; ++x)
            for (int u = 0; u < 8; ++u)
                basis[x][u] = (u == 0 ? 0.7071067811865476 : 1.0) * std::cos((2 * x + 1) * u * kPi / 16);
    }
};

// 13-bit fixed-point constants of the factored transform.
constexpr int kBits = 13;
// Eight fractional bits between the passes keep every sample within one of
// the double-precision result; 64-bit sums cannot overflow on any input.
constexpr int kPass1Bits = 8;
constexpr int F0298 = 2446, F0390 = 3196, F0541 = 4433, F0765 = 6270, F0899 = 7373, F1175 = 9633, F1501 = 12299,
              F1847 = 15137, F1961 = 16069, F2053 = 16819, F2562 = 20995, F3072 = 25172;

// One 1-D pass over eight values at in[0], in[step], ..., results through
// put(index, value before descaling).
template <class T, class Put> inline void Idct1D(T i0, T i1, T i2, T i3, T i4, T i5, T i6, T i7, Put put)
{
    T z1 = (i2 + i6) * F0541;
    const T t2 = z1 - i6 * F1847;
    const T t3 = z1 + i2 * F0765;
    const T t0 = (i0 + i4) * (1 << kBits);
    const T t1 = (i0 - i4) * (1 << kBits);
    const T t10 = t0 + t3, t13 = t0 - t3, t11 = t1 + t2, t12 = t1 - t2;

    z1 = i7 + i1;
    T z2 = i5 + i3, z3 = i7 + i3, z4 = i5 + i1;
    const T z5 = (z3 + z4) * F1175;
    T o0 = i7 * F0298, o1 = i5 * F2053, o2 = i3 * F3072, o3 = i1 * F1501;
    z1 = z1 * -F0899;
    z2 = z2 * -F2562;
    z3 = z3 * -F1961 + z5;
    z4 = z4 * -F0390 + z5;
    o0 += z1 + z3;
    o1 += z2 + z4;
    o2 += z2 + z3;
    o3 += z1 + z4;
    put(0, t10 + o3);
    put(7, t10 - o3);
    put(1, t11 + o2);
    put(6, t11 - o2);
    put(2, t12 + o1);
    put(5, t12 - o1);
    put(3, t13 + o0);
    put(4, t13 - o0);
}

} // namespace

void InverseTransformDouble(const std::int16_t *coefficients, const std::int32_t *quantization, std::uint8_t *out,
                            std::size_t outStride)
{
    static const DoubleBasis table;
    double in[64], rows[64];
    for (int i = 0; i < 64; ++i)
        in[i] = double(coefficients[i]) * quantization[i];
    // Rows: along u for each v.
    for (int v = 0; v < 8; ++v)
        for (int x = 0; x < 8; ++x) {
            double sum = 0;
            for (int u = 0; u < 8; ++u)
                sum += table.basis[x][u] * in[v * 8 + u];
            rows[v * 8 + x] = sum;
        }
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) {
            double sum = 0;
            for (int v = 0; v < 8; ++v)
                sum += table.basis[y][v] * rows[v * 8 + x];
            const int sample = std::clamp(int(std::lround(sum * 0.25)), -128, 127);
            out[y * outStride + x] = std::uint8_t(sample + 128);
        }
}

void InverseTransformInteger(const std::int16_t *coefficients, const std::int32_t *quantization, std::uint8_t *out,
                             std::size_t outStride)
{
    std::int64_t work[64];
    for (int c = 0; c < 8; ++c) {
        auto q = [&](int r) { return std::int64_t(coefficients[r * 8 + c]) * quantization[r * 8 + c]; };
        Idct1D<std::int64_t>(q(0), q(1), q(2), q(3), q(4), q(5), q(6), q(7), [&](int r, std::int64_t v) {
            work[r * 8 + c] = (v + (1 << (kBits - kPass1Bits - 1))) >> (kBits - kPass1Bits);
        });
    }
    constexpr int shift = kBits + kPass1Bits + 3;
    for (int r = 0; r < 8; ++r) {
        const std::int64_t *w = work + r * 8;
        std::uint8_t *row = out + r * outStride;
        Idct1D<std::int64_t>(w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], [&](int x, std::int64_t v) {
            row[x] = Clamp(int(std::clamp<std::int64_t>((v + (std::int64_t(1) << (shift - 1))) >> shift, -1024, 1024)) + 128);
        });
    }
}

} // namespace Brintavolex::JPG
