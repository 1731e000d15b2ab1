#pragma once

#include "Data/api/Image2D.h"

#include <string>

namespace Brintavolex::Data {

// The picture as a BMP file, rows bottom-up: BGRAUInt8 as 32-bit with alpha
// (a version 4 header with bit fields, which readers honour for alpha), or
// 24-bit when every pixel is opaque; UInt8 as 8-bit with a palette of 256
// greys. Other colour types, empty pictures and pictures whose file would
// pass 4 GiB throw Exception.
std::string EncodeBmp(const Image2DBase &image);

} // namespace Brintavolex::Data
