#pragma once

// What the main window shows for an item: a control tree that takes a 2D
// picture; layout and visibility are the control's own.

#include "Data/api/Image2D.h"
#include "GUI/api/Control.h"

#include <cstdint>

namespace Brintavolex::ImageView {

class IViewerControl : public GUI::ControlList {
public:
    // The picture, its pixel size and Exif orientation.
    virtual void SetImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth, double pixelHeight,
                          std::uint16_t exifOrientation) = 0;
};

} // namespace Brintavolex::ImageView
