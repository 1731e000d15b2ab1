#pragma once

#include "BMP/src/BMPHeaders.h"
#include "Data/api/Image2D.h"
#include "Data/api/SceneItem.h"

namespace Brintavolex::BMP {

// Decodes the pixel data that layout describes into the locked picture.
void DecodePixels(IStream &stream, const Layout &layout, const Data::Image2DLock<Data::ColorBGRA<std::uint8_t>> &target,
                  const SharedPtr<IProgress> &progress);

} // namespace Brintavolex::BMP
