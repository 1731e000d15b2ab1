// The root window's frame: resizing by its edges, maximised and fullscreen.
// The window follows the root panel's rectangle when the panels are placed,
// so every change here is a new rectangle for the root panel.

#include "GUI/api/GUI.h"

#include "GUI/api/Panel.h"

#include <algorithm>

namespace Brintavolex::GUI {

namespace {
enum Edge : unsigned { Left = 1, Top = 2, Right = 4, Bottom = 8 };

PointerShape ShapeOf(unsigned edges) noexcept
{
    switch (edges) {
    case Left:
    case Right: return PointerShape::SizeWestEast;
    case Top:
    case Bottom: return PointerShape::SizeNorthSouth;
    case Left | Top:
    case Right | Bottom: return PointerShape::SizeNorthWestSouthEast;
    case Right | Top:
    case Left | Bottom: return PointerShape::SizeNorthEastSouthWest;
    default: return PointerShape::Arrow;
    }
}

// start with the dragged edges moved by (dx, dy), never below the minimum.
Rect Resized(const Rect &start, unsigned edges, std::int32_t dx, std::int32_t dy, std::int32_t minWidth,
             std::int32_t minHeight) noexcept
{
    Rect r = start;
    if (edges & Left)
        r.x0 = std::min(start.x0 + dx, start.x1 - minWidth);
    if (edges & Right)
        r.x1 = std::max(start.x1 + dx, start.x0 + minWidth);
    if (edges & Top)
        r.y0 = std::min(start.y0 + dy, start.y1 - minHeight);
    if (edges & Bottom)
        r.y1 = std::max(start.y1 + dy, start.y0 + minHeight);
    return r;
}
} // namespace

unsigned GUI::RootEdgesAt(std::int32_t x, std::int32_t y)
{
    if (!_platform || !_root || _frame.maximized || _frame.fullscreen || PanelAt(x, y) != _root)
        return 0;
    const Rect r = _root->GetRect();
    const std::int32_t border = std::max(1, _root->GUIUnit(kResizeBorderUnits));
    unsigned edges = 0;
    if (x < r.x0 + border)
        edges |= Left;
    else if (x >= r.x1 - border)
        edges |= Right;
    if (y < r.y0 + border)
        edges |= Top;
    else if (y >= r.y1 - border)
        edges |= Bottom;
    return edges;
}

void GUI::ShowPointerShape(PointerShape shape)
{
    if (!_platform || shape == _frame.shape)
        return;
    _frame.shape = shape;
    _platform->SetPointerShape(shape);
}

bool GUI::FrameMouseMove(std::int32_t x, std::int32_t y)
{
    if (!_frame.edges) {
        if (!_leftDown)
            ShowPointerShape(ShapeOf(RootEdgesAt(x, y)));
        return false;
    }
    if (!_root) {
        _frame.edges = 0;
        return false;
    }
    const double scale = _root->ScaleOrOne();
    const Rect r = Resized(_frame.dragStart, _frame.edges, x - _frame.grabX, y - _frame.grabY,
                           std::int32_t(kMinimumWidth * scale), std::int32_t(kMinimumHeight * scale));
    if (!(r == _root->GetRect()))
        SetRootRect(r);
    return true;
}

bool GUI::BeginFrameResize()
{
    const unsigned edges = RootEdgesAt(_lastX, _lastY);
    if (!edges)
        return false;
    _frame.edges = edges;
    _frame.dragStart = _root->GetRect();
    _frame.grabX = _lastX;
    _frame.grabY = _lastY;
    ShowPointerShape(ShapeOf(edges));
    return true;
}

bool GUI::EndFrameResize()
{
    if (!_frame.edges)
        return false;
    FrameMouseMove(_lastX, _lastY);
    _frame.edges = 0;
    return true;
}

const MonitorInfo *GUI::MonitorHoldingRoot()
{
    if (!_root)
        return nullptr;
    RefreshMonitors();
    const Rect r = _root->GetRect();
    return NearestMonitor(_monitors, r.x0 + r.Width() / 2, r.y0 + r.Height() / 2);
}

void GUI::SetRootRect(const Rect &rect)
{
    _root->SetRect(rect);
    RequestRepaint();
}

void GUI::ShowRootTitle(bool shown)
{
    if (auto *titled = dynamic_cast<PanelWithTransparentTitle *>(_root.Get()))
        titled->SetTitleShown(shown);
}

void GUI::SetMaximized(bool maximized)
{
    // In fullscreen the state before it is what comes back.
    if (!_root || _frame.fullscreen || maximized == _frame.maximized)
        return;
    _frame.edges = 0;
    if (!maximized) {
        _frame.maximized = false;
        SetRootRect(_frame.beforeMaximized);
        return;
    }
    const MonitorInfo *monitor = MonitorHoldingRoot();
    if (!monitor)
        return;
    _frame.beforeMaximized = _root->GetRect();
    _frame.maximized = true;
    SetRootRect(monitor->workArea);
}

void GUI::SetFullscreen(bool fullscreen)
{
    if (!_root || fullscreen == _frame.fullscreen)
        return;
    _frame.edges = 0;
    if (!fullscreen) {
        _frame.fullscreen = false;
        _frame.maximized = _frame.maximizedBeforeFullscreen;
        ShowRootTitle(true);
        SetRootRect(_frame.beforeFullscreen);
        return;
    }
    const MonitorInfo *monitor = MonitorHoldingRoot();
    if (!monitor)
        return;
    _frame.beforeFullscreen = _root->GetRect();
    _frame.maximizedBeforeFullscreen = _frame.maximized;
    _frame.fullscreen = true;
    ShowRootTitle(false);
    SetRootRect(monitor->area);
}

Rect GUI::RestoredRect() const
{
    if (!_root)
        return Rect{};
    const bool maximized = _frame.fullscreen ? _frame.maximizedBeforeFullscreen : _frame.maximized;
    if (maximized)
        return _frame.beforeMaximized;
    return _frame.fullscreen ? _frame.beforeFullscreen : _root->GetRect();
}

std::int64_t GUI::OnSystemCommand(WindowHandle window, std::uint64_t command, bool &handled)
{
    // The system menu and the taskbar: maximised means our own geometry.
    if (_root && window == WindowOf(*_root)) {
        switch (command & SystemCommands::Mask) {
        case SystemCommands::Maximize:
            SetMaximized(true);
            return 0;
        case SystemCommands::Restore:
            if (_platform->IsIconic(window))
                break;
            if (_frame.fullscreen)
                SetFullscreen(false);
            else
                SetMaximized(false);
            return 0;
        default: break;
        }
    }
    handled = false;
    return 0;
}

void GUI::StopTimers()
{
    for (const TimerEntry &timer : _timers)
        if (_platform)
            _platform->StopTimer(timer.id);
    _timers.clear();
}

} // namespace Brintavolex::GUI
