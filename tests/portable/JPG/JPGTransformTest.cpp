// The vector transforms (AVX2 where present, and SSE2) against the
// double-precision reference, on blocks as real files hold them: a few
// large low-frequency coefficients, many small or zero ones.
#include "JPG/src/JPGTransform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace Brintavolex::JPG {

TEST(JPGTransform, VectorTransformsStayWithinOneOfTheReference)
{
    std::mt19937 random(11);
    int worst = 0;
    for (int block = 0; block < 20000; ++block) {
        std::int16_t coefficients[64];
        std::int32_t quantization[64];
        for (int i = 0; i < 64; ++i) {
            const int row = i / 8, column = i % 8;
            quantization[i] = 1 + int(random() % (2 + 6 * (row + column)));
            const int spread = std::max(1, 1200 / (quantization[i] * (1 + row + column)));
            coefficients[i] = random() % 3 == 0 ? std::int16_t(int(random() % (2 * spread + 1)) - spread) : 0;
        }
        if (block % 7 == 0)
            coefficients[0] = std::int16_t(int(random() % 2047) - 1023); // clamping at both ends
        std::uint8_t reference[64], fast[64], sse2[64];
        InverseTransformDouble(coefficients, quantization, reference, 8);
        FastInverseTransform()(coefficients, quantization, fast, 8);
        VectorInverseTransformSSE2()(coefficients, quantization, sse2, 8);
        for (int i = 0; i < 64; ++i)
            worst = std::max({worst, std::abs(fast[i] - reference[i]), std::abs(sse2[i] - reference[i])});
    }
    EXPECT_LE(worst, 1);
}

} // namespace Brintavolex::JPG
