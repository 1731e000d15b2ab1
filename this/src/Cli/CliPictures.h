#pragma once

#include "Data/api/Image2D.h"
#include "Interface/api/BinaryFile.h"

#include <string>

namespace Brintavolex::Cli {

// The channels of a pixel type in the order .raw files hold them, and their
// type: "B,G,R,A of UInt8", "grey of Float32".
std::string RawLayout(Data::ColorType type);

// The picture as PNG: 8- and 16-bit grey and BGRA as they are, every other
// pixel type through the display mapping (8-bit RGBA).
std::string PngOf(const Data::Image2DBase &image);

// The picture's samples exactly as decoded: rows without padding, each
// sample little-endian, the channels as RawLayout names them.
void WriteRaw(const Data::Image2DBase &image, BinaryFile &file);

} // namespace Brintavolex::Cli
