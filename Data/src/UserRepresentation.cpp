#include "Data/api/UserRepresentation.h"

#include "Data/api/Image2D.h"

#include <cmath>
#include <limits>

namespace Brintavolex::Data {

namespace {
constexpr double k2To63 = 9223372036854775808.0;

// A range of no width (one value everywhere) divides as a range of one unit,
// so that no value turns into an infinity or NaN on its way to the screen.
inline double Span(double minimum, double maximum) noexcept
{
    const double span = maximum - minimum;
    return span != 0.0 ? span : 1.0;
}
constexpr double k2To64 = 18446744073709551616.0;

ColorType ComponentKind(ColorType type) noexcept
{
    // BGRA codes add 40 (8-bit channels) or 400 to their channel's code.
    const auto code = static_cast<std::int32_t>(type);
    if (code > 400)
        return ColorType(code - 400);
    if (code == 47 || code == 48)
        return ColorType(code - 40);
    return type;
}
} // namespace

bool NominalRange(ColorType type, double &minimum, double &maximum) noexcept
{
    switch (ComponentKind(type)) {
    case ColorType::SInt8: minimum = -128, maximum = 127; return true;
    case ColorType::UInt8: minimum = 0, maximum = 255; return true;
    case ColorType::SInt16: minimum = -32768, maximum = 32767; return true;
    case ColorType::UInt16: minimum = 0, maximum = 65535; return true;
    case ColorType::SInt32: minimum = -2147483648.0, maximum = 2147483647.0; return true;
    case ColorType::UInt32: minimum = 0, maximum = 4294967295.0; return true;
    case ColorType::SInt64: minimum = -k2To63, maximum = k2To63; return true;
    case ColorType::UInt64: minimum = 0, maximum = k2To64; return true;
    default: return false;
    }
}

double DefaultImageUserRepresentation::GetUserValueFromNormalizedFloatValue(double n)
{
    switch (ComponentKind(_type)) {
    case ColorType::SInt8: return n * 255 - 128;
    case ColorType::UInt8: return n * 255;
    case ColorType::SInt16: return n * 65535 - 32768;
    case ColorType::UInt16: return n * 65535;
    case ColorType::SInt32: return n * 4294967295.0 - 2147483648.0;
    case ColorType::UInt32: return n * 4294967295.0;
    case ColorType::SInt64: return n * k2To64 - k2To63;
    case ColorType::UInt64: return n * k2To64;
    case ColorType::Float32:
    case ColorType::Float64: return n;
    default:
        throw Exception("Brintavolex::Data::DefaultImageUserRepresentation::GetUserValueFromNormalizedFloatValue");
    }
}

double DefaultImageUserRepresentation::GetNormalizedFloatFromUserValue(double u)
{
    switch (ComponentKind(_type)) {
    case ColorType::SInt8: return (u + 128) / 255;
    case ColorType::UInt8: return u / 255;
    case ColorType::SInt16: return (u + 32768) / 65535;
    case ColorType::UInt16: return u / 65535;
    case ColorType::SInt32: return (u + 2147483648.0) / 4294967295.0;
    case ColorType::UInt32: return u / 4294967295.0;
    case ColorType::SInt64: return (u + k2To63) * (1.0 / k2To64);
    case ColorType::UInt64: return u * (1.0 / k2To64);
    case ColorType::Float32:
    case ColorType::Float64: return u;
    default:
        throw Exception("Brintavolex::Data::DefaultImageUserRepresentation::GetNormalizedFloatFromUserValue");
    }
}

double ImageUserRepresentationFromMinMaxValues::GetUserValueFromNormalizedFloatValue(double n)
{
    return _userMinimum + n * (_userMaximum - _userMinimum);
}

double ImageUserRepresentationFromMinMaxValues::GetNormalizedFloatFromUserValue(double u)
{
    return (u - _userMinimum) / Span(_userMinimum, _userMaximum);
}

double ImageUserRepresentationFromMinMaxValues::GetPixelValueFromUserValue(double u)
{
    if (RangesEqual())
        return u;
    return _pixelMinimum + (_pixelMaximum - _pixelMinimum) * GetNormalizedFloatFromUserValue(u);
}

double ImageUserRepresentationFromMinMaxValues::GetUserValueFromPixelValue(double p)
{
    if (RangesEqual())
        return p;
    return GetUserValueFromNormalizedFloatValue((p - _pixelMinimum) / Span(_pixelMinimum, _pixelMaximum));
}

void SetImageUserRepresentation(Image2DBase &image, const SharedPtr<IImageUserRepresentation> &p)
{
    if (!p)
        throw Exception("SetImageUserRepresentation: p is nullptr");
    image.SetUserRepresentation(p);
}

void AttachUserRepresentation(Image2DBase &image, const ValueRangeHints &hints)
{
    const ColorType type = image.GetColorType();
    if (!IsKnownColorType(type) || type == ColorType::RGBAUInt16 || type == ColorType::RGBAFloat32)
        throw Exception("unknown color type");
    double minimum = std::numeric_limits<double>::infinity(), maximum = -minimum;
    NominalRange(type, minimum, maximum);
    if (hints.minimum)
        minimum = *hints.minimum;
    if (hints.maximum)
        maximum = *hints.maximum;
    // No usable range (no finite value, or one value everywhere): a unit
    // range around the value keeps every division defined.
    if (!std::isfinite(minimum) && !std::isfinite(maximum))
        minimum = 0, maximum = 1;
    else if (!std::isfinite(minimum))
        minimum = maximum - 1;
    else if (!std::isfinite(maximum))
        maximum = minimum + 1;
    if (!(minimum < maximum))
        maximum = minimum + 1;
    double userMinimum = minimum, userMaximum = maximum;
    if (hints.userMinimum && hints.userMaximum && *hints.userMinimum < *hints.userMaximum)
        userMinimum = *hints.userMinimum, userMaximum = *hints.userMaximum;
    SetImageUserRepresentation(image, MakeShared<ImageUserRepresentationFromMinMaxValues>(userMinimum, userMaximum,
                                                                                          minimum, maximum));
}

} // namespace Brintavolex::Data
