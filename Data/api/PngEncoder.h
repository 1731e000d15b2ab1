#pragma once

#include "Data/api/Image2D.h"

#include <string>

namespace Brintavolex::Data {

// The picture as a PNG file, written through libpng: UInt8 as 8-bit grey,
// UInt16 as 16-bit grey, BGRAUInt8 and BGRAUInt16 as RGBA of their depth
// (RGB when every pixel is opaque). Other colour types throw Exception.
std::string EncodePng(const Image2DBase &image);

} // namespace Brintavolex::Data
