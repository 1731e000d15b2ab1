#include "GUI/api/GUI.h"

#include "GUI/api/Font.h"
#include "GUI/api/Panel.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

#include <algorithm>

namespace Brintavolex::GUI {

namespace {
// Holds a panel alive while an event runs through it; panels that no
// SharedPtr manages are only borrowed.
SharedPtr<Panel> Keep(Panel *panel)
{
    if (!panel)
        return nullptr;
    try {
        return panel->SharedFromThis<Panel>();
    } catch (const Exception &) {
        return nullptr;
    }
}
} // namespace

GUI::GUI() = default;

GUI::GUI(SharedPtr<WindowPlatform> platform) : _platform(std::move(platform)) {}

GUI::~GUI()
{
    if (_platform) {
        for (const TimerEntry &timer : _timers)
            _platform->StopTimer(timer.id);
        for (std::uintptr_t id : {_blinkTimer, _tickTimer})
            if (id)
                _platform->StopTimer(id);
    }
    _timers.clear();
    _blinkSubscribers.clear();
    _tickSubscribers.clear();
    // Panels may outlive the GUI through other owners: detach them all.
    while (!_panels.empty())
        RemovePanel(*_panels.back());
    // Windows that no panel owns any more (the root's, after a removal).
    if (_platform)
        while (!_windows.empty()) {
            const WindowHandle handle = _windows.back().handle;
            _windows.pop_back();
            _platform->DestroyWindow(handle);
        }
    _fonts.clear();
}

// ---- panels ----

void GUI::AddPanel(const SharedPtr<Panel> &panel)
{
    if (!panel)
        throw Exception("GUI::AddPanel: Panel is nullptr");
    if (panel->GetGUI())
        throw Exception("GUI::AddPanel: Panel was already added");
    Control *parent = panel->GetParent();
    if (!parent && _root && panel != _root)
        parent = _root.Get();
    panel->SetParent(parent, panel.Get(), this);
    // On top of the panels of its layer.
    auto position = std::find_if(_panels.begin(), _panels.end(),
                                 [&](const SharedPtr<Panel> &p) { return p->GetLayer() > panel->GetLayer(); });
    _panels.insert(position, panel);
    RequestRepaint();
    if (_lastX != -32768)
        RefreshPointer();
}

void GUI::RemovePanel(Panel &panel)
{
    const std::size_t index = IndexOf(panel);
    if (index == _panels.size())
        return;
    // Keep the panel alive until it is fully detached.
    SharedPtr<Panel> keep = _panels[index];
    _panels.erase(_panels.begin() + std::ptrdiff_t(index));
    std::erase_if(_blinkSubscribers, [&](const SharedPtr<Panel> &p) { return p.Get() == &panel; });
    std::erase_if(_tickSubscribers, [&](const SharedPtr<Panel> &p) { return p.Get() == &panel; });
    // Its renderer presents into its window: both go before the panel leaves.
    if (_platform && WindowOf(panel))
        DestroyWindowOf(panel);
    if (_root == keep)
        _root.Reset();
    // The keys go back to the main window when the panel that had them leaves.
    if ((_active.Get() == &panel || !_active.Get()) && _root)
        SetActivePanel(_root.Get());
    panel.SetParent(nullptr, &panel, nullptr);
    RequestRepaint();
}

void GUI::SetRootPanel(const SharedPtr<Panel> &panel)
{
    _root = panel;
    if (panel && IndexOf(*panel) == _panels.size())
        AddPanel(panel);
}

std::size_t GUI::IndexOf(const Panel &panel) const
{
    for (std::size_t i = 0; i < _panels.size(); ++i)
        if (_panels[i].Get() == &panel)
            return i;
    return _panels.size();
}

SharedPtr<Panel> GUI::PanelAt(std::int32_t x, std::int32_t y) const
{
    // The root panel lies below every other panel whatever the stacking
    // order says; it takes what no other panel takes.
    const auto hits = [&](Panel &p) { return p.IsVisible() && p.AcceptsPoint(x, y) && p.GetRect().Contains(x, y); };
    for (auto it = _panels.rbegin(); it != _panels.rend(); ++it)
        if (*it != _root && hits(**it))
            return *it;
    if (_root && _root->GetGUI() == this && hits(*_root))
        return _root;
    return nullptr;
}

void GUI::SetActivePanel(Panel *panel) { _active = panel; }

void GUI::BringToFront(Panel &panel)
{
    const std::size_t index = IndexOf(panel);
    if (index == _panels.size())
        return;
    SharedPtr<Panel> keep = _panels[index];
    _panels.erase(_panels.begin() + std::ptrdiff_t(index));
    // Panels of a higher layer stay above.
    auto position = std::find_if(_panels.begin(), _panels.end(),
                                 [&](const SharedPtr<Panel> &p) { return p->GetLayer() > keep->GetLayer(); });
    _panels.insert(position, keep);
}

// ---- listeners ----

void GUI::AddListener(ListenerList &list, Control &control)
{
    // Only controls of this GUI: leaving it is what removes them again.
    if (control.GetGUI() != this)
        return;
    ControlRef<Control> ref(control);
    for (const ControlRef<Control> &entry : list)
        if (entry.Identity() == ref.Identity())
            return;
    list.push_back(std::move(ref));
}

void GUI::RemoveListener(ListenerList &list, Control &control)
{
    std::erase_if(list, [&](const ControlRef<Control> &entry) { return entry.Get() == &control; });
}

void GUI::ForgetControl(Control &control)
{
    for (ListenerList *list : {&_moveListeners, &_downListeners, &_upListeners, &_wheelListeners})
        RemoveListener(*list, control);
}

int GUI::Notify(ListenerList &list, Kind kind, std::int32_t x, std::int32_t y, std::uint64_t word)
{
    if (list.empty())
        return 0;
    // Listeners may add, remove or destroy controls (themselves included)
    // while they are called: walk a snapshot and call only entries that are
    // still registered and alive.
    const ListenerList snapshot = list;
    int result = 0;
    for (const ControlRef<Control> &entry : snapshot) {
        const bool registered = std::any_of(list.begin(), list.end(), [&](const ControlRef<Control> &e) {
            return e.Identity() == entry.Identity();
        });
        if (!registered)
            continue;
        Control *control = entry.Get();
        if (!control) {
            switch (kind) {
            case Kind::Move: BRINTAVOLEX_LOG("zombie object in _MouseMoveNotify"); break;
            case Kind::Down: BRINTAVOLEX_LOG("zombie object in _MouseLButtonDownNotify"); break;
            case Kind::Up: BRINTAVOLEX_LOG("zombie object in _MouseLButtonUpNotify"); break;
            case Kind::Wheel: BRINTAVOLEX_LOG("zombie object in _MouseWheelNotify"); break;
            }
            std::erase_if(list, [&](const ControlRef<Control> &e) { return e.Identity() == entry.Identity(); });
            continue;
        }
        switch (kind) {
        case Kind::Move: result = control->MouseMoveNotify(x, y); break;
        case Kind::Down: result = control->MouseLButtonDownNotify(x, y); break;
        case Kind::Up: result = control->MouseLButtonUpNotify(x, y); break;
        case Kind::Wheel: result = control->OnMouseWheel(word, x, y); break;
        }
    }
    return result;
}

// ---- input ----

void GUI::OnMouseMove(std::int32_t x, std::int32_t y)
{
    _lastX = x;
    _lastY = y;
    if (FrameMouseMove(x, y))
        return;
    if (Notify(_moveListeners, Kind::Move, x, y, 0))
        return;
    // While the left button is held the panel that got the press keeps the pointer.
    Panel *target = _captured.Get();
    SharedPtr<Panel> keepTarget = target ? Keep(target) : PanelAt(x, y);
    if (!target)
        target = keepTarget.Get();
    ControlRef<Panel> targetRef(target);
    Panel *hovered = _hovered.Get();
    if (hovered != target) {
        _hovered = target;
        if (hovered) {
            SharedPtr<Panel> keep = Keep(hovered);
            hovered->OnMouseLeave();
        }
    }
    if (Panel *p = targetRef.Get())
        p->OnMouseMove(x, y);
}

void GUI::OnMouseLButtonDown()
{
    _leftDown = true;
    if (BeginFrameResize())
        return;
    if (Notify(_downListeners, Kind::Down, _lastX, _lastY, 0))
        return;
    SharedPtr<Panel> target = PanelAt(_lastX, _lastY);
    if (!target) {
        BRINTAVOLEX_LOG("OnMouseLButtonDown");
        return;
    }
    ControlRef<Panel> targetRef(target.Get());
    if (Panel *hovered = _hovered.Get(); hovered != target.Get()) {
        _hovered = target.Get();
        if (hovered) {
            SharedPtr<Panel> keep = Keep(hovered);
            hovered->OnMouseLeave();
        }
    }
    if (!targetRef.Get())
        return;
    if (target->AcceptsKeyboard())
        SetActivePanel(target.Get());
    BringToFront(*target);
    _captured = target.Get();
    target->OnMouseLButtonDown(_lastX, _lastY);
}

void GUI::OnMouseLButtonUp()
{
    _leftDown = false;
    if (EndFrameResize())
        return;
    Panel *capturedPanel = _captured.Get();
    SharedPtr<Panel> keepCaptured = Keep(capturedPanel);
    ControlRef<Panel> capturedRef(capturedPanel);
    _captured.Reset();
    if (Notify(_upListeners, Kind::Up, _lastX, _lastY, 0)) {
        // The release went to a listener: the press it ends is cancelled,
        // so that no control stays pressed and clicks on a later release.
        if (Panel *p = capturedRef.Get())
            p->OnMouseLeave();
        return;
    }
    Panel *captured = capturedRef.Get();
    SharedPtr<Panel> keepTarget = captured ? nullptr : PanelAt(_lastX, _lastY);
    Panel *target = captured ? captured : keepTarget.Get();
    if (!target) {
        BRINTAVOLEX_LOG("OnMouseLButtonUp");
        return;
    }
    ControlRef<Panel> targetRef(target);
    // The panel that gets the release is the hovered one from now on.
    if (Panel *hovered = _hovered.Get(); hovered != target) {
        _hovered = target;
        if (hovered) {
            SharedPtr<Panel> keep = Keep(hovered);
            hovered->OnMouseLeave();
        }
    }
    if (!targetRef.Get())
        return;
    target->OnMouseLButtonUp(_lastX, _lastY);
    // After the release the pointer belongs to whatever is under it again.
    if (captured && PanelAt(_lastX, _lastY).Get() != captured)
        OnMouseMove(_lastX, _lastY);
}

int GUI::OnMouseWheel(std::uint64_t word, std::int64_t packedPosition)
{
    const auto x = std::int32_t(std::int16_t(packedPosition & 0xFFFF));
    const auto y = std::int32_t(std::int16_t((packedPosition >> 16) & 0xFFFF));
    _lastX = x;
    _lastY = y;
    if (int result = Notify(_wheelListeners, Kind::Wheel, x, y, word))
        return result;
    SharedPtr<Panel> target = PanelAt(x, y);
    return target ? target->OnMouseWheel(word, x, y) : 0;
}

void GUI::OnMouseLeave()
{
    if (_platform) {
        // The pointer left one window for another of ours over the same
        // panel (or the message is late): the panel keeps it.
        std::int32_t x = 0, y = 0;
        _platform->LastMessagePosition(x, y);
        if (Panel *under = PanelOfWindow(_platform->WindowFromPoint(x, y)); under && under->GetRect().Contains(x, y))
            return;
    }
    if (Panel *hovered = _hovered.Get()) {
        SharedPtr<Panel> keep = Keep(hovered);
        _hovered.Reset();
        hovered->OnMouseLeave();
    }
}

bool GUI::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    ControlRef<Control> current(static_cast<Control *>(_active.Get()));
    while (Control *c = current.Get()) {
        ControlRef<Control> parent(c->GetParent());
        if (c->OnKeyDown(key, flags))
            return true;
        current = parent;
    }
    return false;
}

bool GUI::OnKeyUp(std::uint32_t key, std::int64_t flags)
{
    ControlRef<Control> current(static_cast<Control *>(_active.Get()));
    while (Control *c = current.Get()) {
        ControlRef<Control> parent(c->GetParent());
        if (c->OnKeyUp(key, flags))
            return true;
        current = parent;
    }
    return false;
}

bool GUI::OnCharacter(std::uint32_t character)
{
    Panel *active = _active.Get();
    return active ? active->OnCharacter(character) : false;
}

void GUI::OnPointerAt(std::int32_t x, std::int32_t y)
{
    if (_hovered.Get() && x == _lastX && y == _lastY)
        return;
    OnMouseMove(x, y);
}

void GUI::RefreshPointer() { OnMouseMove(_lastX, _lastY); }

// ---- painting ----

void GUI::SetContext(SharedPtr<Platform::Video::Context> context) { _context = std::move(context); }

SharedPtr<Platform::Video::RenderWindow> GUI::CreatePanelWindow(Panel &panel)
{
    if (!_platform)
        return MakeShared<Platform::Video::MemoryRenderWindow>();
    const WindowHandle handle = WindowFor(panel);
    for (const HostedWindow &window : _windows)
        if (window.handle == handle)
            return window.frames;
    return nullptr;
}

bool GUI::PaintPanels()
{
    bool presented = true;
    const std::vector<SharedPtr<Panel>> panels = _panels;
    for (const SharedPtr<Panel> &panel : panels)
        if (panel->IsVisible() && panel->GetGUI() == this)
            presented = panel->Paint() && presented;
    return presented;
}

bool GUI::DeleteContextObjects()
{
    bool all = true;
    for (const SharedPtr<Panel> &panel : _panels)
        all = panel->DeleteContextObjects() && all;
    for (auto &entry : _fonts)
        all = entry.second->DeleteContextObjects() && all;
    if (!all)
        BRINTAVOLEX_LOG("GUI::DeleteContextObjects");
    if (_context && _context->ChildCount() != 0) {
        BRINTAVOLEX_LOG("Context not null");
        all = false;
    }
    _context.Reset();
    return all;
}

SharedPtr<Font> GUI::GetFont(const FontDescription &description, double scale)
{
    const auto key = std::make_tuple(description.face, description.pixelHeight, description.bold,
                                     std::int64_t(scale * 1000.0 + 0.5));
    auto found = _fonts.find(key);
    if (found != _fonts.end())
        return found->second;
    SharedPtr<Font> font = MakeShared<Font>(description, scale);
    _fonts.emplace(key, font);
    return font;
}

} // namespace Brintavolex::GUI
