#pragma once

#include "Platform/api/Language.h"
#include "Platform/api/Video/RendererType.h"

#include <cstdint>

// Enumerations that settings store by name (the name tables live with the
// text conversions, ValueText.h).

// Locale::EnumLanguage lives with the language in force (Platform/api/Language.h).

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
