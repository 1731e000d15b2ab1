#pragma once

#include <cstdint>
#include <string>

namespace Brintavolex::Bench {

// A photo-like JPEG written by libjpeg-turbo (quality 90, 4:2:0): smooth
// shapes, texture and sensor-like noise, baseline or progressive.
std::string MakePhotoJpeg(std::uint32_t width, std::uint32_t height, bool progressive);

} // namespace Brintavolex::Bench
