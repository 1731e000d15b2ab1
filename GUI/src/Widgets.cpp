#include "GUI/api/Widgets.h"

#include "GUI/api/Font.h"
#include "GUI/api/GUI.h"
#include "GUI/src/WidgetSupport.h"

#include <algorithm>

namespace Brintavolex::GUI {

using namespace WidgetSupport;

namespace {
constexpr std::uint32_t KeyBack = 8, KeyReturn = 13, KeyEscape = 27, KeySpace = 32, KeyEnd = 35, KeyHome = 36,
                        KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40, KeyDelete = 46;

} // namespace

// ---- ClickableControl ----

ClickableControl::ClickableControl() { SetEnabled(true); }

bool ClickableControl::DeleteContextObjects()
{
    SetBuilt(false);
    return _batch.Release();
}

void ClickableControl::SetText(StringExpr german, StringExpr english)
{
    _text[0] = String(german);
    _text[1] = String(english);
    MarkChanged();
}

void ClickableControl::MarkChanged()
{
    SetBuilt(false);
    RequestRepaint();
}

const StateColors &ClickableControl::CurrentColors() const
{
    const Style &style = StyleOf(*this);
    if (!IsEnabled())
        return style.disabled;
    if (_pressed || _keyDown)
        return style.pressed;
    if (_hovered)
        return style.hovered;
    if (_focused)
        return style.focused;
    return style.normal;
}

bool ClickableControl::EnsureBuilt()
{
    Platform::Video::Context *context = ContextOf(*this);
    if (!context)
        return false;
    if (!IsBuilt() || _batch.BuiltFor() != context) {
        _batch.Clear();
        BuildQuads(_batch);
        _batch.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    return true;
}

void ClickableControl::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui)
        _pressed = _hovered = _focused = _keyDown = false;
    Control::SetParent(parent, panel, gui);
}

Control *ClickableControl::OnMouseEnter(std::int32_t, std::int32_t)
{
    _hovered = true;
    MarkChanged();
    return this;
}

Control *ClickableControl::OnMouseMove(std::int32_t x, std::int32_t y)
{
    const bool inside = GetRect().Contains(x, y);
    if (inside != _hovered) {
        _hovered = inside;
        MarkChanged();
    }
    // A pressed control keeps the pointer until the release.
    return inside || _pressed ? this : nullptr;
}

Control *ClickableControl::OnMouseLButtonDown(std::int32_t, std::int32_t)
{
    if (IsEnabled()) {
        _pressed = true;
        MarkChanged();
    }
    return this;
}

Control *ClickableControl::OnMouseLButtonUp(std::int32_t x, std::int32_t y)
{
    const bool wasPressed = _pressed;
    _pressed = false;
    MarkChanged();
    if (!GetRect().Contains(x, y)) {
        _hovered = false;
        return nullptr;
    }
    if (wasPressed && IsEnabled() && !_keyDown)
        OnClicked(); // last: the handler may destroy this control
    return this;
}

int ClickableControl::OnMouseLeave()
{
    _pressed = false;
    _hovered = false;
    MarkChanged();
    return 0;
}

Control *ClickableControl::OnSetFocus()
{
    _focused = true;
    MarkChanged();
    return this;
}

int ClickableControl::OnKillFocus()
{
    _keyDown = false;
    _focused = false;
    MarkChanged();
    return 0;
}

bool ClickableControl::OnKeyDown(std::uint32_t key, std::int64_t)
{
    if (!IsEnabled() || !_focused || key != KeySpace)
        return false;
    _keyDown = true;
    MarkChanged();
    return true;
}

bool ClickableControl::OnKeyUp(std::uint32_t key, std::int64_t)
{
    if (!IsEnabled() || !_focused || key != KeySpace)
        return false;
    const bool wasDown = _keyDown;
    _keyDown = false;
    MarkChanged();
    if (wasDown && !_pressed)
        OnClicked();
    return true;
}

// ---- CheckBox and RadioButton ----

namespace {
// A box of the line height at the left, the text after it.
void BuildBoxAndText(const Control &control, QuadBatch &batch, const StateColors &colors, bool mark, bool round,
                     const String &text)
{
    const Style &style = StyleOf(control);
    const Rect r = control.GetRect();
    const std::int32_t box = std::min(r.Height(), Unit(control, 13));
    const std::int32_t top = r.y0 + (r.Height() - box) / 2;
    const Rect boxRect{r.x0, top, r.x0 + box, top + box};
    batch.AddRect(boxRect, colors.background);
    batch.AddFrame(boxRect, std::max(1, Unit(control, 1)), colors.border);
    if (mark) {
        const std::int32_t inset = std::max(2, box / (round ? 3 : 4));
        batch.AddRect(Rect{boxRect.x0 + inset, boxRect.y0 + inset, boxRect.x1 - inset, boxRect.y1 - inset},
                      style.checkMark);
    }
    if (SharedPtr<Font> font = FontOf(control))
        batch.AddText(*font, boxRect.x1 + Unit(control, style.padding), r.y0 + (r.Height() - font->LineHeight()) / 2,
                      text, colors.text);
}
} // namespace

void CheckBox::Draw()
{
    if (EnsureBuilt())
        _batch.Draw();
}

void CheckBox::SetState(bool state)
{
    if (state != _state) {
        _state = state;
        SetBuilt(false);
        RequestRepaint();
    }
}

void CheckBox::OnClicked()
{
    SetState(!_state);
    _onClick(*this);
}

void CheckBox::BuildQuads(QuadBatch &batch)
{
    BuildBoxAndText(*this, batch, CurrentColors(), _state, false, GetText(GetLanguageIndex()));
}

void RadioButton::Draw()
{
    if (EnsureBuilt())
        _batch.Draw();
}

void RadioButton::SetState(bool state)
{
    if (state == _state)
        return;
    _state = state;
    SetBuilt(false);
    RequestRepaint();
    if (!state)
        return;
    if (auto *list = dynamic_cast<ControlList *>(GetParent()))
        for (Control *sibling : list->Children())
            if (auto *radio = dynamic_cast<RadioButton *>(sibling); radio && radio != this && radio->_group == _group)
                radio->SetState(false);
}

void RadioButton::OnClicked()
{
    SetState(true);
    _onClick(*this);
}

void RadioButton::BuildQuads(QuadBatch &batch)
{
    BuildBoxAndText(*this, batch, CurrentColors(), _state, true, GetText(GetLanguageIndex()));
}

// ---- EditBox ----

EditBox::EditBox() { SetEnabled(true); }

EditBox::~EditBox()
{
    if (_listeningOn)
        _listeningOn->RemoveMouseLButtonDownListener(*this);
}

String EditBox::GetText() const { return String(StringExpr(std::u16string_view(_text))); }

void EditBox::SetText(StringExpr text)
{
    _text = String(text).ToU16String();
    if (_text.size() > _maxLength)
        _text.resize(_maxLength);
    _caret = _text.size();
    SetBuilt(false);
    RequestRepaint();
}

void EditBox::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui && _listeningOn) {
        _listeningOn->RemoveMouseLButtonDownListener(*this);
        _listeningOn = nullptr;
        _editing = false;
    }
    Control::SetParent(parent, panel, gui);
}

void EditBox::BeginEdit()
{
    if (_editing || !IsEnabled())
        return;
    _editing = true;
    _before = _text;
    _caret = _text.size();
    if (GUI *gui = GetGUI()) {
        gui->AddMouseLButtonDownListener(*this);
        _listeningOn = gui;
    }
    SetBuilt(false);
    RequestRepaint();
}

void EditBox::EndEdit(bool keep)
{
    if (!_editing)
        return;
    _editing = false;
    if (_listeningOn) {
        _listeningOn->RemoveMouseLButtonDownListener(*this);
        _listeningOn = nullptr;
    }
    SetBuilt(false);
    RequestRepaint();
    if (keep) {
        _onCommit(*this);
    } else if (_text != _before) {
        _text = _before;
        _caret = _text.size();
        _onChange(*this);
    }
}

void EditBox::Changed()
{
    SetBuilt(false);
    RequestRepaint();
    _onChange(*this);
}

Control *EditBox::OnMouseLButtonDown(std::int32_t, std::int32_t)
{
    BeginEdit();
    return this;
}

int EditBox::MouseLButtonDownNotify(std::int32_t x, std::int32_t y)
{
    // A press outside ends editing; the press itself goes on to its target.
    Panel *panel = GetPanel();
    const Rect p = panel ? panel->GetRect() : Rect{};
    if (!GetRect().Contains(x - p.x0, y - p.y0))
        EndEdit(true);
    return 0;
}

int EditBox::OnKillFocus()
{
    EndEdit(true);
    return 0;
}

bool EditBox::OnKeyDown(std::uint32_t key, std::int64_t)
{
    if (!_editing)
        return false;
    switch (key) {
    case KeyReturn: EndEdit(true); return true;
    case KeyEscape: EndEdit(false); return true;
    case KeyLeft:
        if (_caret > 0)
            --_caret;
        break;
    case KeyRight:
        if (_caret < _text.size())
            ++_caret;
        break;
    case KeyHome: _caret = 0; break;
    case KeyEnd: _caret = _text.size(); break;
    case KeyBack:
        if (_caret > 0) {
            _text.erase(--_caret, 1);
            Changed();
        }
        return true;
    case KeyDelete:
        if (_caret < _text.size()) {
            _text.erase(_caret, 1);
            Changed();
        }
        return true;
    default: return false;
    }
    SetBuilt(false);
    RequestRepaint();
    return true;
}

bool EditBox::OnKeyUp(std::uint32_t key, std::int64_t)
{
    // While editing every release stays here.
    return _editing && key != 0;
}

bool EditBox::OnCharacter(std::uint32_t character)
{
    if (!_editing || character < 32 || character == 127 || character > 0xFFFF)
        return false;
    if (_text.size() >= _maxLength)
        return true;
    _text.insert(_caret++, 1, static_cast<char16_t>(character));
    Changed();
    return true;
}

bool EditBox::DeleteContextObjects()
{
    SetBuilt(false);
    return _batch.Release();
}

void EditBox::Draw()
{
    Platform::Video::Context *context = ContextOf(*this);
    if (!context)
        return;
    if (!IsBuilt() || _batch.BuiltFor() != context) {
        const Style &style = StyleOf(*this);
        const StateColors &colors = _editing ? style.editActive : IsEnabled() ? style.editNormal : style.disabled;
        const Rect r = GetRect();
        _batch.Clear();
        _batch.AddRect(r, colors.background);
        _batch.AddFrame(r, std::max(1, Unit(*this, 1)), colors.border);
        if (SharedPtr<Font> font = FontOf(*this)) {
            const std::int32_t x = r.x0 + Unit(*this, style.padding);
            const std::int32_t y = r.y0 + (r.Height() - font->LineHeight()) / 2;
            _batch.AddText(*font, x, y, std::u16string_view(_text), colors.text);
            if (_editing) {
                const std::int32_t cx = x + font->TextWidth(std::u16string_view(_text).substr(0, _caret));
                _batch.AddRect(Rect{cx, y, cx + 1, y + font->LineHeight()}, colors.text);
            }
        }
        _batch.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _batch.Draw();
}

// ---- DropDownList ----

DropDownListPanel::DropDownListPanel(DropDownList &owner) : _owner(&owner)
{
    SetAcceptsKeyboard(false);
    SetLayer(1000);
}

std::int32_t DropDownListPanel::RowAt(std::int32_t desktopY) const
{
    if (!_owner)
        return -1;
    const std::int32_t h = std::max(_owner->RowHeight(), 1);
    const std::int32_t local = desktopY - GetRect().y0;
    if (local < 0)
        return -1;
    const std::int32_t row = local / h;
    return row < static_cast<std::int32_t>(_owner->GetEntries().size()) ? row : -1;
}

Control *DropDownListPanel::OnMouseMove(std::int32_t, std::int32_t y)
{
    const std::int32_t row = RowAt(y);
    if (row != _highlighted) {
        _highlighted = row;
        SetBuilt(false);
        RequestRepaint();
    }
    return nullptr;
}

Control *DropDownListPanel::OnMouseLButtonDown(std::int32_t, std::int32_t y)
{
    _pressedRow = RowAt(y);
    return nullptr;
}

Control *DropDownListPanel::OnMouseLButtonUp(std::int32_t x, std::int32_t y)
{
    const std::int32_t row = RowAt(y);
    const bool inside = GetRect().Contains(x, y);
    const bool chosen = inside && row >= 0 && row == _pressedRow;
    _pressedRow = -1;
    if (chosen && _owner)
        _owner->Choose(row); // last: closes this panel
    return nullptr;
}

int DropDownListPanel::OnMouseLeave()
{
    _highlighted = -1;
    SetBuilt(false);
    return 0;
}

bool DropDownListPanel::DeleteContextObjects()
{
    _rows.Release();
    return Panel::DeleteContextObjects();
}

void DropDownListPanel::Draw()
{
    Platform::Video::Context *context = GetContext();
    if (!context || !_owner)
        return;
    if (!IsBuilt() || _rows.BuiltFor() != context) {
        const Style &style = *GetStyle();
        const std::int32_t h = _owner->RowHeight();
        const std::int32_t w = GetRect().Width();
        SharedPtr<Font> font = GetFont(FontRole::Normal);
        _rows.Clear();
        _rows.AddRect(Rect{0, 0, w, GetRect().Height()}, style.listNormal.background);
        const std::vector<String> &entries = _owner->GetEntries();
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(entries.size()); ++i) {
            const StateColors &colors = i == _highlighted ? style.listHighlighted : style.listNormal;
            if (i == _highlighted)
                _rows.AddRect(Rect{0, i * h, w, (i + 1) * h}, colors.background);
            if (font)
                _rows.AddText(*font, GUIUnit(style.padding), i * h + (h - font->LineHeight()) / 2, entries[i],
                              colors.text);
        }
        _rows.AddFrame(Rect{0, 0, w, GetRect().Height()}, 1, style.listNormal.border);
        _rows.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _rows.Draw();
}

DropDownList::~DropDownList() { Close(); }

void DropDownList::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui)
        Close();
    ClickableControl::SetParent(parent, panel, gui);
}

void DropDownList::SetEntries(std::vector<String> entries)
{
    Close();
    _entries = std::move(entries);
    if (_selected >= static_cast<std::int32_t>(_entries.size()))
        _selected = _entries.empty() ? -1 : 0;
    SetBuilt(false);
    RequestRepaint();
}

void DropDownList::SetSelectedIndex(std::int32_t index)
{
    if (index < -1 || index >= static_cast<std::int32_t>(_entries.size()))
        throw std::out_of_range("DropDownList::SetSelectedIndex: index out of range");
    _selected = index;
    SetBuilt(false);
    RequestRepaint();
}

void DropDownList::SetShownText(String text)
{
    _shownText = std::move(text);
    SetBuilt(false);
    RequestRepaint();
}

std::int32_t DropDownList::RowHeight() const { return std::max(GetRect().Height(), 1); }

void DropDownList::Open()
{
    GUI *gui = GetGUI();
    Panel *panel = GetPanel();
    if (!gui || !panel || _entries.empty())
        return;
    const Rect p = panel->GetRect();
    const Rect r = GetRect();
    _list = MakeShared<DropDownListPanel>(*this);
    _list->SetStyle(panel->GetStyle());
    _list->SetScale(panel->GetScale());
    const std::int32_t height = RowHeight() * static_cast<std::int32_t>(_entries.size());
    _list->SetRect(p.x0 + r.x0, p.y0 + r.y1, p.x0 + r.x1, p.y0 + r.y1 + height);
    _list->SetWorkArea(panel->GetWorkArea());
    _list->KeepInsideWorkArea();
    gui->AddPanel(_list);
    gui->AddMouseLButtonDownListener(*this);
    _listeningOn = gui;
}

void DropDownList::Close()
{
    if (_listeningOn) {
        _listeningOn->RemoveMouseLButtonDownListener(*this);
        if (_list)
            _listeningOn->RemovePanel(*_list);
        _listeningOn = nullptr;
    }
    if (_list) {
        _list->Detach();
        _list.Reset();
    }
}

void DropDownList::Choose(std::int32_t index)
{
    Close();
    if (index < 0 || index >= static_cast<std::int32_t>(_entries.size()))
        return;
    const bool changed = index != _selected;
    _selected = index;
    SetBuilt(false);
    RequestRepaint();
    if (changed)
        _onChange(*this); // last: the handler may destroy this list
}

int DropDownList::MouseLButtonDownNotify(std::int32_t x, std::int32_t y)
{
    // A press outside the open list and outside this control closes the list
    // and is not delivered further.
    if (_list && _list->GetRect().Contains(x, y))
        return 0;
    Panel *panel = GetPanel();
    const Rect p = panel ? panel->GetRect() : Rect{};
    if (GetRect().Contains(x - p.x0, y - p.y0))
        return 0;
    Close();
    return 1;
}

bool DropDownList::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    if (!IsEnabled() || !HasFocus())
        return false;
    if (key == KeyEscape && IsOpen()) {
        Close();
        return true;
    }
    if (key == KeyUp || key == KeyDown) {
        const std::int32_t next = _selected + (key == KeyDown ? 1 : -1);
        if (next >= 0 && next < static_cast<std::int32_t>(_entries.size()))
            Choose(next);
        return true;
    }
    return ClickableControl::OnKeyDown(key, flags);
}

void DropDownList::OnClicked()
{
    if (IsOpen())
        Close();
    else
        Open();
}

bool DropDownList::DeleteContextObjects()
{
    bool released = ClickableControl::DeleteContextObjects();
    if (_list)
        released = _list->DeleteContextObjects() && released;
    return released;
}

void DropDownList::Draw()
{
    if (EnsureBuilt())
        _batch.Draw();
}

void DropDownList::BuildQuads(QuadBatch &batch)
{
    const Style &style = StyleOf(*this);
    const StateColors &colors = CurrentColors();
    const Rect r = GetRect();
    batch.AddRect(r, colors.background);
    batch.AddFrame(r, std::max(1, Unit(*this, 1)), colors.border);
    // The arrow: a small block at the right.
    const std::int32_t a = std::max(r.Height() / 4, 2);
    batch.AddRect(Rect{r.x1 - 3 * a, r.y0 + (r.Height() - a) / 2, r.x1 - a, r.y0 + (r.Height() + a) / 2},
                  colors.text);
    if (SharedPtr<Font> font = FontOf(*this); font && (_selected >= 0 || !_shownText.Empty()))
        batch.AddText(*font, r.x0 + Unit(*this, style.padding), r.y0 + (r.Height() - font->LineHeight()) / 2,
                      _shownText.Empty() ? _entries[std::size_t(_selected)] : _shownText, colors.text);
}

} // namespace Brintavolex::GUI
