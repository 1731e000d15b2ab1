#pragma once

// Pictures that carry an Exif orientation, and where an upright pixel lies
// in the stored picture, read from the Exif definition of the values.

#include "Platform/api/CodecFactory.h"

namespace Brintavolex::TestSupport {

struct PixelPosition {
    std::uint32_t x = 0, y = 0;
};

// Exif names the upright edges along which the stored row 0 and column 0
// lie: 1 top/left, 2 top/right, 3 bottom/right, 4 bottom/left, 5 left/top,
// 6 right/top, 7 right/bottom, 8 left/bottom; others count as 1. (x, y) is
// a pixel of the upright picture, which is h x w for 5 to 8.
PixelPosition StoredPixelOfUpright(std::uint16_t orientation, std::uint32_t w, std::uint32_t h, std::uint32_t x,
                                   std::uint32_t y);
PixelPosition UprightExtent(std::uint16_t orientation, std::uint32_t w, std::uint32_t h);

// 8-bit BGRA pixels that tell where they are stored: blue x, green y, red
// 7x + 13y, opaque.
SharedPtr<IImage2D> OrientedPicture(std::uint32_t w, std::uint32_t h, std::uint16_t orientation);

// Registers (once) the decoder of "*.exo" files, "EXO!" and the
// orientation, width and height as one byte each, and returns such a file.
std::string OrientedPictureFile(std::uint8_t orientation, std::uint8_t w, std::uint8_t h);

} // namespace Brintavolex::TestSupport
