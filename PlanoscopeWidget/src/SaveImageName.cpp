#include "PlanoscopeWidget/api/SaveImageName.h"

namespace Brintavolex::ImageView {

std::u16string ProposedSaveName(std::u16string_view imagePath, std::u16string_view extension, bool adjusted,
                                Data::ColorType type)
{
    const std::size_t slash = imagePath.find_last_of(u"\\/");
    std::u16string_view name = slash == std::u16string_view::npos ? imagePath : imagePath.substr(slash + 1);
    // A leading dot starts a name, not an extension.
    const std::size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string_view::npos && dot > 0)
        name = name.substr(0, dot);
    std::u16string proposed(name.empty() ? kUnnamedImage : name);
    const bool floats = type == Data::ColorType::Float32 || type == Data::ColorType::Float64 ||
                        type == Data::ColorType::BGRAFloat32 || type == Data::ColorType::BGRAFloat64 ||
                        type == Data::ColorType::RGBAFloat32;
    if (adjusted || floats)
        proposed += kAdjustedMarker;
    proposed += extension;
    return proposed;
}

} // namespace Brintavolex::ImageView
