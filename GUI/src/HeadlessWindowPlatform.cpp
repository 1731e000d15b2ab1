#include "GUI/api/HeadlessWindowPlatform.h"

#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <memory>

namespace Brintavolex::GUI {

namespace M = WindowMessages;

// Presents as a window does: a frame drawn through the paint of a window
// whose update region is empty is clipped away entirely.
class HeadlessWindowPlatform::Presenter final : public Platform::Video::RenderWindow {
public:
    Presenter(HeadlessWindowPlatform &platform, WindowHandle window) : _platform(platform), _window(window) {}
    bool PresentBGRA(const std::uint8_t *pixels, std::uint32_t width, std::uint32_t height) override
    {
        FakeWindow *w = _platform.Find(_window);
        if (!w)
            return false;
        if (!w->layered && w->painting && w->emptyUpdateRegion) {
            ++w->clippedFrames;
            return true;
        }
        return w->frames->PresentBGRA(pixels, width, height);
    }
    bool IsLayered() const override
    {
        const FakeWindow *w = _platform.Find(_window);
        return w && w->layered;
    }

private:
    HeadlessWindowPlatform &_platform;
    WindowHandle _window;
};

HeadlessWindowPlatform::HeadlessWindowPlatform()
{
    MonitorInfo primary;
    primary.id = 1;
    primary.area = Rect{0, 0, 1280, 1024};
    primary.workArea = primary.area;
    _monitors.push_back(primary);
}

HeadlessWindowPlatform::FakeWindow *HeadlessWindowPlatform::Find(WindowHandle window)
{
    auto found = _windows.find(window);
    return found == _windows.end() ? nullptr : &found->second;
}

const HeadlessWindowPlatform::FakeWindow *HeadlessWindowPlatform::Find(WindowHandle window) const
{
    auto found = _windows.find(window);
    return found == _windows.end() ? nullptr : &found->second;
}

const HeadlessWindowPlatform::FakeWindow *HeadlessWindowPlatform::Window(WindowHandle window) const
{
    return Find(window);
}

std::vector<WindowHandle> HeadlessWindowPlatform::Windows() const
{
    std::vector<WindowHandle> handles;
    for (const auto &entry : _windows)
        handles.push_back(entry.first);
    return handles;
}

const Platform::Video::MemoryRenderWindow &HeadlessWindowPlatform::Frames(WindowHandle window) const
{
    const FakeWindow *w = Find(window);
    if (!w)
        throw Exception("HeadlessWindowPlatform::Frames: no such window");
    return *w->frames;
}

// ---- window class and windows ----

void HeadlessWindowPlatform::RegisterWindowClass(bool ownDeviceContext)
{
    _classRegistered = true;
    _ownDC = ownDeviceContext;
}

void HeadlessWindowPlatform::UnregisterWindowClass() { _classRegistered = false; }

WindowHandle HeadlessWindowPlatform::CreatePanelWindow(GUI &gui, const WindowRequest &request)
{
    if (!_classRegistered)
        throw Exception("HeadlessWindowPlatform::CreatePanelWindow: the window class is not registered");
    const WindowHandle handle = _nextHandle++;
    FakeWindow &w = _windows[handle];
    w.gui = &gui;
    w.rect = request.rect;
    w.title = request.title;
    w.systemWindow = request.systemWindow;
    w.layered = request.layered;
    w.owner = request.owner;
    w.frames = MakeShared<Platform::Video::MemoryRenderWindow>();
    w.presenter = MakeShared<Presenter>(*this, handle);
    _zOrder.insert(_zOrder.begin(), handle);
    Send(handle, M::Create, 0, 0);
    return handle;
}

void HeadlessWindowPlatform::DestroyWindow(WindowHandle window)
{
    if (!Find(window))
        return;
    // Owned windows go first, as the system destroys them.
    std::vector<WindowHandle> owned;
    for (const auto &entry : _windows)
        if (entry.second.owner == window)
            owned.push_back(entry.first);
    for (WindowHandle child : owned)
        DestroyWindow(child);
    Send(window, M::Destroy, 0, 0);
    _windows.erase(window);
    // What waits for the window goes with it; the tasks it carries are freed
    // unrun, as nobody will handle them.
    std::vector<std::int64_t> tasks;
    {
        std::lock_guard<std::mutex> guard(_queueMutex);
        _destroyed.insert(window);
        for (const Queued &q : _queue)
            if (q.message.window == window && q.message.message == M::RefreshPointer)
                tasks.push_back(q.message.lParam);
        std::erase_if(_queue, [&](const Queued &q) { return q.message.window == window; });
    }
    for (std::int64_t task : tasks)
        delete reinterpret_cast<std::function<void()> *>(task);
    std::erase(_zOrder, window);
    if (_active == window)
        _active = 0;
    if (_capture == window)
        _capture = 0;
}

SharedPtr<Platform::Video::RenderWindow> HeadlessWindowPlatform::CreateRenderWindow(WindowHandle window)
{
    FakeWindow *w = Find(window);
    if (!w)
        throw Exception("HeadlessWindowPlatform::CreateRenderWindow: no such window");
    return w->presenter;
}

void HeadlessWindowPlatform::ShowWindow(WindowHandle window, bool activate)
{
    FakeWindow *w = Find(window);
    if (!w)
        return;
    w->visible = true;
    if (activate)
        SetActiveWindow(window);
}

bool HeadlessWindowPlatform::IsIconic(WindowHandle window)
{
    const FakeWindow *w = Find(window);
    return w && w->iconic;
}

void HeadlessWindowPlatform::SetIconic(WindowHandle window, bool iconic)
{
    if (FakeWindow *w = Find(window))
        w->iconic = iconic;
}

void HeadlessWindowPlatform::SetWindowTitle(WindowHandle window, StringExpr title)
{
    if (FakeWindow *w = Find(window))
        w->title = String(title);
}

Rect HeadlessWindowPlatform::ClientRectOnDesktop(WindowHandle window)
{
    const FakeWindow *w = Find(window);
    return w ? w->rect : Rect{};
}

void HeadlessWindowPlatform::MoveWindowTo(WindowHandle window, const Rect &rect)
{
    FakeWindow *w = Find(window);
    if (!w || w->rect == rect)
        return;
    w->rect = rect;
    Send(window, M::Move, 0, PackPoint(rect.x0, rect.y0));
    Send(window, M::Size, 0, PackPoint(rect.Width(), rect.Height()));
}

void HeadlessWindowPlatform::PlaceWindows(const std::vector<WindowPlacement> &placements)
{
    std::vector<WindowHandle> order;
    for (const WindowPlacement &p : placements) {
        FakeWindow *w = Find(p.window);
        if (!w)
            continue;
        ++w->placements;
        w->visible = p.visible;
        order.push_back(p.window);
        MoveWindowTo(p.window, p.rect);
    }
    for (WindowHandle h : _zOrder)
        if (std::find(order.begin(), order.end(), h) == order.end())
            order.push_back(h);
    _zOrder = std::move(order);
}

// ---- painting ----

void HeadlessWindowPlatform::InvalidateWindow(WindowHandle window)
{
    FakeWindow *w = Find(window);
    if (!w)
        throw Exception("HeadlessWindowPlatform::InvalidateWindow: no such window");
    w->invalid = true;
}

void HeadlessWindowPlatform::UpdateWindow(WindowHandle window)
{
    FakeWindow *w = Find(window);
    if (w && w->invalid)
        Send(window, M::Paint, 0, 0);
}

void HeadlessWindowPlatform::BeginPaint(WindowHandle window)
{
    if (FakeWindow *w = Find(window)) {
        w->painting = true;
        w->emptyUpdateRegion = !w->invalid;
        w->invalid = false;
    }
}

void HeadlessWindowPlatform::EndPaint(WindowHandle window)
{
    if (FakeWindow *w = Find(window))
        w->painting = false;
}

// ---- pointer and activation ----

void HeadlessWindowPlatform::ClientToDesktop(WindowHandle window, std::int32_t &x, std::int32_t &y)
{
    const WindowMessage &m = _current.message;
    if (_haveCurrent && m.window == window && m.message >= M::MouseMove && m.message <= M::LButtonDoubleClick &&
        PointX(m.lParam) == x && PointY(m.lParam) == y) {
        x = _current.x;
        y = _current.y;
        return;
    }
    if (const FakeWindow *w = Find(window)) {
        x += w->rect.x0;
        y += w->rect.y0;
    }
}

void HeadlessWindowPlatform::LastMessagePosition(std::int32_t &x, std::int32_t &y)
{
    const std::uint32_t m = _current.message.message;
    const bool pointer = (m >= M::MouseMove && m <= M::MouseHWheel) || m == M::MouseLeave;
    x = _haveCurrent && pointer ? _current.x : _pointerX;
    y = _haveCurrent && pointer ? _current.y : _pointerY;
}

WindowHandle HeadlessWindowPlatform::WindowFromPoint(std::int32_t x, std::int32_t y)
{
    for (WindowHandle h : _zOrder)
        if (const FakeWindow *w = Find(h); w && w->visible && w->rect.Contains(x, y))
            return h;
    return 0;
}

void HeadlessWindowPlatform::SetActiveWindow(WindowHandle window)
{
    if (_active == window || !Find(window))
        return;
    const WindowHandle previous = _active;
    _active = window;
    if (Find(previous))
        Send(previous, M::Activate, 0, 0);
    Send(window, M::Activate, 1, 0);
}

void HeadlessWindowPlatform::Activate(WindowHandle window, bool active)
{
    if (active) {
        SetActiveWindow(window);
    } else if (Find(window)) {
        if (_active == window)
            _active = 0;
        Send(window, M::Activate, 0, 0);
    }
}

void HeadlessWindowPlatform::FlashWindow(WindowHandle, std::uint32_t count, std::uint32_t intervalMilliseconds)
{
    _flashes += count;
    _flashInterval = intervalMilliseconds;
}

// ---- input ----

void HeadlessWindowPlatform::InjectPointer(WindowHandle window, std::uint32_t message, std::int32_t clientX,
                                           std::int32_t clientY, std::uint64_t wParam)
{
    if (const FakeWindow *w = Find(window)) {
        _pointerX = clientX + w->rect.x0;
        _pointerY = clientY + w->rect.y0;
    }
    Enqueue(WindowMessage{window, message, wParam, PackPoint(clientX, clientY)}, _pointerX, _pointerY);
}

void HeadlessWindowPlatform::InjectWheel(WindowHandle window, std::int32_t desktopX, std::int32_t desktopY,
                                         std::int16_t delta, bool horizontal)
{
    _pointerX = desktopX;
    _pointerY = desktopY;
    const std::uint64_t word = std::uint64_t(std::uint16_t(delta)) << 16;
    Enqueue(WindowMessage{window, horizontal ? M::MouseHWheel : M::MouseWheel, word, PackPoint(desktopX, desktopY)},
            desktopX, desktopY);
}

void HeadlessWindowPlatform::InjectLeave(WindowHandle window, std::int32_t desktopX, std::int32_t desktopY)
{
    _pointerX = desktopX;
    _pointerY = desktopY;
    Enqueue(WindowMessage{window, M::MouseLeave, 0, 0}, desktopX, desktopY);
}

void HeadlessWindowPlatform::InjectKey(WindowHandle window, std::uint32_t message, std::uint32_t key,
                                       std::int64_t flags)
{
    Enqueue(WindowMessage{window, message, key, flags}, _pointerX, _pointerY);
}

std::int64_t HeadlessWindowPlatform::Send(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                                          std::int64_t lParam)
{
    FakeWindow *w = Find(window);
    if (!w)
        return 0;
    if (message == M::Paint)
        ++w->paintMessages;
    bool handled = false;
    const std::int64_t result = w->gui->GuardedWindowProcedure(window, message, wParam, lParam, handled);
    if (handled)
        return result;
    // The default processing the host relies on.
    switch (message) {
    case M::Close: DestroyWindow(window); break;
    case M::Paint:
        BeginPaint(window);
        EndPaint(window);
        break;
    default: break;
    }
    return 0;
}

void HeadlessWindowPlatform::PostTask(WindowHandle window, std::function<void()> task)
{
    auto owned = std::make_unique<std::function<void()>>(std::move(task));
    Post(window, M::RefreshPointer, 0, reinterpret_cast<std::int64_t>(owned.get()));
    owned.release(); // the message owns it now
}

void HeadlessWindowPlatform::RunPostedTask(std::int64_t lParam)
{
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()> *>(lParam));
    if (task && *task)
        (*task)();
}

// ---- message queue ----

void HeadlessWindowPlatform::Enqueue(const WindowMessage &message, std::int32_t x, std::int32_t y)
{
    std::lock_guard<std::mutex> guard(_queueMutex);
    _queue.push_back(Queued{message, x, y});
}

std::size_t HeadlessWindowPlatform::QueuedMessages() const
{
    std::lock_guard<std::mutex> guard(_queueMutex);
    return _queue.size();
}

bool HeadlessWindowPlatform::Post(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                                  std::int64_t lParam)
{
    std::lock_guard<std::mutex> guard(_queueMutex);
    // As the system refuses a window that is gone (worker threads post late).
    if (window && _destroyed.count(window))
        return false;
    _queue.push_back(Queued{WindowMessage{window, message, wParam, lParam}, 0, 0});
    return true;
}

void HeadlessWindowPlatform::PostQuit(int exitCode)
{
    _quit = true;
    _quitCode = exitCode;
}

bool HeadlessWindowPlatform::Next(WindowMessage &message)
{
    {
        std::lock_guard<std::mutex> guard(_queueMutex);
        if (!_queue.empty()) {
            _current = _queue.front();
            _haveCurrent = true;
            _queue.pop_front();
            message = _current.message;
            return true;
        }
    }
    if (_quit || _ended)
        return false;
    for (WindowHandle h : _zOrder)
        if (const FakeWindow *w = Find(h); w && w->invalid && w->visible) {
            message = WindowMessage{h, M::Paint, 0, 0};
            _haveCurrent = false;
            return true;
        }
    return false;
}

bool HeadlessWindowPlatform::TakeMessage(WindowMessage &message) { return Next(message); }

int HeadlessWindowPlatform::NextMessage(WindowMessage &message)
{
    if (_failFetch) {
        _lastError = _failFetch;
        _failFetch = 0;
        return -1;
    }
    if (_ended) {
        message = WindowMessage{0, M::Quit, std::uint64_t(std::int64_t(_endCode)), 0};
        return 0;
    }
    if (Next(message))
        return 1;
    if (_quit) {
        _quit = false;
        message = WindowMessage{0, M::Quit, std::uint64_t(std::int64_t(_quitCode)), 0};
        return 0;
    }
    // Nothing queued: the clock runs on to the next timer.
    if (!_timers.empty()) {
        auto next = std::min_element(_timers.begin(), _timers.end(),
                                     [](const auto &a, const auto &b) { return a.second.due < b.second.due; });
        Advance(next->second.due > _now ? next->second.due - _now : 0);
        if (Next(message))
            return 1;
    }
    _lastError = kNothingToWaitFor;
    return -1;
}

void HeadlessWindowPlatform::Dispatch(const WindowMessage &message)
{
    if (message.window)
        Send(message.window, message.message, message.wParam, message.lParam);
    _haveCurrent = false;
}

// ---- timers ----

void HeadlessWindowPlatform::Advance(std::uint64_t milliseconds)
{
    const std::uint64_t target = _now + milliseconds;
    for (;;) {
        auto next = std::min_element(_timers.begin(), _timers.end(),
                                     [](const auto &a, const auto &b) { return a.second.due < b.second.due; });
        if (next == _timers.end() || next->second.due > target)
            break;
        _now = std::max(_now, next->second.due);
        next->second.due += next->second.interval;
        const std::uintptr_t id = next->first;
        std::lock_guard<std::mutex> guard(_queueMutex);
        const bool waiting = std::any_of(_queue.begin(), _queue.end(), [&](const Queued &q) {
            return q.message.window == 0 && q.message.message == M::Timer && q.message.wParam == id;
        });
        if (!waiting)
            _queue.push_back(Queued{WindowMessage{0, M::Timer, id, 0}, 0, 0});
    }
    _now = target;
}

void HeadlessWindowPlatform::SetKeyHeld(std::uint32_t virtualKey, bool held)
{
    if (held)
        _heldKeys.insert(virtualKey);
    else
        _heldKeys.erase(virtualKey);
}

std::uintptr_t HeadlessWindowPlatform::StartTimer(std::uintptr_t restartId, std::uint32_t milliseconds)
{
    if (_refuseTimers) {
        _lastError = 8;
        return 0;
    }
    const std::uint32_t interval = std::max<std::uint32_t>(milliseconds, 1);
    if (restartId) {
        auto found = _timers.find(restartId);
        if (found != _timers.end()) {
            found->second = Timer{interval, _now + interval};
            return restartId;
        }
    }
    const std::uintptr_t id = _nextTimer++;
    _timers[id] = Timer{interval, _now + interval};
    return id;
}

void HeadlessWindowPlatform::StopTimer(std::uintptr_t id) { _timers.erase(id); }

// ---- system ----

std::uintptr_t HeadlessWindowPlatform::MonitorOfWindow(WindowHandle window)
{
    const FakeWindow *w = Find(window);
    if (!w || _monitors.empty())
        return 0;
    const std::int32_t cx = w->rect.x0 + w->rect.Width() / 2, cy = w->rect.y0 + w->rect.Height() / 2;
    for (const MonitorInfo &m : _monitors)
        if (m.area.Contains(cx, cy))
            return m.id;
    return _monitors.front().id;
}

void HeadlessWindowPlatform::ChangeDpi(std::uintptr_t monitor, std::uint32_t dpiX, std::uint32_t dpiY)
{
    for (MonitorInfo &m : _monitors)
        if (m.id == monitor)
            m.dpiX = dpiX, m.dpiY = dpiY;
    for (WindowHandle h : Windows())
        if (MonitorOfWindow(h) == monitor)
            Send(h, M::DpiChanged, std::uint64_t(dpiX & 0xFFFF) | (std::uint64_t(dpiY & 0xFFFF) << 16), 0);
}

void HeadlessWindowPlatform::EndProcessAfterFailure(StringExpr text, int exitCode)
{
    if (_ended)
        return;
    _ended = true;
    _endCode = exitCode;
    _endText = String(text);
}

} // namespace Brintavolex::GUI
