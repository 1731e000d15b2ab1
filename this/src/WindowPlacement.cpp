#include "this/src/WindowPlacement.h"

#include <algorithm>
#include <limits>

namespace Brintavolex {

namespace {
// Beyond any desktop: a stored value out there is damage, not a place.
constexpr std::int32_t kCoordinateLimit = 1 << 20;

bool Usable(const GUI::Rect &r) noexcept
{
    for (std::int32_t v : {r.x0, r.y0, r.x1, r.y1})
        if (v < -kCoordinateLimit || v > kCoordinateLimit)
            return false;
    return r.Width() > 0 && r.Height() > 0;
}

std::int64_t Overlap(std::int32_t a0, std::int32_t a1, std::int32_t b0, std::int32_t b1) noexcept
{
    return std::max<std::int64_t>(0, std::int64_t(std::min(a1, b1)) - std::max(a0, b0));
}
std::int64_t Gap(std::int32_t a0, std::int32_t a1, std::int32_t b0, std::int32_t b1) noexcept
{
    return std::max<std::int64_t>({0, std::int64_t(b0) - a1, std::int64_t(a0) - b1});
}

// The primary monitor holds the desktop's origin.
const GUI::MonitorInfo *Primary(const std::vector<GUI::MonitorInfo> &monitors) noexcept
{
    for (const GUI::MonitorInfo &m : monitors)
        if (m.area.Contains(0, 0))
            return &m;
    return monitors.empty() ? nullptr : &monitors.front();
}

// r at most as large as area and moved inside it.
GUI::Rect Inside(const GUI::Rect &r, const GUI::Rect &area) noexcept
{
    const std::int32_t w = std::min(r.Width(), area.Width()), h = std::min(r.Height(), area.Height());
    const std::int32_t x0 = std::clamp(r.x0, area.x0, area.x1 - w), y0 = std::clamp(r.y0, area.y0, area.y1 - h);
    return GUI::Rect{x0, y0, x0 + w, y0 + h};
}
} // namespace

const GUI::MonitorInfo *MonitorNearestToRect(const std::vector<GUI::MonitorInfo> &monitors, const GUI::Rect &r)
{
    const GUI::MonitorInfo *best = nullptr;
    std::int64_t bestShared = 0, bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const GUI::MonitorInfo &m : monitors) {
        const std::int64_t shared =
            Overlap(r.x0, r.x1, m.area.x0, m.area.x1) * Overlap(r.y0, r.y1, m.area.y0, m.area.y1);
        const std::int64_t dx = Gap(r.x0, r.x1, m.area.x0, m.area.x1), dy = Gap(r.y0, r.y1, m.area.y0, m.area.y1);
        const std::int64_t distance = dx * dx + dy * dy;
        if (shared > bestShared || (bestShared == 0 && shared == 0 && distance < bestDistance)) {
            best = &m;
            bestShared = shared;
            bestDistance = distance;
        }
    }
    return best;
}

GUI::Rect PlaceMainWindow(const GUI::Rect &stored, const std::vector<GUI::MonitorInfo> &monitors,
                          std::int32_t defaultWidth, std::int32_t defaultHeight)
{
    if (Usable(stored)) {
        const GUI::MonitorInfo *m = MonitorNearestToRect(monitors, stored);
        return m ? Inside(stored, m->workArea) : stored;
    }
    const GUI::MonitorInfo *primary = Primary(monitors);
    if (!primary)
        return GUI::Rect{0, 0, defaultWidth, defaultHeight};
    const GUI::Rect &area = primary->workArea;
    const std::int32_t w = std::min(defaultWidth, area.Width()), h = std::min(defaultHeight, area.Height());
    const std::int32_t x0 = area.x0 + (area.Width() - w) / 2, y0 = area.y0 + (area.Height() - h) / 2;
    return GUI::Rect{x0, y0, x0 + w, y0 + h};
}

} // namespace Brintavolex
