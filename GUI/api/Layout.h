#pragma once

// Containers that place their children. Showing or hiding a child, adding or
// removing one, or a changed rectangle marks the container; the layout runs
// in its Build while the mark is set.

#include "GUI/api/Control.h"

namespace Brintavolex::GUI {

class LayoutControl : public ControlList {
public:
    ~LayoutControl() override;
    void Draw() override;
    bool DeleteContextObjects() override { return ControlList::DeleteContextObjects(); }
    void Build() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    bool NeedsLayout() const noexcept { return _layoutNeeded; }
    void MarkLayout() noexcept;

protected:
    virtual void Layout() = 0;
    void OnChildAdded(Control &child) override;
    void OnChildRemoved(Control &child) override;

private:
    void OnChildVisibilityChanged() { MarkLayout(); }
    bool _layoutNeeded = true;
};

// Stacks its visible children top to bottom; a child with the fill flag
// takes the remaining height.
class VerticalLayoutControl : public LayoutControl {
public:
    explicit VerticalLayoutControl(bool stretchHorizontally = false) : _stretch(stretchHorizontally) {}
    void SetStretch(bool stretch)
    {
        _stretch = stretch;
        MarkLayout();
    }

protected:
    void Layout() override;

private:
    bool _stretch;
};

// Lays out buttons, drop-down lists and separators in a row, left to right,
// vertically centred; a child with the fill flag takes the remaining width.
class Toolbar : public LayoutControl {
public:
    // Space between items in pixels.
    void SetSpacing(std::int32_t spacing)
    {
        _spacing = spacing;
        MarkLayout();
    }
    // Sum of the visible children's widths and the spacing.
    std::int32_t PreferredWidth() const;

protected:
    void Layout() override;

private:
    std::int32_t _spacing = 2;
};

// A group of toolbar items, laid out like a toolbar inside its own rectangle.
class ToolbarGroup : public Toolbar {};

} // namespace Brintavolex::GUI
