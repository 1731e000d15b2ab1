#pragma once

#include "TIF/src/TIFLayout.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Brintavolex::TIF {

// A chunk's ChunkBytes(chunk) bytes of samples, and how many of them the
// data gave; the rest is zero.
struct DecompressedChunk {
    const std::uint8_t *samples;
    std::uint64_t made;
};

// One chunk's stored bytes to its samples: fill order, decompression,
// prediction. The samples are the stored bytes themselves when those hold
// them as they are, else written to out; reversed holds the stored bytes
// of FillOrder 2 with their bits turned around.
DecompressedChunk DecompressChunk(const ImageLayout &l, std::uint64_t chunk, std::span<const std::uint8_t> stored,
                                  std::vector<std::uint8_t> &reversed, std::vector<std::uint8_t> &out);

} // namespace Brintavolex::TIF
