#pragma once

#include "Data/api/ColorType.h"

#include <cstdint>
#include <vector>

namespace Brintavolex::ICO {

// Applies the 1-bit AND mask of a bitmap entry as transparency, as Windows
// draws icons: a set mask bit makes the pixel transparent. Entries of 32
// bits keep their alpha unless it is 0 everywhere. dib is the entry with its
// height already halved; pixels are the BMP decoder's output of width x
// height with the given stride. A mask the data does not hold leaves the
// picture opaque.
void ApplyAndMask(const std::vector<std::uint8_t> &dib, Data::ColorBGRA<std::uint8_t> *pixels, std::uint64_t stride,
                  std::uint32_t width, std::uint32_t height);

} // namespace Brintavolex::ICO
