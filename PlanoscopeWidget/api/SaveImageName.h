#pragma once

#include "Data/api/ColorType.h"

#include <string>
#include <string_view>

namespace Brintavolex::ImageView {

constexpr std::u16string_view kAdjustedMarker = u"_LUT_";
constexpr std::u16string_view kUnnamedImage = u"Image";

// The name "Save image as..." proposes: the image file's name without its
// folder and extension, kAdjustedMarker when the saved pixels are the
// displayed ones rather than the stored ones (brightness or contrast away
// from neutral, or float components, which only show through a window),
// then extension (".png", ".bmp").
std::u16string ProposedSaveName(std::u16string_view imagePath, std::u16string_view extension, bool adjusted,
                                Data::ColorType type);

} // namespace Brintavolex::ImageView
