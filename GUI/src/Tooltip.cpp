#include "GUI/api/Tooltip.h"

#include "GUI/api/Font.h"
#include "GUI/api/GUI.h"
#include "GUI/src/WidgetSupport.h"
#include "Platform/api/ErrorLog.h"

#include <algorithm>

namespace Brintavolex::GUI {

namespace {
// Above drop-down lists and every other panel.
constexpr std::int32_t kTooltipLayer = 2000;
constexpr double kGapBelowAnchor = 10.0;
constexpr double kHorizontalPadding = 8.0;

std::int32_t Truncate(double v) noexcept
{
    return v >= 32767.0 ? 32767 : v <= -32768.0 ? -32768 : static_cast<std::int32_t>(v);
}
} // namespace

Color TooltipLabel::TextColor() const { return WidgetSupport::StyleOf(*this).listNormal.text; }

Rect TooltipRect(const Rect &panelRect, std::int32_t pointerX, std::int32_t anchorY1, double scale,
                 std::int32_t textWidth, std::int32_t lineHeight) noexcept
{
    const double s = scale == 0.0 ? 1.0 : scale;
    Rect r;
    r.x0 = panelRect.x0 + pointerX;
    r.y0 = panelRect.y0 + anchorY1 + Truncate(kGapBelowAnchor * s);
    r.x1 = r.x0 + textWidth + Truncate(kHorizontalPadding * s);
    r.y1 = r.y0 + lineHeight + 2 * Truncate(s);
    return r;
}

Rect FitInside(const Rect &r, const Rect &area) noexcept
{
    const std::int32_t w = std::min(r.Width(), area.Width()), h = std::min(r.Height(), area.Height());
    const std::int32_t x0 = std::clamp(r.x0, area.x0, std::max(area.x0, area.x1 - w));
    const std::int32_t y0 = std::clamp(r.y0, area.y0, std::max(area.y0, area.y1 - h));
    return Rect{x0, y0, x0 + std::max(w, 0), y0 + std::max(h, 0)};
}

Tooltip::Tooltip()
{
    SetAcceptsKeyboard(false);
    SetLayer(kTooltipLayer);
    _label.SetAlignment(Label::AlignCentre);
    Add(_label);
}

void Tooltip::Show(const Panel &owner, const Control &anchor, std::int32_t pointerX, const TextPair &text)
{
    GUI *gui = owner.GetGUI();
    if (!gui || Locale::Pick(text).Length() == 0) {
        Hide();
        return;
    }
    SetStyle(owner.GetStyle());
    SetScale(owner.ScaleOrOne());
    _label.SetText(text);
    SharedPtr<Font> font = owner.GetFont(FontRole::Normal);
    const std::int32_t width = font ? font->TextWidth(Locale::Pick(text)) : 0;
    const std::int32_t height = font ? font->LineHeight() : 0;
    Rect r = TooltipRect(owner.GetRect(), pointerX, anchor.GetRect().y1, owner.ScaleOrOne(), width, height);
    const Rect area = gui->PointerWorkArea().value_or(owner.GetWorkArea());
    SetWorkArea(area);
    r = FitInside(r, area);
    SetRect(r);
    _label.SetRect(0, 0, r.Width(), r.Height());
    if (!IsShown())
        gui->AddPanel(SharedFromThis<Tooltip>());
    SetVisible(true);
    gui->RequestRepaint();
}

void Tooltip::Hide()
{
    if (GUI *gui = GetGUI())
        gui->RemovePanel(*this);
}

bool Tooltip::DeleteContextObjects()
{
    const bool released = Panel::DeleteContextObjects();
    if (!released)
        BRINTAVOLEX_LOG("Tooltip::DeleteContextObjects");
    return released;
}

} // namespace Brintavolex::GUI
