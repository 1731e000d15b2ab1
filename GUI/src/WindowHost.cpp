// The window host half of GUI: windows per panel, the message loop, pending
// input, timers, painting, activation, title colours and DPI. Every call to
// the windowing system goes through the WindowPlatform.

#include "GUI/api/GUI.h"

#include "GUI/api/Panel.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/System.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

namespace Brintavolex::GUI {

namespace M = WindowMessages;

namespace {
constexpr std::uint32_t kDefaultBlinkTime = 530;
constexpr std::uint32_t kTickInterval = 1000;
constexpr std::uint32_t kDefaultFlashCount = 3;
constexpr double kBaseDpi = 96.0;

bool IsPointerMessage(std::uint32_t message)
{
    switch (message) {
    case M::MouseMove:
    case M::LButtonDown:
    case M::LButtonUp:
    case M::LButtonDoubleClick:
    case M::MouseWheel:
    case M::MouseHWheel:
    case M::MouseLeave: return true;
    default: return false;
    }
}
} // namespace

WindowPlatform &GUI::RequirePlatform(const char *operation) const
{
    if (!_platform)
        throw Exception(String("GUI::") + operation + ": no window platform");
    return *_platform;
}

void GUI::CreateContextSoftware()
{
    _rendererType = Platform::Video::RendererTypeEnum::Software;
    if (!_context)
        _context = Platform::Video::CreateContext(Platform::Video::RendererTypeEnum::Software);
}

void GUI::CreateContext(Platform::Video::RendererTypeEnum wanted)
{
    using Platform::Video::RendererTypeEnum;
    if (wanted != RendererTypeEnum::Software && !_context) {
        try {
            _context = Platform::Video::CreateContext(wanted);
            _rendererType = wanted;
            return;
        } catch (const std::exception &e) {
            // Not a problem to report: the setting may name a back end this
            // machine lacks, and then every run falls back the same way.
            static std::atomic<bool> said{false};
            if (!said.exchange(true))
                Platform::DebugOutput((std::string("Drawing with the software renderer: ") + e.what() + "\n").c_str());
        }
    }
    CreateContextSoftware();
}

// ---- windows ----

WindowHandle GUI::WindowOf(const Panel &panel) const
{
    for (const HostedWindow &window : _windows)
        if (window.panel == &panel)
            return window.handle;
    return 0;
}

Panel *GUI::PanelOfWindow(WindowHandle handle) const
{
    if (!handle)
        return nullptr;
    for (const HostedWindow &window : _windows)
        if (window.handle == handle)
            return window.panel;
    return nullptr;
}

WindowHandle GUI::WindowFor(Panel &panel)
{
    if (const WindowHandle existing = WindowOf(panel))
        return existing;
    WindowPlatform &platform = RequirePlatform("CreatePanelWindow");
    if (!_classRegistered) {
        platform.RegisterWindowClass(_rendererType != Platform::Video::RendererTypeEnum::Software);
        _classRegistered = true;
    }
    const bool isRoot = _root.Get() == &panel;
    WindowRequest request;
    request.rect = panel.GetRect();
    request.title = panel.GetWindowTitle();
    request.systemWindow = isRoot;
    request.layered = !isRoot;
    request.owner = (!isRoot && _root) ? WindowOf(*_root) : 0;
    const WindowHandle handle = platform.CreatePanelWindow(*this, request);
    HostedWindow window;
    window.handle = handle;
    window.panel = &panel;
    try {
        window.frames = platform.CreateRenderWindow(handle);
        _windows.push_back(window);
    } catch (...) {
        platform.DestroyWindow(handle);
        throw;
    }
    panel.SetWindowKind(isRoot ? PanelWindowKind::SystemWindow : PanelWindowKind::OwnGUIWindow);
    return handle;
}

void GUI::DestroyWindowOf(Panel &panel)
{
    const WindowHandle handle = WindowOf(panel);
    if (!handle)
        return;
    // The renderer presents into the window: it goes first.
    panel.DeleteContextObjects();
    std::erase_if(_windows, [&](const HostedWindow &w) { return w.handle == handle; });
    panel.SetWindowKind(PanelWindowKind::None);
    _platform->DestroyWindow(handle);
}

namespace {
// Posts tasks as the long parameter of the refresh message; the window
// procedure runs and frees them.
class HostPoster final : public IGuiThreadPoster {
public:
    HostPoster(SharedPtr<WindowPlatform> platform, WindowHandle window)
        : _platform(std::move(platform)), _window(window)
    {
    }
    void Post(std::function<void()> task) override
    {
        auto owned = std::make_unique<std::function<void()>>(std::move(task));
        if (_platform->Post(_window, M::RefreshPointer, 0, reinterpret_cast<std::int64_t>(owned.get())))
            owned.release(); // the message owns it now
    }

private:
    SharedPtr<WindowPlatform> _platform;
    WindowHandle _window;
};
} // namespace

SharedPtr<IGuiThreadPoster> GUI::CreateGuiThreadPoster()
{
    RequirePlatform("CreateGuiThreadPoster");
    const WindowHandle window = _root ? WindowOf(*_root) : 0;
    if (!window)
        throw Exception("GUI::CreateGuiThreadPoster: the root panel has no window");
    return MakeShared<HostPoster>(_platform, window);
}

void GUI::OnPanelTitleChanged(Panel &panel)
{
    if (_platform)
        if (const WindowHandle window = WindowOf(panel))
            _platform->SetWindowTitle(window, panel.GetWindowTitle());
}

void GUI::Show()
{
    WindowPlatform &platform = RequirePlatform("Show");
    if (!_root)
        throw Exception("GUI::Show: no root panel");
    ReadTitleColors();
    RefreshMonitors();
    ApplyMonitors();
    const WindowHandle handle = WindowFor(*_root);
    if (!_active.Get() && _root->AcceptsKeyboard())
        SetActivePanel(_root.Get());
    _rootX0 = _root->GetRect().x0;
    _rootY0 = _root->GetRect().y0;
    _rootPlaced = true;
    platform.ShowWindow(handle, true);
    _repaintRequested = false;
    platform.InvalidateWindow(handle);
    platform.UpdateWindow(handle);
}

void GUI::Close()
{
    if (!_platform || !_root)
        return;
    if (const WindowHandle handle = WindowOf(*_root))
        _platform->Post(handle, M::Close, 0, 0);
}

void GUI::OnClose()
{
    _closing = true;
    // Render objects go while their panels are still attached, so that none
    // of them keeps the context alive.
    DeleteContextObjects();
    while (!_panels.empty())
        RemovePanel(*_panels.back());
    _root.Reset();
    if (_platform)
        while (!_windows.empty()) {
            const WindowHandle handle = _windows.back().handle;
            _windows.pop_back();
            _platform->DestroyWindow(handle);
        }
    if (ErrorLog::ProblemOccurred())
        BRINTAVOLEX_LOG("GUI::OnClose");
    RequirePlatform("OnClose").PostQuit(0);
}

// ---- message loop ----

int GUI::Run()
{
    WindowPlatform &platform = RequirePlatform("Run");
    for (;;) {
        WindowMessage message;
        const int result = platform.NextMessage(message);
        if (result == 0) {
            if (_classRegistered) {
                platform.UnregisterWindowClass();
                _classRegistered = false;
            }
            return static_cast<int>(static_cast<std::int64_t>(message.wParam));
        }
        if (result < 0)
            // A broken queue would fail again at once: the loop ends.
            throw SystemErrorException("GUI", "GetMessageW", platform.LastError());
        ProcessMessage(message);
    }
}

void GUI::ProcessMessage(const WindowMessage &message)
{
    WindowPlatform &platform = RequirePlatform("ProcessMessage");
    if (message.window == 0 && message.message == M::Timer)
        Guard(message, [&] { OnTimer(static_cast<std::uintptr_t>(message.wParam)); });
    else if (message.window == 0 && message.message == M::Tick)
        Guard(message, [&] { OnTickHook(); });
    else if (message.window != 0)
        platform.Dispatch(message);
    Guard(message, [&] { HandleGUIMessages(); });
    platform.GenerateTimerMessages();
}

void GUI::ProcessPendingMessages()
{
    WindowPlatform &platform = RequirePlatform("ProcessPendingMessages");
    WindowMessage message;
    while (platform.TakeMessage(message))
        ProcessMessage(message);
}

void GUI::HandleGUIMessages()
{
    while (!_pending.empty()) {
        const PendingInput input = _pending.front();
        _pending.pop_front();
        const std::int32_t x = PointX(input.lParam), y = PointY(input.lParam);
        switch (input.message) {
        case M::MouseMove: OnPointerAt(x, y); break;
        case M::LButtonDown:
        case M::LButtonDoubleClick: {
            OnPointerAt(x, y);
            if (_root)
                _frame.atPress = _root->GetRect();
            struct DoubleClickScope {
                bool &flag;
                ~DoubleClickScope() { flag = false; }
            } scope{_frame.doubleClick};
            _frame.doubleClick = input.message == M::LButtonDoubleClick;
            OnMouseLButtonDown();
            break;
        }
        case M::LButtonUp:
            OnPointerAt(x, y);
            OnMouseLButtonUp();
            // A title or edge drag has ended: the window's place is settled.
            if (_root && !(_root->GetRect() == _frame.atPress) && !_frame.maximized && !_frame.fullscreen)
                OnRootPlacementEnded();
            break;
        case M::MouseWheel:
            OnPointerAt(x, y);
            OnMouseWheel(input.wParam, input.lParam);
            break;
        case M::MouseHWheel:
            OnPointerAt(x, y);
            OnMouseHWheel(input.wParam, input.lParam);
            break;
        case M::MouseLeave: OnMouseLeave(); break;
        default: BRINTAVOLEX_LOG("HandleGUIMessages"); break;
        }
    }
    if (_repaintRequested && _platform && _root) {
        _repaintRequested = false;
        const WindowHandle handle = WindowOf(*_root);
        if (!handle)
            throw Exception("GUI::HandleGUIMessages: the root panel has no window");
        // A real update region: the software present draws through the
        // paint's device context, which an empty region would clip away.
        _platform->InvalidateWindow(handle);
        _platform->UpdateWindow(handle);
    }
}

// ---- the window procedure ----

template <class F> void GUI::Guard(const WindowMessage &message, F &&f) noexcept
{
    try {
        f();
    } catch (const std::exception &e) {
        Fail(message, e.what());
    } catch (...) {
        Fail(message, "unknown exception");
    }
}

void GUI::Fail(const WindowMessage &message, const char *what) noexcept
{
    try {
        char parameters[96];
        std::snprintf(parameters, sizeof parameters, "%" PRIu32 ", 0x%" PRIx64 ", 0x%" PRIx64, message.message,
                      message.wParam, static_cast<std::uint64_t>(message.lParam));
        const String text = String("GUI: exception while handling message ") + parameters + ": " + what;
        BRINTAVOLEX_LOG(text);
        if (_platform)
            _platform->EndProcessAfterFailure(text, -1);
    } catch (...) {
        if (_platform)
            _platform->EndProcessAfterFailure("GUI: exception while handling a message", -1);
    }
}

std::int64_t GUI::GuardedWindowProcedure(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                                         std::int64_t lParam, bool &handled) noexcept
{
    std::int64_t result = 0;
    handled = true;
    Guard(WindowMessage{window, message, wParam, lParam},
          [&] { result = WindowProcedure(window, message, wParam, lParam, handled); });
    return result;
}

std::int64_t GUI::WindowProcedure(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                                  std::int64_t lParam, bool &handled)
{
    handled = true;
    if (IsPointerMessage(message)) {
        QueuePointerMessage(window, message, wParam, lParam);
        return 0;
    }
    switch (message) {
    case M::KeyDown: OnKeyDown(static_cast<std::uint32_t>(wParam), lParam); return 0;
    case M::KeyUp: OnKeyUp(static_cast<std::uint32_t>(wParam), lParam); return 0;
    case M::Character: OnCharacter(static_cast<std::uint32_t>(wParam)); return 0;
    case M::Paint: OnPaintMessage(window); return 0;
    case M::EraseBackground: return 1; // the frame covers everything
    case M::Move:
    case M::Size: OnWindowMoved(window); return 0;
    case M::Activate: OnActivate(window, (wParam & 0xFFFF) != 0); return 0;
    case M::MouseActivate: return OnMouseActivate(window, handled);
    case M::Close:
        if (_root && window == WindowOf(*_root))
            OnClose();
        return 0;
    case M::Destroy: OnWindowDestroyed(window); return 0;
    case M::DpiChanged: OnDpiMessage(window, wParam); return 0;
    case M::ColorizationChanged:
    case M::SystemColorChange:
        ReadTitleColors();
        RefreshAllPanels();
        handled = message == M::ColorizationChanged;
        return 0;
    case M::RefreshPointer:
        if (lParam)
            _platform->RunPostedTask(lParam);
        RefreshPointer();
        return 0;
    case M::SystemCommand: return OnSystemCommand(window, wParam, handled);
    case M::DropFiles:
        if (!OnDropFiles(wParam))
            _platform->FinishDrop(wParam);
        return 0;
    case M::CancelMode:
        if (_platform->GetCapture() == window)
            _platform->ReleaseCapture();
        handled = false;
        return 0;
    default: handled = false; return 0;
    }
}

void GUI::QueuePointerMessage(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                              std::int64_t lParam)
{
    if (BlockedByModal(window))
        return;
    std::int64_t packed = lParam;
    // Wheel messages already carry desktop coordinates; a leave carries none.
    if (message != M::MouseWheel && message != M::MouseHWheel && message != M::MouseLeave) {
        std::int32_t x = PointX(lParam), y = PointY(lParam);
        _platform->ClientToDesktop(window, x, y);
        packed = PackPoint(x, y);
    }
    if (message == M::MouseMove)
        _platform->TrackPointerLeave(window);
    // A drag keeps the pointer even outside the window.
    if (message == M::LButtonDown || message == M::LButtonDoubleClick)
        _platform->SetCapture(window);
    else if (message == M::LButtonUp && _platform->GetCapture() == window)
        _platform->ReleaseCapture();
    _pending.push_back(PendingInput{message, wParam, packed});
}

WindowHandle GUI::ModalWindow() const
{
    if (_modal)
        return _modal;
    const Panel *panel = _modalPanel.Get();
    return panel && panel->GetGUI() == this ? WindowOf(*panel) : 0;
}

bool GUI::BlockedByModal(WindowHandle window) const
{
    if (_modal)
        return window != _modal;
    const Panel *modal = _modalPanel.Get();
    const Panel *target = PanelOfWindow(window);
    if (!modal || !target || modal->GetGUI() != this)
        return false;
    return IndexOf(*target) < IndexOf(*modal);
}

std::int64_t GUI::OnMouseActivate(WindowHandle window, bool &handled)
{
    if (BlockedByModal(window)) {
        const std::uint32_t count = _platform->FlashCount();
        const std::uint32_t blink = _platform->CaretBlinkTime();
        const std::uint32_t interval = (blink && blink != 0xFFFFFFFFu ? blink : kDefaultBlinkTime) / 8;
        _platform->FlashWindow(ModalWindow(), count ? count : kDefaultFlashCount, interval);
        return MouseActivateNoActivateAndEat;
    }
    const WindowHandle rootWindow = _root ? WindowOf(*_root) : 0;
    if (window != rootWindow) {
        // The keyboard stays with the root window.
        if (rootWindow)
            _platform->SetActiveWindow(rootWindow);
        return MouseActivateNoActivate;
    }
    handled = false;
    return 0;
}

void GUI::OnActivate(WindowHandle window, bool active)
{
    if (!_root || window != WindowOf(*_root))
        return;
    if (_rootActive != active) {
        _rootActive = active;
        RequestRepaint();
    }
}

bool GUI::IsPanelActive(const Panel &panel) const
{
    if (!_rootActive)
        return false;
    const Panel *active = _active.Get();
    return active ? active == &panel : &panel == _root.Get();
}

void GUI::OnWindowMoved(WindowHandle window)
{
    if (!_root || window != WindowOf(*_root) || _platform->IsIconic(window))
        return;
    const Rect client = _platform->ClientRectOnDesktop(window);
    if (!(client == _root->GetRect()))
        _root->SetRect(client);
    RepositionPanels();
}

void GUI::RepositionPanels()
{
    if (!_root)
        return;
    const Rect r = _root->GetRect();
    const std::int32_t dx = _rootPlaced ? r.x0 - _rootX0 : 0, dy = _rootPlaced ? r.y0 - _rootY0 : 0;
    _rootX0 = r.x0;
    _rootY0 = r.y0;
    _rootPlaced = true;
    if (!dx && !dy)
        return;
    for (const SharedPtr<Panel> &panel : std::vector<SharedPtr<Panel>>(_panels)) {
        if (panel == _root)
            continue;
        if (panel->GetParent() == _root.Get()) {
            const Rect p = panel->GetRect();
            panel->SetRect(p.x0 + dx, p.y0 + dy, p.x1 + dx, p.y1 + dy);
            panel->KeepInsideWorkArea();
        }
    }
    RequestRepaint();
}

void GUI::OnWindowDestroyed(WindowHandle window)
{
    const bool wasRoot = _root && window == WindowOf(*_root);
    if (Panel *panel = PanelOfWindow(window)) {
        panel->DeleteContextObjects();
        panel->SetWindowKind(PanelWindowKind::None);
    }
    std::erase_if(_windows, [&](const HostedWindow &w) { return w.handle == window; });
    // The main window went away without a close: the loop must still end.
    if (wasRoot && !_closing)
        _platform->PostQuit(0);
}

// ---- painting ----

void GUI::OnPaintMessage(WindowHandle window)
{
    if (_platform->IsIconic(window)) {
        _platform->BeginPaint(window);
        _platform->EndPaint(window);
        return;
    }
    const bool again = OnGlobalPaint(window);
    if (again && _platform->IsWindow(window))
        _platform->InvalidateWindow(window);
}

bool GUI::OnGlobalPaint(WindowHandle window)
{
    WindowPlatform &platform = RequirePlatform("OnGlobalPaint");
    _repaintRequested = false;
    RefreshMonitors();
    ApplyMonitors();
    {
        // Only the window of the paint message paints through the paint in
        // progress; the others present directly.
        struct PaintScope {
            WindowPlatform &platform;
            WindowHandle window;
            ~PaintScope()
            {
                if (window)
                    platform.EndPaint(window);
            }
        } scope{platform, window};
        if (window)
            platform.BeginPaint(window);
        const std::vector<SharedPtr<Panel>> panels = _panels;
        for (const SharedPtr<Panel> &panel : panels)
            if (panel->IsVisible() && panel->GetGUI() == this && !platform.IsIconic(WindowFor(*panel)))
                panel->Paint();
    }
    // Every window over its panel, the topmost first, in one batch.
    std::vector<WindowPlacement> placements;
    for (auto it = _panels.rbegin(); it != _panels.rend(); ++it)
        if (const WindowHandle handle = WindowOf(**it))
            placements.push_back(WindowPlacement{handle, (*it)->GetRect(), (*it)->IsVisible()});
    if (!placements.empty())
        platform.PlaceWindows(placements);
    platform.WaitForCompositor();
    const bool again = _repaintRequested;
    _repaintRequested = false;
    return again;
}

void GUI::RefreshAllPanels()
{
    for (const SharedPtr<Panel> &panel : _panels)
        panel->Invalidate();
    RequestRepaint();
}

// ---- monitors and DPI ----

void GUI::RefreshMonitors()
{
    if (!_platform)
        return;
    std::vector<MonitorInfo> monitors = _platform->Monitors();
    // Unequal values are refused: such a monitor keeps what it had.
    for (MonitorInfo &m : monitors) {
        if (m.dpiX == m.dpiY)
            continue;
        std::uint32_t dpi = m.dpiX;
        for (const MonitorInfo &known : _monitors)
            if (known.id == m.id)
                dpi = known.dpiX;
        m.dpiX = m.dpiY = dpi;
    }
    if (!monitors.empty())
        _monitors = std::move(monitors);
}

const MonitorInfo *GUI::MonitorOf(const Panel &panel) const
{
    if (_monitors.empty())
        return nullptr;
    const Rect r = panel.GetRect();
    const std::int32_t cx = r.x0 + r.Width() / 2, cy = r.y0 + r.Height() / 2;
    for (const MonitorInfo &m : _monitors)
        if (m.area.Contains(cx, cy))
            return &m;
    return &_monitors.front();
}

void GUI::ApplyMonitors()
{
    for (const SharedPtr<Panel> &panel : _panels)
        if (const MonitorInfo *m = MonitorOf(*panel)) {
            panel->SetWorkArea(m->workArea);
            panel->SetScale(m->dpiX / kBaseDpi);
        }
}

void GUI::OnDPIChanged(std::uintptr_t monitor, std::uint32_t dpiX, std::uint32_t dpiY)
{
    if (dpiX != dpiY)
        throw std::invalid_argument("GUI::OnDPIChanged: horizontal and vertical dpi must be equal");
    auto found = std::find_if(_monitors.begin(), _monitors.end(), [&](const MonitorInfo &m) { return m.id == monitor; });
    if (found == _monitors.end())
        return;
    found->dpiX = found->dpiY = dpiX;
    for (const SharedPtr<Panel> &panel : std::vector<SharedPtr<Panel>>(_panels))
        if (MonitorOf(*panel) == &*found)
            panel->SetScale(dpiX / kBaseDpi);
    RequestRepaint();
}

void GUI::OnDpiMessage(WindowHandle window, std::uint64_t wParam)
{
    const auto dpiX = static_cast<std::uint32_t>(wParam & 0xFFFF);
    const auto dpiY = static_cast<std::uint32_t>((wParam >> 16) & 0xFFFF);
    try {
        OnDPIChanged(_platform->MonitorOfWindow(window), dpiX, dpiY);
    } catch (const std::invalid_argument &e) {
        // Refused: the panels keep their scale.
        BRINTAVOLEX_LOG(e.what());
    }
}

// ---- title colours ----

void GUI::ReadTitleColors()
{
    if (!_platform || _platform->HighContrast())
        return;
    const std::optional<Colorization> colorization = _platform->ReadColorization();
    if (!colorization)
        return;
    const double b = std::min<std::uint32_t>(colorization->balance, 100) / 100.0;
    const auto channel = [&](int shift) {
        const double c = double((colorization->color >> shift) & 0xFF) / 255.0;
        return float(c * b + (1.0 - b) * 0.8509804);
    };
    _activeTitle = Color{channel(16), channel(8), channel(0), 1.0f};
    _inactiveTitle = Color{0.92156863f, 0.92156863f, 0.92156863f, 1.0f};
    _hasTitleColors = true;
}

// ---- timers ----

void GUI::SetTimer(Function2<void()> callback, std::uint32_t milliseconds)
{
    WindowPlatform &platform = RequirePlatform("SetTimer");
    for (auto it = _timers.begin(); it != _timers.end(); ++it) {
        if (!(it->callback == callback))
            continue;
        if (milliseconds == 0) {
            platform.StopTimer(it->id);
            _timers.erase(it);
            return;
        }
        if (const std::uintptr_t id = platform.StartTimer(it->id, milliseconds))
            it->id = id;
        return;
    }
    if (milliseconds == 0)
        return;
    const std::uintptr_t id = platform.StartTimer(0, milliseconds);
    if (!id)
        return; // the platform reported it
    _timers.push_back(TimerEntry{std::move(callback), id});
}

void GUI::OnTimer(std::uintptr_t id)
{
    if (id && id == _blinkTimer) {
        for (const SharedPtr<Panel> &panel : std::vector<SharedPtr<Panel>>(_blinkSubscribers))
            panel->OnBlink();
        return;
    }
    if (id && id == _tickTimer) {
        OnTickHook();
        return;
    }
    for (const TimerEntry &timer : _timers) {
        if (timer.id != id)
            continue;
        if (!timer.callback)
            throw std::runtime_error("Function is nullptr");
        // The callback may restart or stop timers, itself included.
        const Function2<void()> callback = timer.callback;
        callback();
        return;
    }
}

void GUI::OnTickHook()
{
    for (const SharedPtr<Panel> &panel : std::vector<SharedPtr<Panel>>(_tickSubscribers))
        panel->OnTick();
}

void GUI::StartSpecialTimer(std::uintptr_t &id, std::uint32_t milliseconds, bool wanted)
{
    if (!_platform)
        return;
    if (wanted && !id)
        id = _platform->StartTimer(0, milliseconds);
    else if (!wanted && id) {
        _platform->StopTimer(id);
        id = 0;
    }
}

void GUI::AddBlinkSubscriber(const SharedPtr<Panel> &panel)
{
    if (!panel || std::find(_blinkSubscribers.begin(), _blinkSubscribers.end(), panel) != _blinkSubscribers.end())
        return;
    _blinkSubscribers.push_back(panel);
    std::uint32_t blink = _platform ? _platform->CaretBlinkTime() : 0;
    if (!blink || blink == 0xFFFFFFFFu)
        blink = kDefaultBlinkTime;
    StartSpecialTimer(_blinkTimer, blink, true);
}

void GUI::RemoveBlinkSubscriber(Panel &panel)
{
    std::erase_if(_blinkSubscribers, [&](const SharedPtr<Panel> &p) { return p.Get() == &panel; });
    StartSpecialTimer(_blinkTimer, 0, !_blinkSubscribers.empty());
}

void GUI::AddTickSubscriber(const SharedPtr<Panel> &panel)
{
    if (!panel || std::find(_tickSubscribers.begin(), _tickSubscribers.end(), panel) != _tickSubscribers.end())
        return;
    _tickSubscribers.push_back(panel);
    StartSpecialTimer(_tickTimer, kTickInterval, true);
}

void GUI::RemoveTickSubscriber(Panel &panel)
{
    std::erase_if(_tickSubscribers, [&](const SharedPtr<Panel> &p) { return p.Get() == &panel; });
    StartSpecialTimer(_tickTimer, 0, !_tickSubscribers.empty());
}

} // namespace Brintavolex::GUI
