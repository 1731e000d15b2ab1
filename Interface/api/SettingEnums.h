#pragma once

#include <cstdint>

// Enumerations that settings store by name (the name tables live with the
// text conversions, ValueText.h).

namespace Brintavolex::Locale
{
// Upper 16 bits: the two-letter code in ASCII; lowest byte: the index into a
// text pair (0 German, 1 English).
enum class EnumLanguage : std::uint32_t {
    Auto = 0,
    German = 0x44450000,
    English = 0x454E0001,
};
} // namespace Brintavolex::Locale

namespace Brintavolex::Platform::Video
{
enum class RendererTypeEnum : std::int32_t {
    OpenGL = 0,
    Direct3D9 = 1,
    Software = 2,
};
} // namespace Brintavolex::Platform::Video

namespace Brintavolex::Resampling
{
enum class EnumResamplingMode : std::int32_t {
    Cubic = 0,
    Linear = 1,
    Nearest = 2,
    Area = 3,
    MipMapBilinear = 4,
    MipMapTrilinear = 5,
};
} // namespace Brintavolex::Resampling
