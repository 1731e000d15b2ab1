#include "JPG/src/JPGTransform.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex::JPG {

namespace {

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

} // namespace Brintavolex::JPG
