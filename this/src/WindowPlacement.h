#pragma once

// Where the main window opens: the rectangle a previous run stored, on the
// monitor nearest to it and inside that monitor's work area, or without one
// a default size in the middle of the primary monitor's work area.

#include "GUI/api/WindowPlatform.h"

#include <vector>

namespace Brintavolex {

// stored: the client rectangle of the last run (empty in either direction:
// none). Without monitors, the rectangle as stored or the default at the origin.
GUI::Rect PlaceMainWindow(const GUI::Rect &stored, const std::vector<GUI::MonitorInfo> &monitors,
                          std::int32_t defaultWidth, std::int32_t defaultHeight);

// The monitor that shares the most area with r, else the one nearest to it;
// null for no monitors.
const GUI::MonitorInfo *MonitorNearestToRect(const std::vector<GUI::MonitorInfo> &monitors, const GUI::Rect &r);

} // namespace Brintavolex
