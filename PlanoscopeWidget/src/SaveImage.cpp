#include "PlanoscopeWidget/api/SaveImage.h"

#include "Data/api/BmpEncoder.h"
#include "Data/api/PngEncoder.h"
#include "Platform/api/FileSystem.h"
#include "PlanoscopeWidget/api/BrightnessContrast.h"
#include "Root/api/Exception.h"

namespace Brintavolex::ImageView {

namespace {

bool EndsWith(std::u16string_view path, std::u16string_view ending)
{
    if (path.size() < ending.size())
        return false;
    for (std::size_t i = 0; i < ending.size(); ++i) {
        char16_t c = path[path.size() - ending.size() + i];
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != ending[i])
            return false;
    }
    return true;
}

// The display bytes of a picture the encoder cannot take as stored.
SharedPtr<Data::Image2DBase> DisplayCopy(const Data::Image2DBase &image)
{
    try {
        return ApplyDisplayWindow(image, DisplayWindow{});
    } catch (const std::exception &) {
        throw Exception("CloneImage: unknown color type");
    }
}

} // namespace

std::string EncodeImageForPath(const Data::Image2DBase &image, std::u16string_view path)
{
    const Data::ColorType type = image.GetColorType();
    if (EndsWith(path, u".png")) {
        const bool direct = type == Data::ColorType::UInt8 || type == Data::ColorType::UInt16 ||
                            type == Data::ColorType::BGRAUInt8 || type == Data::ColorType::BGRAUInt16;
        return Data::EncodePng(direct ? image : *DisplayCopy(image));
    }
    if (EndsWith(path, u".bmp")) {
        const bool direct = type == Data::ColorType::UInt8 || type == Data::ColorType::BGRAUInt8;
        return Data::EncodeBmp(direct ? image : *DisplayCopy(image));
    }
    throw Exception("Save image as: use the extension .png or .bmp");
}

void SaveImageFile(const Data::Image2DBase &image, std::u16string_view path)
{
    const std::string bytes = EncodeImageForPath(image, path);
    Platform::ReplaceFileAtomically(String(StringExpr(path)), bytes);
}

} // namespace Brintavolex::ImageView
