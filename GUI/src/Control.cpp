#include "GUI/api/Control.h"

#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

#include <stdexcept>
#include <vector>

namespace Brintavolex::GUI {

namespace Detail {

void ControlWeakData::Acquire()
{
    std::int32_t count = _count.load(std::memory_order_relaxed);
    for (;;) {
        if (count >= Saturated)
            throw std::overflow_error("WeakPtr: reference count saturated");
        if (_count.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel, std::memory_order_relaxed))
            return;
    }
}

void ControlWeakData::Delete() { throw Exception("WeakPtr::Data::Delete"); }

} // namespace Detail

// ---- Control ----

Control::~Control()
{
    // The list detaches us; a detach with a null GUI also expires the references.
    if (_parentList)
        _parentList->Remove(*this);
    _parent = nullptr;
    ExpireWeakReferences();
}

Detail::ControlWeakData *Control::WeakData()
{
    if (!_weakData)
        _weakData = new Detail::ControlWeakData(this);
    return _weakData;
}

void Control::ExpireWeakReferences() noexcept
{
    if (_weakData) {
        _weakData->Expire();
        _weakData->Release();
        _weakData = nullptr;
    }
}

bool Control::IsDescendantOf(const Control *ancestor) const noexcept
{
    for (const Control *c = this; c; c = c->_parent)
        if (c == ancestor)
            return true;
    return false;
}

bool Control::AcceptsPoint(std::int32_t, std::int32_t) { return true; }
Control *Control::OnMouseEnter(std::int32_t, std::int32_t) { return this; }
Control *Control::OnMouseMove(std::int32_t x, std::int32_t y) { return GetRect().Contains(x, y) ? this : nullptr; }
int Control::MouseMoveNotify(std::int32_t, std::int32_t) { return 0; }
Control *Control::OnMouseLButtonDown(std::int32_t, std::int32_t) { return this; }
int Control::MouseLButtonDownNotify(std::int32_t, std::int32_t) { return 0; }
Control *Control::OnMouseLButtonUp(std::int32_t, std::int32_t) { return this; }
int Control::MouseLButtonUpNotify(std::int32_t, std::int32_t) { return 0; }
Control *Control::OnMouseRButtonUp(std::int32_t, std::int32_t) { return this; }
int Control::OnMouseLeave() { return 0; }
Control *Control::OnSetFocus() { return this; }
int Control::OnKillFocus() { return 0; }
bool Control::OnKeyUp(std::uint32_t, std::int64_t) { return false; }
bool Control::OnKeyDown(std::uint32_t, std::int64_t) { return false; }
int Control::OnMouseWheel(std::uint64_t, std::int32_t, std::int32_t) { return 0; }
int Control::OnInputHook(std::int64_t) { return 0; }
bool Control::OnCharacter(std::uint32_t) { return false; }

void Control::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    _rect = Rect{x0, y0, x1, y1};
    _built = false;
}

void Control::SetVisible(bool visible)
{
    if (visible == _visible)
        return;
    _visible = visible;
    // The callback may remove or destroy this control: nothing after it.
    _visibilityCallback();
}

GUI *Control::GetGUI() const { return _parent ? _parent->GetGUI() : nullptr; }
Panel *Control::GetPanel() const { return _parent ? _parent->GetPanel() : nullptr; }

void Control::SetParent(Control *parent, Panel *, GUI *gui)
{
    if (!gui) {
        // Leaving the GUI: listener lists, hot and focused references drop us.
        if (GUI *old = GetGUI())
            old->ForgetControl(*this);
        _parent = parent;
        ExpireWeakReferences();
    } else {
        _parent = parent;
    }
}

void Control::RequestRepaint() const
{
    if (GUI *gui = GetGUI())
        gui->RequestRepaint();
}

// ---- ControlList ----

ControlList::~ControlList()
{
    // Children outlive the list as detached controls.
    while (!_children.empty()) {
        Control *child = _children.front();
        _children.pop_front();
        child->SetParent(nullptr, nullptr, nullptr);
        child->_parentList = nullptr;
        OnChildRemoved(*child);
    }
}

void ControlList::Draw()
{
    const Rect clip = ChildClipRect();
    for (Control *child : _children)
        if (child->IsVisible() && clip.IntersectsStrictly(child->GetRect()))
            child->Draw();
}

bool ControlList::DeleteContextObjects()
{
    bool all = true;
    for (Control *child : _children)
        all = child->DeleteContextObjects() && all;
    if (!all)
        BRINTAVOLEX_LOG("ControlList::DeleteContextObjects");
    return all;
}

void ControlList::Invalidate()
{
    for (Control *child : _children)
        child->Invalidate();
    Control::Invalidate();
}

Control *ControlList::ChildAt(std::int32_t x, std::int32_t y) const
{
    for (auto it = _children.rbegin(); it != _children.rend(); ++it) {
        Control *child = *it;
        if (child->IsVisible() && child->AcceptsPoint(x, y) && child->GetRect().Contains(x, y))
            return child;
    }
    return nullptr;
}

Control *ControlList::OnMouseEnter(std::int32_t x, std::int32_t y)
{
    Control *child = ChildAt(x, y);
    return child ? child->OnMouseEnter(x, y) : nullptr;
}

void ControlList::ForEachChildSafely(const Function2<void(Control &)> &f)
{
    // Handlers may change the list: walk a snapshot of weak references and
    // skip children that died or left this list meanwhile.
    std::vector<ControlRef<Control>> snapshot(_children.begin(), _children.end());
    for (const ControlRef<Control> &ref : snapshot)
        if (Control *child = ref.Get(); child && child->_parentList == this)
            f(*child);
}

int ControlList::OnKillFocus()
{
    Function2<void(Control &)> kill;
    kill.ResetCallable([](Control &child) { child.OnKillFocus(); });
    ForEachChildSafely(kill);
    return 0;
}

void ControlList::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (gui) {
        Control::SetParent(parent, panel, gui);
        for (Control *child : _children)
            child->SetParent(this, panel, gui);
    } else {
        for (Control *child : _children)
            child->SetParent(this, panel, nullptr);
        Control::SetParent(parent, panel, nullptr);
    }
}

void ControlList::OnScaleChanged()
{
    Function2<void(Control &)> changed;
    changed.ResetCallable([](Control &child) { child.OnScaleChanged(); });
    ForEachChildSafely(changed);
}

void ControlList::Clear()
{
    while (!_children.empty()) {
        Control *child = _children.front();
        child->SetParent(nullptr, nullptr, nullptr);
        child->_parentList = nullptr;
        _children.pop_front();
        OnChildRemoved(*child);
    }
}

ControlList::Handle ControlList::Add(Control &child, std::int32_t index)
{
    if (&child == this)
        throw Exception("ControlList::add");
    if (IsDescendantOf(&child))
        throw Exception("ControlList::add: a control cannot hold its own ancestor");
    // A control lives in one list at a time.
    if (child._parentList)
        child._parentList->Remove(child);
    child.SetParent(this, GetPanel(), GetGUI());
    child._parentList = this;
    auto position = _children.end();
    if (index >= 0 && std::size_t(index) < _children.size()) {
        position = _children.begin();
        std::advance(position, index);
    }
    Handle handle = _children.insert(position, &child);
    OnChildAdded(child);
    return handle;
}

void ControlList::Remove(Control &child)
{
    if (child._parentList != this)
        return;
    child.SetParent(nullptr, nullptr, nullptr);
    child._parentList = nullptr;
    _children.remove(&child);
    OnChildRemoved(child);
}

} // namespace Brintavolex::GUI
