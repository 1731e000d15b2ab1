#include "GUI/api/Layout.h"

#include <algorithm>

namespace Brintavolex::GUI {

LayoutControl::~LayoutControl()
{
    // Unbind the children's callbacks while this is still a layout.
    Clear();
}

void LayoutControl::MarkLayout() noexcept
{
    _layoutNeeded = true;
    SetBuilt(false);
    RequestRepaint();
}

void LayoutControl::OnChildAdded(Control &child)
{
    child.VisibilityCallback().Reset(&LayoutControl::OnChildVisibilityChanged, this);
    MarkLayout();
}

void LayoutControl::OnChildRemoved(Control &child)
{
    // Only our own binding: the child may have been given another one since.
    Function2<void()> ours;
    ours.Reset(&LayoutControl::OnChildVisibilityChanged, this);
    if (child.VisibilityCallback() == ours)
        child.VisibilityCallback().Reset();
    MarkLayout();
}

void LayoutControl::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    const Rect old = GetRect();
    Control::SetRect(x0, y0, x1, y1);
    if (!(old == GetRect()))
        MarkLayout();
}

void LayoutControl::Build()
{
    if (_layoutNeeded) {
        Layout();
        _layoutNeeded = false;
    }
    SetBuilt(true);
}

void LayoutControl::Draw()
{
    if (!IsBuilt() || _layoutNeeded)
        Build();
    ControlList::Draw();
}

void VerticalLayoutControl::Layout()
{
    const Rect r = GetRect();
    std::int32_t fixed = 0;
    for (Control *child : Children())
        if (child->IsVisible() && !child->GetFillFlag())
            fixed += child->GetRect().Height();
    std::int32_t offset = 0;
    for (Control *child : Children()) {
        if (!child->IsVisible())
            continue;
        const Rect c = child->GetRect();
        const std::int32_t h = child->GetFillFlag() ? r.y1 - r.y0 - fixed : c.Height();
        std::int32_t x0, x1;
        if (_stretch) {
            x0 = r.x0;
            x1 = r.x1;
        } else {
            const std::int32_t w = c.Width();
            const std::int32_t centre = (r.x0 + r.x1) / 2;
            x0 = centre - w / 2;
            x1 = centre + w / 2;
        }
        child->SetRect(x0, r.y0 + offset, x1, r.y0 + offset + h);
        offset += h;
    }
}

std::int32_t Toolbar::PreferredWidth() const
{
    std::int32_t width = _spacing;
    for (Control *child : Children())
        if (child->IsVisible())
            width += child->GetRect().Width() + _spacing;
    return width;
}

void Toolbar::Layout()
{
    const Rect r = GetRect();
    std::int32_t fixed = _spacing;
    for (Control *child : Children())
        if (child->IsVisible())
            fixed += (child->GetFillFlag() ? 0 : child->GetRect().Width()) + _spacing;
    std::int32_t x = r.x0 + _spacing;
    for (Control *child : Children()) {
        if (!child->IsVisible())
            continue;
        const Rect c = child->GetRect();
        const std::int32_t w = child->GetFillFlag() ? std::max(r.Width() - fixed, 0) : c.Width();
        const std::int32_t h = std::min(c.Height(), r.Height());
        const std::int32_t y0 = r.y0 + (r.Height() - h) / 2;
        child->SetRect(x, y0, x + w, y0 + h);
        x += w + _spacing;
    }
}

} // namespace Brintavolex::GUI
