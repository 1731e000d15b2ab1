#pragma once

#include <cstddef>
#include <cstdint>

namespace Brintavolex::TIF {

// Decompressors of strip and tile data. Each writes at most `expected`
// bytes to out and returns how many it made: data that would make more is
// cut there, and damaged or short data ends early, leaving the rest (which
// may hold scratch bytes) for the caller to clear and report. None reads
// past size bytes of input.

// PackBits (Compression 32773).
std::size_t UnpackBits(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected);

// LZW as TIFF 6.0 defines it (Compression 5): codes of 9 to 12 bits, most
// significant bit first, the code width growing one code early.
std::size_t DecodeLZW(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected);

// Deflate (Compression 8 and 32946) through zlib. Throws Exception "zlib
// uncompress Z_DATA_ERROR" (or Z_MEM_ERROR, or "unknown error") for data
// zlib refuses.
std::size_t Inflate(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected);

} // namespace Brintavolex::TIF
