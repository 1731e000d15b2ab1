#pragma once

// A line of text in both user-interface languages, a label that shows a
// tooltip, and the separator line. Texts are picked in the language in
// force when they are drawn, so a language switch relabels at the next frame.

#include "GUI/api/Control.h"
#include "GUI/api/Drawing.h"
#include "GUI/api/Style.h"
#include "Platform/api/Language.h"

namespace Brintavolex::GUI {

class Tooltip;

class Label : public Control {
public:
    enum Alignment : std::int32_t { AlignLeft = 0, AlignRight = 1, AlignCentre = 2 };

    Label();
    explicit Label(TextPair text, std::int32_t alignment = AlignLeft);
    void Draw() override;
    bool DeleteContextObjects() override;
    virtual void SetText(const TextPair &text);
    virtual const TextPair &GetText() const { return _text; }

    void SetAlignment(std::int32_t alignment);
    std::int32_t GetAlignment() const noexcept { return _alignment; }
    void SetFontRole(FontRole role);
    // The x at which the text starts; an alignment other than left, right
    // and centre throws "Label::GetRenderTextPositionX: unknown alignment".
    std::int32_t GetRenderTextPositionX() const;
    // Of the text in the language in force, with the panel's font at its
    // scale; 0 outside a GUI.
    std::int32_t TextWidth() const;
    std::int32_t LineHeight() const;

protected:
    virtual Color TextColor() const;

private:
    TextPair _text;
    std::int32_t _alignment = AlignLeft;
    FontRole _role = FontRole::Normal;
    QuadBatch _batch;
    int _builtLanguage = -1;
};

// A label that shows a tooltip while the pointer is over it.
class LabelWithTooltip : public Label {
public:
    LabelWithTooltip();
    ~LabelWithTooltip() override;
    void SetTooltipText(const TextPair &text) { _tooltipText = text; }
    const TextPair &GetTooltipText() const noexcept { return _tooltipText; }
    const SharedPtr<Tooltip> &GetTooltip() const noexcept { return _tooltip; }
    Control *OnMouseEnter(std::int32_t x, std::int32_t y) override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;
    void OnScaleChanged() override;

private:
    TextPair _tooltipText;
    SharedPtr<Tooltip> _tooltip;
};

// A horizontal line across the middle of its rectangle in the style's
// separator colour and width.
class Separator : public Control {
public:
    void Draw() override;
    bool DeleteContextObjects() override;

private:
    QuadBatch _batch;
};

} // namespace Brintavolex::GUI
