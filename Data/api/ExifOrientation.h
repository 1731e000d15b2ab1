#pragma once

// The Exif orientation of a stored picture (tag 274): 1 as stored, 2
// mirrored left-right, 3 turned 180 degrees, 4 mirrored top-bottom, 5
// transposed, 6 to be turned 90 degrees clockwise, 7 transverse, 8 to be
// turned 90 degrees counter-clockwise.

#include "Data/api/Image2D.h"

#include <cstdint>

namespace Brintavolex::Data {

constexpr std::uint16_t kExifOrientationAsStored = 1;
constexpr std::uint16_t kExifOrientationLast = 8;

// The value itself for 1 to 8; anything else counts as stored.
std::uint16_t ValidExifOrientation(std::uint32_t value) noexcept;

// How the stored picture becomes upright: first mirrored left-right (when
// mirrored), then turned clockwise by 0, 90, 180 or 270 degrees.
struct UprightTurn {
    bool mirrored = false;
    std::int32_t clockwise = 0;
};
UprightTurn UprightTurnOf(std::uint16_t exifOrientation) noexcept;

// True for 5 to 8: the upright picture is as wide as the stored one is high.
bool ExchangesExtents(std::uint16_t exifOrientation) noexcept;

// A new picture of the same pixel type holding the upright pixels; the pixel
// size follows the axes and the display mapping is shared.
SharedPtr<Image2DBase> UprightCopy(const Image2DBase &image, std::uint16_t exifOrientation);

} // namespace Brintavolex::Data
