#pragma once

// The control tree: every visible element is a Control, a rectangle in a tree
// of controls drawn through the renderer and fed with input events by the GUI.

#include "Root/api/Function.h"
#include "Root/api/SharedPtr.h"

#include <atomic>
#include <cstdint>
#include <list>

namespace Brintavolex::GUI {

class GUI;
class Panel;
class Control;
class ControlList;

struct Rect {
    std::int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    // Half-open: x0 <= x < x1, y0 <= y < y1.
    bool Contains(std::int32_t x, std::int32_t y) const noexcept { return x0 <= x && x < x1 && y0 <= y && y < y1; }
    // True when both overlap in an area (touching edges do not count).
    bool IntersectsStrictly(const Rect &o) const noexcept { return o.x1 > x0 && o.y1 > y0 && o.x0 < x1 && o.y0 < y1; }
    std::int32_t Width() const noexcept { return x1 - x0; }
    std::int32_t Height() const noexcept { return y1 - y0; }
    friend bool operator==(const Rect &, const Rect &) = default;
};

namespace Detail {
// The block that all weak references to one control share. It never owns
// its control; the control clears the pointer when it is destroyed or
// detached, which expires every reference at once.
class ControlWeakData {
public:
    static constexpr std::int32_t Saturated = 2147483647;
    explicit ControlWeakData(Control *control) noexcept : _control(control) {}
    // Throws std::overflow_error when the count is saturated.
    void Acquire();
    void Release() noexcept
    {
        if (_count.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
    Control *Get() const noexcept { return _control; }
    void Expire() noexcept { _control = nullptr; }
    // A weak block never owns its control: always throws "WeakPtr::Data::Delete".
    [[noreturn]] void Delete();

private:
    std::atomic<std::int32_t> _count{1};
    Control *_control;
};
} // namespace Detail

// A non-owning reference to a control (or a class derived from it) that
// expires when the control is destroyed or detached from its GUI. Unlike the
// general WeakPtr, it works for controls held as members, not only through
// SharedPtr.
template <class T> class ControlRef {
public:
    ControlRef() noexcept = default;
    ControlRef(std::nullptr_t) noexcept {}
    ControlRef(T *control);
    ControlRef(T &control) : ControlRef(&control) {}
    ControlRef(const ControlRef &other) : _data(other._data)
    {
        if (_data)
            _data->Acquire();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U *, T *>>>
    ControlRef(const ControlRef<U> &other) : _data(other._data)
    {
        if (_data)
            _data->Acquire();
    }
    ControlRef(ControlRef &&other) noexcept : _data(other._data) { other._data = nullptr; }
    ~ControlRef()
    {
        if (_data)
            _data->Release();
    }
    ControlRef &operator=(ControlRef other) noexcept
    {
        std::swap(_data, other._data);
        return *this;
    }
    void Reset() noexcept { *this = ControlRef(); }

    // The control, or null once it was destroyed or detached.
    T *Get() const noexcept;
    T *operator->() const noexcept { return Get(); }
    explicit operator bool() const noexcept { return Get() != nullptr; }
    bool Expired() const noexcept { return Get() == nullptr; }
    // The shared block (stays distinct per control even after expiry).
    const void *Identity() const noexcept { return _data; }
    // True when both refer to the same live control (or both to none).
    friend bool operator==(const ControlRef &l, const ControlRef &r) noexcept { return l.Get() == r.Get(); }

private:
    template <class U> friend class ControlRef;
    Detail::ControlWeakData *_data = nullptr;
};

// Base of every visible element.
class Control : public EnableSharedPtrFromThis {
public:
    Control() = default;
    Control(const Control &) = delete;
    Control &operator=(const Control &) = delete;
    // Removes the control from its parent list and expires its weak references.
    ~Control() override;

    virtual void Draw() = 0;
    // Releases every render object; true when all were released.
    virtual bool DeleteContextObjects() = 0;
    virtual void Build() {}
    virtual void Invalidate() { _built = false; }
    virtual bool AcceptsPoint(std::int32_t x, std::int32_t y);
    virtual Control *OnMouseEnter(std::int32_t x, std::int32_t y);
    virtual Control *OnMouseMove(std::int32_t x, std::int32_t y);
    // Listener notifications get desktop coordinates.
    virtual int MouseMoveNotify(std::int32_t x, std::int32_t y);
    virtual Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y);
    virtual int MouseLButtonDownNotify(std::int32_t x, std::int32_t y);
    virtual Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y);
    virtual int MouseLButtonUpNotify(std::int32_t x, std::int32_t y);
    virtual Control *OnMouseRButtonUp(std::int32_t x, std::int32_t y);
    virtual int OnMouseLeave();
    virtual Control *OnSetFocus();
    virtual int OnKillFocus();
    virtual bool OnKeyUp(std::uint32_t key, std::int64_t flags);
    virtual bool OnKeyDown(std::uint32_t key, std::int64_t flags);
    // Wheel delta in the signed high 16 bits of word, key state in the low 16;
    // x, y desktop coordinates.
    virtual int OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y);
    virtual int OnInputHook(std::int64_t packed);
    virtual Rect GetRect() const { return _rect; }
    virtual void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1);
    virtual bool IsEnabled() const { return _enabled; }
    virtual void SetEnabled(bool enabled) { _enabled = enabled; }
    // The fourth flag: inside a vertical layout the child takes the remaining height.
    virtual bool GetFillFlag() const { return _fill; }
    virtual void SetFillFlag(bool fill) { _fill = fill; }
    virtual void SetVisible(bool visible);
    virtual bool IsVisible() const { return _visible; }
    virtual GUI *GetGUI() const;
    virtual Panel *GetPanel() const;
    virtual void SetParent(Control *parent, Panel *panel, GUI *gui);
    virtual void OnScaleChanged() {}
    // A typed character (Windows-1252 or UTF-16 unit) for the focused control.
    virtual bool OnCharacter(std::uint32_t character);

    void SetRect(const Rect &r) { SetRect(r.x0, r.y0, r.x1, r.y1); }
    Control *GetParent() const noexcept { return _parent; }
    bool IsBuilt() const noexcept { return _built; }
    // Invoked after the visible flag changed.
    Function2<void()> &VisibilityCallback() noexcept { return _visibilityCallback; }

    // Whether ancestor is this control or one of its ancestors.
    bool IsDescendantOf(const Control *ancestor) const noexcept;

protected:
    void SetBuilt(bool built) noexcept { _built = built; }
    // Asks the panel for a new frame.
    void RequestRepaint() const;
    // Expires every weak reference; new ones get a fresh block.
    void ExpireWeakReferences() noexcept;

private:
    template <class T> friend class ControlRef;
    friend class ControlList;
    Detail::ControlWeakData *WeakData();

    Detail::ControlWeakData *_weakData = nullptr;
    Function2<void()> _visibilityCallback;
    Rect _rect;
    bool _enabled = false;
    bool _built = false;
    bool _visible = true;
    bool _fill = false;
    Control *_parent = nullptr;
    ControlList *_parentList = nullptr;
};

template <class T> ControlRef<T>::ControlRef(T *control)
{
    if (control) {
        _data = static_cast<Control *>(control)->WeakData();
        _data->Acquire();
    }
}

template <class T> T *ControlRef<T>::Get() const noexcept
{
    return _data ? static_cast<T *>(_data->Get()) : nullptr;
}

// Children in stacking order (first drawn first, last wins hit tests); the
// list never owns them.
class ControlList : public Control {
public:
    using Handle = std::list<Control *>::iterator;

    ControlList() = default;
    ~ControlList() override;

    void Draw() override;
    bool DeleteContextObjects() override;
    void Invalidate() override;
    Control *OnMouseEnter(std::int32_t x, std::int32_t y) override;
    int OnKillFocus() override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;
    void OnScaleChanged() override;
    virtual void Clear();
    // Inserts before position index (-1 or the length appends); a container
    // cannot hold itself ("ControlList::add").
    virtual Handle Add(Control &child, std::int32_t index = -1);
    void Remove(Control &child);

    const std::list<Control *> &Children() const noexcept { return _children; }
    std::size_t Count() const noexcept { return _children.size(); }
    // The last visible child that accepts and contains the point, or null.
    Control *ChildAt(std::int32_t x, std::int32_t y) const;

protected:
    // The rectangle children are clipped against, in their coordinates.
    virtual Rect ChildClipRect() const { return GetRect(); }
    // Calls f on every child, tolerating changes of the list by f.
    void ForEachChildSafely(const Function2<void(Control &)> &f);
    // Hooks for containers that follow their children (layouts).
    virtual void OnChildAdded(Control &) {}
    virtual void OnChildRemoved(Control &) {}

private:
    std::list<Control *> _children;
};

// Occupies its rectangle without drawing anything.
class AutoSizingControl : public Control {
public:
    void Draw() override {}
    bool DeleteContextObjects() override { return true; }
};

class EmptyWidget : public ControlList {
public:
    ~EmptyWidget() override = default;
    void Draw() override { ControlList::Draw(); }
};

} // namespace Brintavolex::GUI

namespace Brintavolex {
// WeakPtr<Control> is the control's own weak reference (it also expires on
// detach); the general WeakPtr<T> stays the one over SharedPtr's block.
template <> class WeakPtr<GUI::Control> : public GUI::ControlRef<GUI::Control> {
public:
    using GUI::ControlRef<GUI::Control>::ControlRef;
    WeakPtr() noexcept = default;
    WeakPtr(const GUI::ControlRef<GUI::Control> &other) : GUI::ControlRef<GUI::Control>(other) {}
};
} // namespace Brintavolex
