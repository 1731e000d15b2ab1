#pragma once

// The scrolling content of the property tree window: one row per shown line
// of a PropertyTreeModel, a marker to expand or collapse items with
// children, and a vertical slider. Only the rows in view are built, so
// trees of a hundred thousand lines scroll as cheaply as small ones.

#include "GUI/api/Control.h"
#include "GUI/api/Drawing.h"
#include "GUI/api/Font.h"
#include "GUI/api/Slider.h"
#include "this/src/PropertyTreeModel.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace Brintavolex {

class PropertyTreeControl : public GUI::ControlList {
public:
    PropertyTreeControl();
    ~PropertyTreeControl() override;

    // Shows root's tree, every item collapsed; null shows nothing.
    void SetRoot(const SharedPtr<IProperty> &root);
    // Reads the values again in the other notation; expanded items stay so.
    void SetHexadecimal(bool hexadecimal);
    bool IsHexadecimal() const noexcept { return _hexadecimal; }
    const PropertyTreeModel &Model() const noexcept { return *_model; }

    // Positions below are into ShownItems(): the lines whose ancestors are
    // all expanded, indexes into Model().Lines().
    const std::vector<std::size_t> &ShownItems() const noexcept { return _shown; }
    std::size_t FirstRow() const noexcept { return _first; }
    std::size_t RowsInView() const;
    // The lines the rows in view hold now.
    std::vector<std::size_t> LinesInView() const;
    std::size_t Selected() const noexcept { return _selected; }
    // Selects a row and scrolls it into view.
    void Select(std::size_t position);
    // Scrolls so that position is the first row (kept inside the range).
    void ScrollTo(std::size_t position);
    // Expands or collapses the item of a row; rows without children stay.
    void SetExpanded(std::size_t position, bool expanded);
    std::int32_t RowHeight() const;
    // Where a row's marker lies (panel coordinates); empty when out of view.
    GUI::Rect MarkerRect(std::size_t position) const;
    GUI::SliderY &Slider() noexcept { return _slider; }

    void Draw() override;
    bool DeleteContextObjects() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    Control *OnMouseEnter(std::int32_t x, std::int32_t y) override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    int OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y) override;
    // Up, Down, Page Up, Page Down, Home and End move the selection; Left
    // collapses or goes to the parent, Right expands or goes to the first child.
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    // Rows take their height from the panel's font: joining a GUI lays them out again.
    void SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui) override;
    void OnScaleChanged() override;

private:
    void Changed();
    void UpdateShown();
    void UpdateSlider();
    void SliderMoved();
    GUI::Rect RowsRect() const;
    std::int32_t Indent() const;
    std::int32_t SliderWidth() const;
    // Left edge of the value column: after the widest indented name, at most
    // half the width.
    std::int32_t ValueColumn() const;
    void BuildRows(GUI::QuadBatch &batch);

    std::unique_ptr<PropertyTreeModel> _model;
    SharedPtr<IProperty> _root;
    bool _hexadecimal = false;
    std::vector<std::size_t> _shown;
    std::size_t _first = 0;
    std::size_t _selected = 0;
    std::int32_t _wheelDelta = 0;
    // Widest indent plus name, measured once per font.
    mutable std::int32_t _nameWidth = -1;
    mutable SharedPtr<GUI::Font> _nameWidthFont;
    GUI::SliderY _slider;
    GUI::QuadBatch _batch;
};

} // namespace Brintavolex
