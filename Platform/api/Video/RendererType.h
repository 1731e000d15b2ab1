#pragma once

#include <cstdint>

namespace Brintavolex::Platform::Video {

// The back end the "Renderer" setting chooses; stored by its name.
enum class RendererTypeEnum : std::int32_t { OpenGL = 0, Direct3D9 = 1, Software = 2 };

} // namespace Brintavolex::Platform::Video
