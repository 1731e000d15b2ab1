#pragma once

// The one place the 2D viewer asks for its toolbar and panel pictures.

#include "Data/api/Image2D.h"

#include <string_view>

namespace Brintavolex::ImageView {

// The picture named by file ("IconZoomPos.bmp") at a display scale, as
// BGRA pixels; never null.
SharedPtr<Data::Image2DBase> ToolbarIcon(std::string_view name, double scale);

} // namespace Brintavolex::ImageView
