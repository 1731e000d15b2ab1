#pragma once

#include "TIF/src/TIFLayout.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::TIF {

// One chunk's stored bytes to its samples: fill order, decompression,
// prediction. stored may be changed (bit order). Writes ChunkBytes(chunk)
// bytes to out and returns how many the data gave; the rest is zero.
std::uint64_t DecompressChunk(const ImageLayout &l, std::uint64_t chunk, std::vector<std::uint8_t> &stored,
                              std::vector<std::uint8_t> &out);

} // namespace Brintavolex::TIF
