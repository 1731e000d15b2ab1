#pragma once

#include "Data/api/Image2D.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Brintavolex::TestSupport {

// A decoded picture's samples as R, G, B, A rows of 16 bits (8-bit samples
// scaled by 257, so 8 and 16 bits compare alike). BGRA types only.
std::vector<std::uint16_t> Samples16(const Data::Image2DBase &image);
// A UInt16 picture's samples, one per pixel.
std::vector<std::uint16_t> GreySamples16(const Data::Image2DBase &image);
// Reference bytes as such samples: 8-bit, or 16-bit little-endian.
std::vector<std::uint16_t> Samples16(const std::string &bytes, unsigned bytesPerSample);

// Samples whose high `bits` bits differ by more than tolerance; the first
// three are reported as test failures with their pixel and channel (RGBA
// samples, or grey ones when channels is 1).
int CountMismatches(const std::vector<std::uint16_t> &ours, const std::vector<std::uint16_t> &expected,
                    std::uint64_t width, unsigned bits = 16, int tolerance = 0, unsigned channels = 4);

} // namespace Brintavolex::TestSupport
