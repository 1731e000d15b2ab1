#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "GUI/api/WindowPlatform.h"

#include <algorithm>
#include <limits>

namespace Brintavolex::GUI {

namespace {
// Squared distance from the point to the half-open rectangle; 0 inside.
std::int64_t DistanceSquared(const Rect &r, std::int32_t x, std::int32_t y) noexcept
{
    const std::int64_t dx = x < r.x0 ? std::int64_t(r.x0) - x : x >= r.x1 ? std::int64_t(x) - r.x1 + 1 : 0;
    const std::int64_t dy = y < r.y0 ? std::int64_t(r.y0) - y : y >= r.y1 ? std::int64_t(y) - r.y1 + 1 : 0;
    return dx * dx + dy * dy;
}

constexpr Rect kUnbounded{-32768, -32768, 32767, 32767};
} // namespace

const MonitorInfo *NearestMonitor(const std::vector<MonitorInfo> &monitors, std::int32_t x, std::int32_t y) noexcept
{
    const MonitorInfo *best = nullptr;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const MonitorInfo &m : monitors) {
        const std::int64_t d = DistanceSquared(m.area, x, y);
        if (d < bestDistance) {
            best = &m;
            bestDistance = d;
        }
    }
    return best;
}

Rect WindowPlatform::WorkAreaNearest(std::int32_t x, std::int32_t y)
{
    const std::vector<MonitorInfo> monitors = Monitors();
    const MonitorInfo *m = NearestMonitor(monitors, x, y);
    return m ? m->workArea : kUnbounded;
}

std::optional<Rect> GUI::PointerWorkArea() const
{
    if (_platform) {
        std::int32_t x = 0, y = 0;
        _platform->LastMessagePosition(x, y);
        return _platform->WorkAreaNearest(x, y);
    }
    if (const MonitorInfo *m = NearestMonitor(_monitors, _lastX, _lastY))
        return m->workArea;
    return std::nullopt;
}

} // namespace Brintavolex::GUI
