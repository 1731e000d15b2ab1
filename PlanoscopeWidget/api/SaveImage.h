#pragma once

// "Save image as...": the dialog that asks for the file, and the writing of
// the picture as PNG or BMP by the file's extension.

#include "Data/api/Image2D.h"

#include <string>
#include <string_view>

namespace Brintavolex::ImageView {

// Asks the user where to save. The dialog offers ".png", ".bmp" and "All
// files"; proposedName is the file name it starts with.
class ISaveImageDialog {
public:
    virtual ~ISaveImageDialog() = default;
    // The chosen path, or empty when the user cancelled.
    virtual std::u16string AskSavePath(std::u16string_view proposedName) = 0;
};

// The file's bytes for path's extension (".png" or ".bmp", any case): pixel
// types the encoder does not take are written as their display bytes.
// Another extension throws "Save image as: use the extension .png or .bmp".
std::string EncodeImageForPath(const Data::Image2DBase &image, std::u16string_view path);

// Encodes, then replaces the file whole.
void SaveImageFile(const Data::Image2DBase &image, std::u16string_view path);

} // namespace Brintavolex::ImageView
