#include "PlanoscopeWidget/src/ToolbarIcon.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex::ImageView {

namespace {
constexpr std::uint32_t kIconSize = 16; // pixels at scale 1
}

// Until the drawn icons arrive: a framed square whose colour follows the
// name, so that every button is told apart.
SharedPtr<Data::Image2DBase> ToolbarIcon(std::string_view name, double scale)
{
    using Pixel = Data::ColorBGRA<std::uint8_t>;
    const double s = std::isfinite(scale) && scale > 0 ? std::min(scale, 8.0) : 1.0;
    const std::uint32_t size = std::max<std::uint32_t>(1, std::uint32_t(std::lround(kIconSize * s)));
    std::uint32_t hash = 2166136261u;
    for (const char c : name)
        hash = (hash ^ std::uint8_t(c)) * 16777619u;
    const Pixel fill{std::uint8_t(96 + (hash & 127)), std::uint8_t(96 + ((hash >> 8) & 127)),
                     std::uint8_t(96 + ((hash >> 16) & 127)), 255};
    const Pixel frame{230, 230, 230, 255};
    auto image = MakeShared<Data::Image2D<Pixel>>();
    image->Allocate(size, size);
    auto lock = image->Lock<Pixel>();
    const std::uint32_t border = std::max<std::uint32_t>(1, size / 8);
    for (std::uint32_t y = 0; y < size; ++y)
        for (std::uint32_t x = 0; x < size; ++x) {
            const bool edge = x < border || y < border || x >= size - border || y >= size - border;
            lock.Row(y)[x] = edge ? frame : fill;
        }
    return image;
}

} // namespace Brintavolex::ImageView
