#pragma once

// The tooltip: a small panel of its own with one label, placed below the
// control it explains and kept inside the work area of the monitor nearest
// to the pointer. It never takes the pointer.

#include "GUI/api/Label.h"
#include "GUI/api/Panel.h"

namespace Brintavolex::GUI {

class TooltipLabel : public Label {
protected:
    Color TextColor() const override;
};

// The tooltip's desktop rectangle for a pointer at panel-relative x over a
// control whose bottom edge is anchorY1, before it is kept on the monitor.
Rect TooltipRect(const Rect &panelRect, std::int32_t pointerX, std::int32_t anchorY1, double scale,
                 std::int32_t textWidth, std::int32_t lineHeight) noexcept;
// Moves r into area and, where it is larger, cuts it to the area.
Rect FitInside(const Rect &r, const Rect &area) noexcept;

class Tooltip : public Panel {
public:
    Tooltip();
    bool AcceptsPoint(std::int32_t, std::int32_t) override { return false; }
    bool DeleteContextObjects() override;

    // Shows text below anchor (a control of owner panel) at the pointer's
    // panel-relative x; an empty text hides the tooltip instead.
    void Show(const Panel &owner, const Control &anchor, std::int32_t pointerX, const TextPair &text);
    void Hide();
    bool IsShown() const noexcept { return GetGUI() != nullptr; }
    const TooltipLabel &GetLabel() const noexcept { return _label; }

private:
    TooltipLabel _label;
};

} // namespace Brintavolex::GUI
