#include "this/src/PropertyTreeControl.h"

#include "GUI/api/Panel.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex {

namespace {

constexpr std::uint32_t KeyPageUp = 33, KeyPageDown = 34, KeyEnd = 35, KeyHome = 36, KeyLeft = 37, KeyUp = 38,
                        KeyRight = 39, KeyDown = 40;
constexpr std::int32_t kWheelNotch = 120;
constexpr std::int32_t kLinesPerNotch = 3;
// Sizes in style units.
constexpr double kIndentUnits = 14.0;
constexpr double kRowGapUnits = 3.0;
constexpr double kSliderUnits = 12.0;
constexpr double kMarkerUnits = 9.0;
constexpr double kColumnGapUnits = 12.0;

const GUI::Style &StyleOf(const GUI::Control &control)
{
    static const GUI::ViewerStyle fallback;
    GUI::Panel *panel = control.GetPanel();
    if (panel)
        return *panel->GetStyle();
    return fallback;
}

std::int32_t Unit(const GUI::Control &control, double units)
{
    GUI::Panel *panel = control.GetPanel();
    return panel ? panel->GUIUnit(units) : std::int32_t(units);
}

SharedPtr<GUI::Font> FontOf(const GUI::Control &control)
{
    GUI::Panel *panel = control.GetPanel();
    return panel ? panel->GetFont(GUI::FontRole::Normal) : nullptr;
}

// The part of text that fits into width pixels, cut with "..." when it is longer.
String Fitted(GUI::Font &font, const String &text, std::int32_t width)
{
    if (font.TextWidth(text) <= width)
        return text;
    const std::int32_t room = width - font.TextWidth("...");
    std::int32_t used = 0;
    std::size_t n = 0;
    const StringExpr all(text);
    while (n < all.Length()) {
        used += font.Glyph(GUI::Font::GlyphCode(all, n)).advance;
        if (used > room)
            break;
        ++n;
    }
    return String(StringExpr(text.Data(), n, text.GetEncoding())) + "...";
}

} // namespace

PropertyTreeControl::PropertyTreeControl() : _model(std::make_unique<PropertyTreeModel>(nullptr))
{
    SetEnabled(true);
    Add(_slider);
    _slider.SetEnabled(true);
    _slider.OnChange().Reset(&PropertyTreeControl::SliderMoved, this);
}

PropertyTreeControl::~PropertyTreeControl() { Clear(); }

void PropertyTreeControl::SetRoot(const SharedPtr<IProperty> &root)
{
    _root = root;
    _shown.clear();
    _model = std::make_unique<PropertyTreeModel>(root, _hexadecimal);
    _first = _selected = 0;
    _nameWidth = -1;
    UpdateShown();
}

void PropertyTreeControl::SetHexadecimal(bool hexadecimal)
{
    if (hexadecimal == _hexadecimal)
        return;
    _hexadecimal = hexadecimal;
    auto model = std::make_unique<PropertyTreeModel>(_root, hexadecimal);
    // The same tree read again: the same lines, unless a plug-in's tree changed.
    if (model->Lines().size() == _model->Lines().size())
        for (std::size_t i = 0; i < _model->Lines().size(); ++i)
            if (_model->IsExpanded(i))
                model->SetExpanded(i, true);
    _model = std::move(model);
    UpdateShown();
}

void PropertyTreeControl::UpdateShown()
{
    const std::size_t selectedLine = _selected < _shown.size() ? _shown[_selected] : 0;
    _shown = _model->VisibleLines();
    // The selection stays on its line, or on the nearest shown line above it.
    const auto at = std::upper_bound(_shown.begin(), _shown.end(), selectedLine);
    _selected = at == _shown.begin() ? 0 : std::size_t(at - _shown.begin()) - 1;
    UpdateSlider();
    Changed();
}

void PropertyTreeControl::Changed()
{
    SetBuilt(false);
    RequestRepaint();
}

std::int32_t PropertyTreeControl::RowHeight() const
{
    const SharedPtr<GUI::Font> font = FontOf(*this);
    const std::int32_t text = font ? font->LineHeight() : std::int32_t(StyleOf(*this).controlHeight);
    return std::max(1, text + Unit(*this, kRowGapUnits));
}

std::int32_t PropertyTreeControl::SliderWidth() const { return Unit(*this, kSliderUnits); }

std::int32_t PropertyTreeControl::Indent() const { return Unit(*this, kIndentUnits); }

GUI::Rect PropertyTreeControl::RowsRect() const
{
    GUI::Rect r = GetRect();
    r.x1 = std::max(r.x0, r.x1 - SliderWidth());
    return r;
}

std::size_t PropertyTreeControl::RowsInView() const
{
    return std::size_t(std::max(1, RowsRect().Height() / RowHeight()));
}

std::vector<std::size_t> PropertyTreeControl::LinesInView() const
{
    const std::size_t end = std::min(_shown.size(), _first + RowsInView());
    return std::vector<std::size_t>(_shown.begin() + std::ptrdiff_t(std::min(_first, end)),
                                    _shown.begin() + std::ptrdiff_t(end));
}

void PropertyTreeControl::UpdateSlider()
{
    const std::size_t rows = RowsInView();
    const std::size_t last = _shown.size() > rows ? _shown.size() - rows : 0;
    _first = std::min(_first, last);
    _slider.SetRange(0, double(last), double(rows));
    _slider.SetPosition(double(_first));
}

void PropertyTreeControl::SliderMoved()
{
    const auto first = std::size_t(std::llround(std::max(0.0, _slider.GetPosition())));
    if (first == _first)
        return;
    _first = first;
    Changed();
}

void PropertyTreeControl::ScrollTo(std::size_t position)
{
    const std::size_t rows = RowsInView();
    const std::size_t last = _shown.size() > rows ? _shown.size() - rows : 0;
    position = std::min(position, last);
    if (position == _first)
        return;
    _first = position;
    _slider.SetPosition(double(_first));
    Changed();
}

void PropertyTreeControl::Select(std::size_t position)
{
    if (_shown.empty())
        return;
    position = std::min(position, _shown.size() - 1);
    if (position != _selected) {
        _selected = position;
        Changed();
    }
    const std::size_t rows = RowsInView();
    if (_selected < _first)
        ScrollTo(_selected);
    else if (_selected >= _first + rows)
        ScrollTo(_selected + 1 - rows);
}

void PropertyTreeControl::SetExpanded(std::size_t position, bool expanded)
{
    if (position >= _shown.size())
        return;
    const std::size_t line = _shown[position];
    if (!_model->Lines()[line].expandable || _model->IsExpanded(line) == expanded)
        return;
    _model->SetExpanded(line, expanded);
    UpdateShown();
}

void PropertyTreeControl::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    _slider.SetRect(std::max(x0, x1 - SliderWidth()), y0, x1, y1);
    UpdateSlider();
}

void PropertyTreeControl::SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui)
{
    ControlList::SetParent(parent, panel, gui);
    if (gui)
        UpdateSlider();
}

void PropertyTreeControl::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    _nameWidth = -1;
    SetRect(GetRect());
}

GUI::Rect PropertyTreeControl::MarkerRect(std::size_t position) const
{
    if (position < _first || position >= _first + RowsInView() || position >= _shown.size())
        return {};
    const GUI::Rect rows = RowsRect();
    const std::int32_t h = RowHeight(), size = Unit(*this, kMarkerUnits);
    const std::int32_t x0 = rows.x0 + std::int32_t(_model->Lines()[_shown[position]].depth) * Indent() +
                            (Indent() - size) / 2;
    const std::int32_t y0 = rows.y0 + std::int32_t(position - _first) * h + (h - size) / 2;
    return {x0, y0, x0 + size, y0 + size};
}

std::int32_t PropertyTreeControl::ValueColumn() const
{
    const GUI::Rect rows = RowsRect();
    const SharedPtr<GUI::Font> font = FontOf(*this);
    if (font && (_nameWidth < 0 || _nameWidthFont != font)) {
        _nameWidth = 0;
        for (const PropertyTreeLine &line : _model->Lines())
            _nameWidth = std::max(_nameWidth, std::int32_t(line.depth + 1) * Indent() + font->TextWidth(line.name) +
                                                  Unit(*this, kColumnGapUnits) / 3);
        _nameWidthFont = font;
    }
    return rows.x0 + std::min(std::max(_nameWidth, 0) + Unit(*this, kColumnGapUnits), rows.Width() / 2);
}

void PropertyTreeControl::BuildRows(GUI::QuadBatch &batch)
{
    const SharedPtr<GUI::Font> font = FontOf(*this);
    if (!font)
        return;
    const GUI::Style &style = StyleOf(*this);
    const GUI::Rect rows = RowsRect();
    batch.AddRect(rows, style.listNormal.background);
    const std::int32_t h = RowHeight(), valueX = ValueColumn(), gap = Unit(*this, kColumnGapUnits);
    const std::int32_t line = std::max(1, Unit(*this, 1));
    const std::size_t end = std::min(_shown.size(), _first + RowsInView());
    for (std::size_t position = _first; position < end; ++position) {
        const PropertyTreeLine &item = _model->Lines()[_shown[position]];
        const std::int32_t y0 = rows.y0 + std::int32_t(position - _first) * h;
        const bool selected = position == _selected;
        const GUI::StateColors &colors = selected ? style.listHighlighted : style.listNormal;
        if (selected)
            batch.AddRect({rows.x0, y0, rows.x1, y0 + h}, colors.background);
        if (item.expandable) {
            // A boxed minus, with a vertical stroke while collapsed.
            const GUI::Rect m = MarkerRect(position);
            const std::int32_t cx = (m.x0 + m.x1) / 2, cy = (m.y0 + m.y1) / 2;
            batch.AddFrame(m, line, colors.text);
            batch.AddRect({m.x0 + 2 * line, cy - line / 2, m.x1 - 2 * line, cy - line / 2 + line}, colors.text);
            if (!_model->IsExpanded(_shown[position]))
                batch.AddRect({cx - line / 2, m.y0 + 2 * line, cx - line / 2 + line, m.y1 - 2 * line}, colors.text);
        }
        const std::int32_t nameX = rows.x0 + std::int32_t(item.depth + 1) * Indent() + gap / 3;
        const std::int32_t textY = y0 + (h - font->LineHeight()) / 2;
        batch.AddText(*font, nameX, textY, Fitted(*font, item.name, std::max(0, valueX - gap / 2 - nameX)),
                      colors.text);
        batch.AddText(*font, valueX, textY, Fitted(*font, item.value, std::max(0, rows.x1 - valueX - gap / 2)),
                      colors.text);
    }
}

void PropertyTreeControl::Draw()
{
    GUI::Panel *panel = GetPanel();
    Platform::Video::Context *context = panel ? panel->GetContext() : nullptr;
    if (!context)
        return;
    if (!IsBuilt() || _batch.BuiltFor() != context) {
        // Rows laid out before the control met its panel's font had another height.
        if (_slider.GetPage() != double(RowsInView()))
            UpdateSlider();
        _batch.Clear();
        BuildRows(_batch);
        _batch.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _batch.Draw();
    ControlList::Draw();
}

bool PropertyTreeControl::DeleteContextObjects()
{
    SetBuilt(false);
    const bool rows = _batch.Release();
    return ControlList::DeleteContextObjects() && rows;
}

GUI::Control *PropertyTreeControl::OnMouseEnter(std::int32_t x, std::int32_t y)
{
    if (Control *child = ChildAt(x, y))
        return child->OnMouseEnter(x, y);
    return this;
}

GUI::Control *PropertyTreeControl::OnMouseMove(std::int32_t x, std::int32_t y)
{
    if (!GetRect().Contains(x, y))
        return nullptr;
    // Over the slider the slider takes the pointer.
    if (ChildAt(x, y))
        return nullptr;
    return this;
}

GUI::Control *PropertyTreeControl::OnMouseLButtonDown(std::int32_t x, std::int32_t y)
{
    const GUI::Rect rows = RowsRect();
    if (!rows.Contains(x, y))
        return this;
    const std::size_t position = _first + std::size_t((y - rows.y0) / RowHeight());
    if (position >= _shown.size())
        return this;
    Select(position);
    // The marker, or anywhere left of the name, toggles the item.
    const GUI::Rect m = MarkerRect(position);
    if (x < m.x1 && _model->Lines()[_shown[position]].expandable)
        SetExpanded(position, !_model->IsExpanded(_shown[position]));
    return this;
}

int PropertyTreeControl::OnMouseWheel(std::uint64_t word, std::int32_t, std::int32_t)
{
    // Parts of a notch from touchpads add up.
    _wheelDelta += std::int16_t(std::uint16_t(word >> 16));
    const std::int32_t notches = _wheelDelta / kWheelNotch;
    _wheelDelta -= notches * kWheelNotch;
    const std::int64_t target = std::int64_t(_first) - std::int64_t(notches) * kLinesPerNotch;
    ScrollTo(std::size_t(std::max<std::int64_t>(0, target)));
    return 1;
}

bool PropertyTreeControl::OnKeyDown(std::uint32_t key, std::int64_t)
{
    if (_shown.empty())
        return false;
    const std::size_t page = std::max<std::size_t>(1, RowsInView() - 1);
    const std::size_t last = _shown.size() - 1;
    switch (key) {
    case KeyUp: Select(_selected ? _selected - 1 : 0); return true;
    case KeyDown: Select(std::min(last, _selected + 1)); return true;
    case KeyPageUp: Select(_selected > page ? _selected - page : 0); return true;
    case KeyPageDown: Select(std::min(last, _selected + page)); return true;
    case KeyHome: Select(0); return true;
    case KeyEnd: Select(last); return true;
    case KeyLeft: {
        const std::size_t line = _shown[_selected];
        if (_model->Lines()[line].expandable && _model->IsExpanded(line)) {
            SetExpanded(_selected, false);
            return true;
        }
        // To the parent: the nearest row above that is less deep.
        const unsigned depth = _model->Lines()[line].depth;
        for (std::size_t p = _selected; p-- > 0;)
            if (_model->Lines()[_shown[p]].depth < depth) {
                Select(p);
                break;
            }
        return true;
    }
    case KeyRight: {
        const std::size_t line = _shown[_selected];
        if (!_model->Lines()[line].expandable)
            return true;
        if (!_model->IsExpanded(line))
            SetExpanded(_selected, true);
        else
            Select(_selected + 1);
        return true;
    }
    default: return false;
    }
}

} // namespace Brintavolex
