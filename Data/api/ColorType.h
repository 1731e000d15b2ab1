#pragma once

#include <cstdint>
#include <type_traits>

namespace Brintavolex::Data {

// The 22 pixel types with their fixed codes: scalar codes are the number of
// value bits; BGRA adds 40 (8-bit channels) or 400; the two RGBA types have
// codes of their own.
enum class ColorType : std::int32_t {
    Unknown = 0,
    SInt8 = 7,
    UInt8 = 8,
    SInt16 = 15,
    UInt16 = 16,
    Float32 = 23,
    SInt32 = 31,
    UInt32 = 32,
    Float64 = 52,
    SInt64 = 63,
    UInt64 = 64,
    BGRASInt8 = 47,
    BGRAUInt8 = 48,
    BGRASInt16 = 415,
    BGRAUInt16 = 416,
    BGRAFloat32 = 423,
    BGRASInt32 = 431,
    BGRAUInt32 = 432,
    BGRAFloat64 = 452,
    BGRASInt64 = 463,
    BGRAUInt64 = 464,
    RGBAUInt16 = 453,
    RGBAFloat32 = 454,
};

template <class T> struct ColorBGRA {
    T b, g, r, a;
    friend bool operator==(const ColorBGRA &, const ColorBGRA &) = default;
};

template <class T> struct ColorRGBA {
    T r, g, b, a;
    friend bool operator==(const ColorRGBA &, const ColorRGBA &) = default;
};

// Pixel type <-> code.
template <class P> struct ColorTypeOf;
#define BRINTAVOLEX_COLOR_TYPE_OF(P, CODE)                                                                        \
    template <> struct ColorTypeOf<P> {                                                                            \
        static constexpr ColorType value = ColorType::CODE;                                                        \
        static constexpr const char *name = #CODE;                                                                 \
    }
BRINTAVOLEX_COLOR_TYPE_OF(std::int8_t, SInt8);
BRINTAVOLEX_COLOR_TYPE_OF(std::uint8_t, UInt8);
BRINTAVOLEX_COLOR_TYPE_OF(std::int16_t, SInt16);
BRINTAVOLEX_COLOR_TYPE_OF(std::uint16_t, UInt16);
BRINTAVOLEX_COLOR_TYPE_OF(std::int32_t, SInt32);
BRINTAVOLEX_COLOR_TYPE_OF(std::uint32_t, UInt32);
BRINTAVOLEX_COLOR_TYPE_OF(std::int64_t, SInt64);
BRINTAVOLEX_COLOR_TYPE_OF(std::uint64_t, UInt64);
BRINTAVOLEX_COLOR_TYPE_OF(float, Float32);
BRINTAVOLEX_COLOR_TYPE_OF(double, Float64);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::int8_t>, BGRASInt8);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::uint8_t>, BGRAUInt8);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::int16_t>, BGRASInt16);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::uint16_t>, BGRAUInt16);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::int32_t>, BGRASInt32);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::uint32_t>, BGRAUInt32);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::int64_t>, BGRASInt64);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<std::uint64_t>, BGRAUInt64);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<float>, BGRAFloat32);
BRINTAVOLEX_COLOR_TYPE_OF(ColorBGRA<double>, BGRAFloat64);
BRINTAVOLEX_COLOR_TYPE_OF(ColorRGBA<std::uint16_t>, RGBAUInt16);
BRINTAVOLEX_COLOR_TYPE_OF(ColorRGBA<float>, RGBAFloat32);
#undef BRINTAVOLEX_COLOR_TYPE_OF

template <class P> struct IsBGRA : std::false_type {};
template <class T> struct IsBGRA<ColorBGRA<T>> : std::true_type {};
template <class P> struct IsRGBA : std::false_type {};
template <class T> struct IsRGBA<ColorRGBA<T>> : std::true_type {};

// Channel type of a pixel type.
template <class P> struct ChannelOf { using type = P; };
template <class T> struct ChannelOf<ColorBGRA<T>> { using type = T; };
template <class T> struct ChannelOf<ColorRGBA<T>> { using type = T; };

template <class P> struct TypeTag { using type = P; };

// Calls f(TypeTag<P>{}) for the pixel type P of code; returns false for a
// code outside the twenty scalar and BGRA types (RGBA included only when
// WithRGBA is set).
template <bool WithRGBA = false, class F> bool DispatchColorType(ColorType code, F &&f)
{
    switch (code) {
    case ColorType::SInt8: f(TypeTag<std::int8_t>{}); return true;
    case ColorType::UInt8: f(TypeTag<std::uint8_t>{}); return true;
    case ColorType::SInt16: f(TypeTag<std::int16_t>{}); return true;
    case ColorType::UInt16: f(TypeTag<std::uint16_t>{}); return true;
    case ColorType::SInt32: f(TypeTag<std::int32_t>{}); return true;
    case ColorType::UInt32: f(TypeTag<std::uint32_t>{}); return true;
    case ColorType::SInt64: f(TypeTag<std::int64_t>{}); return true;
    case ColorType::UInt64: f(TypeTag<std::uint64_t>{}); return true;
    case ColorType::Float32: f(TypeTag<float>{}); return true;
    case ColorType::Float64: f(TypeTag<double>{}); return true;
    case ColorType::BGRASInt8: f(TypeTag<ColorBGRA<std::int8_t>>{}); return true;
    case ColorType::BGRAUInt8: f(TypeTag<ColorBGRA<std::uint8_t>>{}); return true;
    case ColorType::BGRASInt16: f(TypeTag<ColorBGRA<std::int16_t>>{}); return true;
    case ColorType::BGRAUInt16: f(TypeTag<ColorBGRA<std::uint16_t>>{}); return true;
    case ColorType::BGRASInt32: f(TypeTag<ColorBGRA<std::int32_t>>{}); return true;
    case ColorType::BGRAUInt32: f(TypeTag<ColorBGRA<std::uint32_t>>{}); return true;
    case ColorType::BGRASInt64: f(TypeTag<ColorBGRA<std::int64_t>>{}); return true;
    case ColorType::BGRAUInt64: f(TypeTag<ColorBGRA<std::uint64_t>>{}); return true;
    case ColorType::BGRAFloat32: f(TypeTag<ColorBGRA<float>>{}); return true;
    case ColorType::BGRAFloat64: f(TypeTag<ColorBGRA<double>>{}); return true;
    case ColorType::RGBAUInt16:
        if constexpr (WithRGBA) {
            f(TypeTag<ColorRGBA<std::uint16_t>>{});
            return true;
        }
        return false;
    case ColorType::RGBAFloat32:
        if constexpr (WithRGBA) {
            f(TypeTag<ColorRGBA<float>>{});
            return true;
        }
        return false;
    default: return false;
    }
}

// Enumerator name ("UInt16", "BGRAFloat32"), or nullptr for an unknown code.
const char *ColorTypeName(ColorType code) noexcept;
// Bytes per pixel, or 0 for an unknown code.
unsigned PixelSize(ColorType code) noexcept;
bool IsKnownColorType(ColorType code) noexcept;

// What a source reports before decoding.
struct BasicInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t allocatedWidth = 0;
    std::uint32_t allocatedHeight = 0;
    ColorType colorType = ColorType::Unknown;
};

} // namespace Brintavolex::Data
