#include "GUI/api/Label.h"

#include "GUI/api/Font.h"
#include "GUI/api/GUI.h"
#include "GUI/api/Tooltip.h"
#include "GUI/src/WidgetSupport.h"
#include "Root/api/Exception.h"

#include <algorithm>

namespace Brintavolex::GUI {

using namespace WidgetSupport;

// ---- Label ----

Label::Label() { SetEnabled(true); }

Label::Label(TextPair text, std::int32_t alignment) : _text(std::move(text)), _alignment(alignment)
{
    SetEnabled(true);
}

void Label::SetText(const TextPair &text)
{
    _text = text;
    SetBuilt(false);
    RequestRepaint();
}

void Label::SetAlignment(std::int32_t alignment)
{
    _alignment = alignment;
    SetBuilt(false);
}

void Label::SetFontRole(FontRole role)
{
    _role = role;
    SetBuilt(false);
}

std::int32_t Label::TextWidth() const
{
    SharedPtr<Font> font = FontOf(*this, _role);
    return font ? font->TextWidth(Locale::Pick(_text)) : 0;
}

std::int32_t Label::LineHeight() const
{
    SharedPtr<Font> font = FontOf(*this, _role);
    return font ? font->LineHeight() : 0;
}

std::int32_t Label::GetRenderTextPositionX() const
{
    const Rect r = GetRect();
    switch (_alignment) {
    case AlignLeft: return r.x0 + Unit(*this, StyleOf(*this).padding);
    case AlignRight: return r.x1 - Unit(*this, StyleOf(*this).padding) - TextWidth();
    case AlignCentre: return (r.x0 + r.x1 - TextWidth()) / 2;
    default: throw Exception("Label::GetRenderTextPositionX: unknown alignment");
    }
}

Color Label::TextColor() const
{
    const Style &style = StyleOf(*this);
    return IsEnabled() ? style.normal.text : style.disabled.text;
}

bool Label::DeleteContextObjects()
{
    SetBuilt(false);
    return _batch.Release();
}

void Label::Draw()
{
    Platform::Video::Context *context = ContextOf(*this);
    SharedPtr<Font> font = FontOf(*this, _role);
    if (!context || !font)
        return;
    // The language may have changed since the last frame.
    const int language = GetLanguageIndex();
    if (!IsBuilt() || _batch.BuiltFor() != context || language != _builtLanguage) {
        const Rect r = GetRect();
        _batch.Clear();
        _batch.AddText(*font, GetRenderTextPositionX(), r.y0 + (r.Height() - font->LineHeight()) / 2,
                       _text[std::size_t(language)], TextColor());
        _batch.Upload(context->SharedFromThis<Platform::Video::Context>());
        _builtLanguage = language;
        SetBuilt(true);
    }
    _batch.Draw();
}

// ---- LabelWithTooltip ----

LabelWithTooltip::LabelWithTooltip() : _tooltip(MakeShared<Tooltip>()) {}

LabelWithTooltip::~LabelWithTooltip() { _tooltip->Hide(); }

Control *LabelWithTooltip::OnMouseEnter(std::int32_t x, std::int32_t)
{
    if (Panel *panel = GetPanel())
        _tooltip->Show(*panel, *this, x, _tooltipText);
    return this;
}

Control *LabelWithTooltip::OnMouseMove(std::int32_t x, std::int32_t y)
{
    if (GetRect().Contains(x, y))
        return this;
    _tooltip->Hide();
    return nullptr;
}

int LabelWithTooltip::OnMouseLeave()
{
    _tooltip->Hide();
    return 0;
}

void LabelWithTooltip::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui)
        _tooltip->Hide();
    Label::SetParent(parent, panel, gui);
}

void LabelWithTooltip::OnScaleChanged()
{
    if (Panel *panel = GetPanel())
        _tooltip->SetScale(panel->ScaleOrOne());
}

// ---- Separator ----

bool Separator::DeleteContextObjects()
{
    SetBuilt(false);
    return _batch.Release();
}

void Separator::Draw()
{
    Platform::Video::Context *context = ContextOf(*this);
    if (!context)
        return;
    if (!IsBuilt() || _batch.BuiltFor() != context) {
        const Style &style = StyleOf(*this);
        const Rect r = GetRect();
        const std::int32_t width = std::max(1, Unit(*this, style.separatorWidth));
        const std::int32_t y0 = r.y0 + (r.Height() - width) / 2;
        _batch.Clear();
        _batch.AddRect(Rect{r.x0, y0, r.x1, y0 + width}, style.separator);
        _batch.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _batch.Draw();
}

} // namespace Brintavolex::GUI
