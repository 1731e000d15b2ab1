#pragma once

#include <cstddef>
#include <cstdint>

namespace Brintavolex::JPG {

// An 8 x 8 inverse DCT: quantised coefficients (natural order) times the
// quantisation table (natural order) to level-restored 8-bit samples.
using InverseTransform = void (*)(const std::int16_t *coefficients, const std::int32_t *quantization,
                                  std::uint8_t *out, std::size_t outStride);

// The reference: separable, double precision, rounded and clamped.
void InverseTransformDouble(const std::int16_t *coefficients, const std::int32_t *quantization, std::uint8_t *out,
                            std::size_t outStride);

// The fastest transform this processor runs, chosen once per process:
// single precision on vectors (AVX2 with FMA, else SSE2).
InverseTransform FastInverseTransform() noexcept;
// The SSE2 one, which every x86-64 runs.
InverseTransform VectorInverseTransformSSE2() noexcept;

} // namespace Brintavolex::JPG
