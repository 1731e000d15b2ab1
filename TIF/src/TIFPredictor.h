#pragma once

#include <cstddef>
#include <cstdint>

namespace Brintavolex::TIF {

// Undoes Predictor 2 (horizontal differencing) in decompressed rows: from
// the second pixel of a row on, each sample is stored as its difference to
// the same sample of the pixel before, modulo the sample's width. Samples
// of 8, 16, 32 or 64 bits in the file's byte order; rowBytes must hold
// width x samplesPerPixel samples.
void UndoHorizontalDifferencing(std::uint8_t *rows, std::size_t rowCount, std::size_t rowBytes, std::uint32_t width,
                                unsigned samplesPerPixel, unsigned bitsPerSample, bool bigEndian);

} // namespace Brintavolex::TIF
