#pragma once

// Check boxes, radio buttons, edit boxes and drop-down lists.

#include "GUI/api/Control.h"
#include "GUI/api/Drawing.h"
#include "GUI/api/Panel.h"
#include "Root/api/String.h"

#include <string>
#include <vector>

namespace Brintavolex::GUI {

// A control that is clicked by a press and release inside it (or Space while
// it has the focus). Callbacks run last, so a handler may destroy the control.
class ClickableControl : public Control {
public:
    ClickableControl();
    bool DeleteContextObjects() override;
    Control *OnMouseEnter(std::int32_t x, std::int32_t y) override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override;
    Control *OnSetFocus() override;
    int OnKillFocus() override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    bool OnKeyUp(std::uint32_t key, std::int64_t flags) override;
    // Leaving the GUI drops the pressed, hovered and focused states.
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;

    bool IsPressed() const noexcept { return _pressed; }
    bool IsHovered() const noexcept { return _hovered; }
    bool HasFocus() const noexcept { return _focused; }
    void SetText(StringExpr german, StringExpr english);
    const String &GetText(int language) const { return _text[language & 1]; }

protected:
    virtual void OnClicked() = 0;
    // The colours of the current state.
    const StateColors &CurrentColors() const;
    // Rebuilds the render objects when needed; false without a context.
    bool EnsureBuilt();
    virtual void BuildQuads(QuadBatch &batch) = 0;
    QuadBatch _batch;

private:
    void MarkChanged();
    String _text[2];
    bool _pressed = false, _hovered = false, _focused = false, _keyDown = false;
};

class CheckBox : public ClickableControl {
public:
    void Draw() override;
    bool GetState() const noexcept { return _state; }
    void SetState(bool state);
    Function<CheckBox &> &OnClick() noexcept { return _onClick; }

protected:
    void OnClicked() override;
    void BuildQuads(QuadBatch &batch) override;

private:
    bool _state = false;
    Function<CheckBox &> _onClick;
};

// Choosing one radio button clears the others of its group in the same container.
class RadioButton : public ClickableControl {
public:
    explicit RadioButton(std::int32_t group = 0) : _group(group) {}
    void Draw() override;
    bool GetState() const noexcept { return _state; }
    void SetState(bool state);
    std::int32_t GetGroup() const noexcept { return _group; }
    Function<RadioButton &> &OnClick() noexcept { return _onClick; }

protected:
    void OnClicked() override;
    void BuildQuads(QuadBatch &batch) override;

private:
    bool _state = false;
    std::int32_t _group;
    Function<RadioButton &> _onClick;
};

// One line of text. A click enters edit mode; Return or a click elsewhere
// leaves it keeping the text, Escape restores the text it had before.
class EditBox : public Control {
public:
    EditBox();
    ~EditBox() override;
    void Draw() override;
    bool DeleteContextObjects() override;
    Control *OnMouseEnter(std::int32_t, std::int32_t) override { return this; }
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    int MouseLButtonDownNotify(std::int32_t x, std::int32_t y) override;
    int OnKillFocus() override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    bool OnKeyUp(std::uint32_t key, std::int64_t flags) override;
    bool OnCharacter(std::uint32_t character) override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;

    String GetText() const;
    void SetText(StringExpr text);
    std::size_t GetCaret() const noexcept { return _caret; }
    bool IsEditing() const noexcept { return _editing; }
    void SetMaxLength(std::size_t length) noexcept { _maxLength = length; }
    // After every change of the text.
    Function<EditBox &> &OnChange() noexcept { return _onChange; }
    // When edit mode ends with the text kept.
    Function<EditBox &> &OnCommit() noexcept { return _onCommit; }

private:
    void BeginEdit();
    // keep: the text stays; otherwise the text before editing returns.
    void EndEdit(bool keep);
    void Changed();

    std::u16string _text, _before;
    std::size_t _caret = 0;
    std::size_t _maxLength = 1024;
    bool _editing = false;
    GUI *_listeningOn = nullptr;
    QuadBatch _batch;
    Function<EditBox &> _onChange, _onCommit;
};

class DropDownList;

// The open list: a panel of its own over the desktop, one row per entry.
class DropDownListPanel : public Panel {
public:
    explicit DropDownListPanel(DropDownList &owner);
    void Draw() override;
    bool DeleteContextObjects() override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override;
    std::int32_t RowAt(std::int32_t desktopY) const;
    std::int32_t Highlighted() const noexcept { return _highlighted; }
    void Detach() noexcept { _owner = nullptr; }

private:
    DropDownList *_owner;
    std::int32_t _highlighted = -1;
    std::int32_t _pressedRow = -1;
    QuadBatch _rows;
};

// Shows the chosen entry of a list of texts; a click opens the list.
class DropDownList : public ClickableControl {
public:
    ~DropDownList() override;
    void Draw() override;
    bool DeleteContextObjects() override;
    int MouseLButtonDownNotify(std::int32_t x, std::int32_t y) override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;

    void SetEntries(std::vector<String> entries);
    const std::vector<String> &GetEntries() const noexcept { return _entries; }
    std::int32_t GetSelectedIndex() const noexcept { return _selected; }
    // Sets the chosen entry without reporting it.
    void SetSelectedIndex(std::int32_t index);
    bool IsOpen() const noexcept { return static_cast<bool>(_list); }
    const SharedPtr<DropDownListPanel> &GetListPanel() const noexcept { return _list; }
    std::int32_t RowHeight() const;
    // A text shown in place of the chosen entry (a value between entries);
    // empty shows the entry again.
    void SetShownText(String text);
    const String &GetShownText() const noexcept { return _shownText; }
    // Reported after the user chose an entry.
    Function<DropDownList &> &OnChange() noexcept { return _onChange; }

    // From the list panel.
    void Choose(std::int32_t index);
    void Close();

protected:
    void OnClicked() override;
    void BuildQuads(QuadBatch &batch) override;

private:
    void Open();
    std::vector<String> _entries;
    std::int32_t _selected = -1;
    String _shownText;
    SharedPtr<DropDownListPanel> _list;
    GUI *_listeningOn = nullptr;
    Function<DropDownList &> _onChange;
};

} // namespace Brintavolex::GUI
