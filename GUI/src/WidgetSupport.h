#pragma once

// What widgets take from their panel, with fallbacks for a control that is
// not (yet) in a panel.

#include "GUI/api/Font.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Style.h"

namespace Brintavolex::GUI::WidgetSupport {

inline Platform::Video::Context *ContextOf(const Control &control)
{
    Panel *panel = control.GetPanel();
    return panel ? panel->GetContext() : nullptr;
}

inline const Style &StyleOf(const Control &control)
{
    static const ViewerStyle fallback;
    Panel *panel = control.GetPanel();
    if (panel)
        return *panel->GetStyle();
    return fallback;
}

// A style size in pixels at the panel's scale.
inline std::int32_t Unit(const Control &control, double units)
{
    Panel *panel = control.GetPanel();
    return panel ? panel->GUIUnit(units) : static_cast<std::int32_t>(units);
}

inline double ScaleOf(const Control &control)
{
    Panel *panel = control.GetPanel();
    return panel ? panel->ScaleOrOne() : 1.0;
}

inline SharedPtr<Font> FontOf(const Control &control, FontRole role = FontRole::Normal)
{
    Panel *panel = control.GetPanel();
    return panel ? panel->GetFont(role) : nullptr;
}

} // namespace Brintavolex::GUI::WidgetSupport
