#pragma once

// From decompressed chunk samples to pixels of the decoded colour type.
#include "TIF/src/TIFLayout.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::TIF {

// Where pixel (x, y, z) of the window [x0, x1) x [y0, y1) x [z0, z1) goes:
// base + (x - x0) * xStep + (y - y0) * yStep + (z - z0) * zStep pixels. A
// whole picture, a whole volume, or one XY, XZ or YZ slice of it.
struct Destination {
    std::uint8_t *base = nullptr;
    std::int64_t xStep = 1, yStep = 0, zStep = 0;
    std::uint32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0, z0 = 0, z1 = 1;

    bool Meets(const ImageLayout::Place &place, const ImageLayout &l) const noexcept;
};

// How a chunk's bytes hold its samples.
enum class ChunkSamples {
    AsStored,    // as the directory says
    Interleaved, // 8-bit samples without subsampling, colour already RGB (the JPEG decoder's, the YCbCr expansion's)
};

// Writes the pixels of one chunk (ChunkBytes(chunk) bytes, or rowBytes per
// row when the samples were rewritten) that fall into the window.
void StoreChunk(const ImageLayout &l, std::uint64_t chunk, const std::uint8_t *raw, std::uint64_t rowBytes,
                ChunkSamples samples, const Destination &d);

// Subsampled YCbCr data units to interleaved RGB bytes, 3 per pixel, rows of
// chunkWidth pixels.
void ExpandYCbCrChunk(const ImageLayout &l, std::uint64_t chunk, const std::uint8_t *raw, std::vector<std::uint8_t> &rgb);

} // namespace Brintavolex::TIF
