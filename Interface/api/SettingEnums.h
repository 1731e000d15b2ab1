#pragma once

#include "Platform/api/Video/RendererType.h"

#include <cstdint>

// Enumerations that settings store by name (the name tables live with the
// text conversions, ValueText.h).

namespace Brintavolex::Locale {
// Upper 16 bits: the two-letter code in ASCII; lowest byte: the index into a
// text pair (0 German, 1 English).
enum class EnumLanguage : std::uint32_t {
    Auto = 0,
    German = 0x44450000,
    English = 0x454E0001,
};
} // namespace Brintavolex::Locale

// Platform::Video::RendererTypeEnum lives with the renderer.

namespace Brintavolex::Resampling {
enum class EnumResamplingMode : std::int32_t {
    Cubic = 0,
    Linear = 1,
    Nearest = 2,
    Area = 3,
    MipMapBilinear = 4,
    MipMapTrilinear = 5,
};
} // namespace Brintavolex::Resampling
