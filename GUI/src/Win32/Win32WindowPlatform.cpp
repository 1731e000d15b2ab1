#include "GUI/api/Win32/Win32WindowPlatform.h"

#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/Video/Win32/GdiRenderWindow.h"
#include "Platform/api/Win32/Registry.h"
#include "Platform/api/Win32/WideText.h"
#include "Platform/api/Win32/WindowMessagePoster.h"
#include "Root/api/Exception.h"

#include <dwmapi.h>
#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>

namespace Brintavolex::GUI {

namespace {

int g_classRegistrations = 0;
// The pointer over our windows when it is not the arrow (GUI thread only).
HCURSOR g_pointerCursor = nullptr;

// DWM_E_COMPOSITIONDISABLED: the compositor is off, nothing to wait for.
const HRESULT kCompositionDisabled = static_cast<HRESULT>(0x80263001u);

template <class F> F Procedure(HMODULE module, const char *name)
{
    if (!module)
        return nullptr;
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// From shcore, which older systems lack.
using GetDpiForMonitorFunction = HRESULT(WINAPI *)(HMONITOR, int, UINT *, UINT *);
GetDpiForMonitorFunction GetDpiForMonitorProcedure()
{
    static const GetDpiForMonitorFunction procedure =
        Procedure<GetDpiForMonitorFunction>(LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor");
    return procedure;
}

void EnableDpiAwareness()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // A refusal means the awareness was set already (by a manifest): not an error.
    using SetContext = BOOL(WINAPI *)(HANDLE);
    if (auto set = Procedure<SetContext>(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))
        if (set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) // per monitor, version 2
            return;
    using SetAwareness = HRESULT(WINAPI *)(int);
    if (auto set = Procedure<SetAwareness>(LoadLibraryW(L"shcore.dll"), "SetProcessDpiAwareness"))
        if (SUCCEEDED(set(2))) // per monitor
            return;
    SetProcessDPIAware();
}

HWND H(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

LRESULT CALLBACK HostWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *gui = reinterpret_cast<GUI *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        gui = static_cast<GUI *>(reinterpret_cast<const CREATESTRUCTW *>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(gui));
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        gui = nullptr;
    }
    if (!gui)
        return DefWindowProcW(window, message, wParam, lParam);
    // The system would put the class's arrow back on every move.
    if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT && g_pointerCursor) {
        SetCursor(g_pointerCursor);
        return TRUE;
    }
    // Nothing thrown while the message is handled crosses into the system.
    bool handled = false;
    const std::int64_t result = gui->GuardedWindowProcedure(Handle(window), message, wParam, lParam, handled);
    return handled ? static_cast<LRESULT>(result) : DefWindowProcW(window, message, wParam, lParam);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    auto &list = *reinterpret_cast<std::vector<MonitorInfo> *>(data);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("GetMonitorInfoA");
        return TRUE;
    }
    MonitorInfo m;
    m.id = reinterpret_cast<std::uintptr_t>(monitor);
    m.area = Rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    m.workArea = Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    UINT x = 0, y = 0;
    if (auto dpi = GetDpiForMonitorProcedure(); dpi && SUCCEEDED(dpi(monitor, 0, &x, &y)) && x && y) {
        m.dpiX = x;
        m.dpiY = y;
    } else if (HDC screen = GetDC(nullptr)) {
        m.dpiX = std::uint32_t(GetDeviceCaps(screen, LOGPIXELSX));
        m.dpiY = std::uint32_t(GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    list.push_back(m);
    return TRUE;
}

} // namespace

Win32WindowPlatform::Win32WindowPlatform() { EnableDpiAwareness(); }

Win32WindowPlatform::~Win32WindowPlatform()
{
    if (_registered)
        UnregisterWindowClass();
}

// ---- window class and windows ----

void Win32WindowPlatform::RegisterWindowClass(bool ownDeviceContext)
{
    if (_registered)
        return;
    _instance = GetModuleHandleW(nullptr);
    if (!_instance) {
        const DWORD error = GetLastError();
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("GetModuleHandleW", error);
        throw SystemErrorException("GUI", "GetModuleHandleW", error);
    }
    WNDCLASSW windowClass{};
    // Double-clicks maximise and restore from the title line.
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | (ownDeviceContext ? CS_OWNDC : 0);
    windowClass.lpfnWndProc = &HostWindowProcedure;
    windowClass.hInstance = _instance;
    windowClass.hIcon = LoadIconW(_instance, L"Planoscope.ico");
    if (!windowClass.hIcon) {
        // A build without icons is fine.
        const DWORD error = GetLastError();
        if (error != ERROR_RESOURCE_TYPE_NOT_FOUND && error != ERROR_RESOURCE_DATA_NOT_FOUND)
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("LoadIconW", error);
    }
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    if (!windowClass.hbrBackground)
        BRINTAVOLEX_LOG_SYSTEM_ERROR("GetStockObject");
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass)) {
        const DWORD error = GetLastError();
        // Another host of this process registered it already.
        if (error != ERROR_CLASS_ALREADY_EXISTS) {
            BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("RegisterClassW", error);
            throw SystemErrorException("GUI", "RegisterClassW", error);
        }
    }
    ++g_classRegistrations;
    _registered = true;
}

void Win32WindowPlatform::UnregisterWindowClass()
{
    if (!_registered)
        return;
    _registered = false;
    if (--g_classRegistrations > 0)
        return;
    if (!UnregisterClassW(kClassName, _instance))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("UnregisterClassW");
}

WindowHandle Win32WindowPlatform::CreatePanelWindow(GUI &gui, const WindowRequest &request)
{
    const DWORD exStyle = WS_EX_ACCEPTFILES | (request.systemWindow ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW) |
                          (request.layered ? WS_EX_LAYERED : 0);
    const DWORD style = WS_POPUP | WS_CLIPSIBLINGS | (request.systemWindow ? WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX : 0);
    RECT r{request.rect.x0, request.rect.y0, request.rect.x1, request.rect.y1};
    if (!AdjustWindowRectEx(&r, style, FALSE, exStyle))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("AdjustWindowRectEx");
    const std::wstring title = Brintavolex::Win32::ToW(StringExpr(request.title));
    HWND window = CreateWindowExW(exStyle, kClassName, title.c_str(), style, r.left, r.top, r.right - r.left,
                                  r.bottom - r.top, H(request.owner), nullptr, _instance, &gui);
    if (!window) {
        const DWORD error = GetLastError();
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("CreateWindowExW", error);
        throw SystemErrorException("GUI", "CreateWindowExW", error);
    }
    return Handle(window);
}

void Win32WindowPlatform::DestroyWindow(WindowHandle window)
{
    _renderWindows.erase(H(window));
    _paints.erase(H(window));
    if (!::DestroyWindow(H(window)))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("DestroyWindow");
}

bool Win32WindowPlatform::IsWindow(WindowHandle window) { return ::IsWindow(H(window)) != FALSE; }

SharedPtr<Platform::Video::RenderWindow> Win32WindowPlatform::CreateRenderWindow(WindowHandle window)
{
    auto frames = MakeShared<Platform::Video::Win32::GdiRenderWindow>(H(window));
    _renderWindows[H(window)] = frames;
    return frames;
}

void Win32WindowPlatform::ShowWindow(WindowHandle window, bool activate)
{
    ::ShowWindow(H(window), activate ? SW_SHOW : SW_SHOWNOACTIVATE);
}

bool Win32WindowPlatform::IsIconic(WindowHandle window) { return ::IsIconic(H(window)) != FALSE; }

void Win32WindowPlatform::SetWindowTitle(WindowHandle window, StringExpr title)
{
    if (!SetWindowTextW(H(window), Brintavolex::Win32::ToW(title).c_str()))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("SetWindowTextW");
}

Rect Win32WindowPlatform::ClientRectOnDesktop(WindowHandle window)
{
    RECT client{};
    POINT origin{0, 0};
    if (!GetClientRect(H(window), &client) || !ClientToScreen(H(window), &origin)) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("GetClientRect");
        return Rect{};
    }
    return Rect{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

void Win32WindowPlatform::PlaceWindows(const std::vector<WindowPlacement> &placements)
{
    struct Change {
        HWND window, after;
        RECT r;
        UINT flags;
    };
    std::vector<Change> changes;
    HWND previous = nullptr;
    for (const WindowPlacement &p : placements) {
        HWND window = H(p.window);
        const DWORD style = DWORD(GetWindowLongPtrW(window, GWL_STYLE));
        const DWORD exStyle = DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE));
        RECT target{p.rect.x0, p.rect.y0, p.rect.x1, p.rect.y1};
        AdjustWindowRectEx(&target, style, FALSE, exStyle);
        RECT current{};
        GetWindowRect(window, &current);
        UINT flags = SWP_NOACTIVATE | SWP_NOOWNERZORDER;
        if (EqualRect(&current, &target))
            flags |= SWP_NOMOVE | SWP_NOSIZE;
        const bool visible = ::IsWindowVisible(window) != FALSE;
        if (visible != p.visible)
            flags |= p.visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
        // Each window below the one before it; the main window keeps its
        // place among the other programs' windows.
        const bool inOrder = !previous || (style & WS_SYSMENU) || GetWindow(window, GW_HWNDPREV) == previous;
        if (inOrder)
            flags |= SWP_NOZORDER;
        if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) || visible != p.visible || !inOrder)
            changes.push_back(Change{window, previous, target, flags});
        previous = window;
    }
    if (changes.empty())
        return;
    HDWP batch = BeginDeferWindowPos(int(changes.size()));
    if (!batch) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("BeginDeferWindowPos");
        return;
    }
    for (const Change &c : changes) {
        batch = DeferWindowPos(batch, c.window, c.after, c.r.left, c.r.top, c.r.right - c.r.left,
                               c.r.bottom - c.r.top, c.flags);
        if (!batch) {
            BRINTAVOLEX_LOG_SYSTEM_ERROR("DeferWindowPos");
            return;
        }
    }
    if (!EndDeferWindowPos(batch))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("EndDeferWindowPos");
}

void Win32WindowPlatform::WaitForCompositor()
{
    if (!Platform::Video::IsDesktopCompositionEnabled())
        return;
    const HRESULT result = DwmFlush();
    if (FAILED(result) && result != kCompositionDisabled)
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("DwmFlush", static_cast<std::uint32_t>(result));
}

// ---- painting ----

void Win32WindowPlatform::InvalidateWindow(WindowHandle window)
{
    if (!InvalidateRect(H(window), nullptr, FALSE)) {
        const DWORD error = GetLastError();
        BRINTAVOLEX_LOG_SYSTEM_ERROR_CODE("InvalidateRect", error);
        throw SystemErrorException("GUI", "InvalidateRect", error);
    }
}

void Win32WindowPlatform::UpdateWindow(WindowHandle window) { ::UpdateWindow(H(window)); }

void Win32WindowPlatform::BeginPaint(WindowHandle window)
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(H(window), &paint);
    if (!dc)
        BRINTAVOLEX_LOG_SYSTEM_ERROR("BeginPaint");
    _paints[H(window)] = paint;
    auto found = _renderWindows.find(H(window));
    if (found != _renderWindows.end())
        found->second->SetPaintDC(dc);
}

void Win32WindowPlatform::EndPaint(WindowHandle window)
{
    auto found = _renderWindows.find(H(window));
    if (found != _renderWindows.end())
        found->second->SetPaintDC(nullptr);
    auto paint = _paints.find(H(window));
    if (paint != _paints.end()) {
        ::EndPaint(H(window), &paint->second);
        _paints.erase(paint);
    }
}

// ---- pointer and activation ----

void Win32WindowPlatform::ClientToDesktop(WindowHandle window, std::int32_t &x, std::int32_t &y)
{
    // A pointer message from the queue carries where the pointer was; the
    // window may have moved since (while its title is dragged).
    if (_haveCurrent && Handle(_current.hwnd) == window && _current.message >= WM_MOUSEMOVE &&
        _current.message <= WM_LBUTTONDBLCLK && GET_X_LPARAM(_current.lParam) == x &&
        GET_Y_LPARAM(_current.lParam) == y) {
        x = _current.pt.x;
        y = _current.pt.y;
        return;
    }
    POINT p{x, y};
    if (!ClientToScreen(H(window), &p))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("ClientToScreen");
    x = p.x;
    y = p.y;
}

void Win32WindowPlatform::LastMessagePosition(std::int32_t &x, std::int32_t &y)
{
    const DWORD position = GetMessagePos();
    x = std::int16_t(LOWORD(position));
    y = std::int16_t(HIWORD(position));
}

WindowHandle Win32WindowPlatform::WindowFromPoint(std::int32_t x, std::int32_t y)
{
    return Handle(::WindowFromPoint(POINT{x, y}));
}

void Win32WindowPlatform::TrackPointerLeave(WindowHandle window)
{
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = H(window);
    if (!TrackMouseEvent(&track))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("TrackMouseEvent");
}

void Win32WindowPlatform::SetCapture(WindowHandle window) { ::SetCapture(H(window)); }

void Win32WindowPlatform::ReleaseCapture()
{
    if (!::ReleaseCapture())
        BRINTAVOLEX_LOG_SYSTEM_ERROR("ReleaseCapture");
}

WindowHandle Win32WindowPlatform::GetCapture() { return Handle(::GetCapture()); }

void Win32WindowPlatform::SetPointerShape(PointerShape shape)
{
    LPCWSTR name = IDC_ARROW;
    switch (shape) {
    case PointerShape::Arrow: break;
    case PointerShape::SizeWestEast: name = IDC_SIZEWE; break;
    case PointerShape::SizeNorthSouth: name = IDC_SIZENS; break;
    case PointerShape::SizeNorthWestSouthEast: name = IDC_SIZENWSE; break;
    case PointerShape::SizeNorthEastSouthWest: name = IDC_SIZENESW; break;
    }
    HCURSOR cursor = LoadCursorW(nullptr, name);
    if (!cursor) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("LoadCursorW");
        return;
    }
    g_pointerCursor = shape == PointerShape::Arrow ? nullptr : cursor;
    SetCursor(cursor);
}

void Win32WindowPlatform::SetActiveWindow(WindowHandle window) { ::SetActiveWindow(H(window)); }

void Win32WindowPlatform::FlashWindow(WindowHandle window, std::uint32_t count, std::uint32_t intervalMilliseconds)
{
    FLASHWINFO flash{};
    flash.cbSize = sizeof flash;
    flash.hwnd = H(window);
    flash.dwFlags = FLASHW_CAPTION;
    flash.uCount = count;
    flash.dwTimeout = intervalMilliseconds;
    FlashWindowEx(&flash);
}

// ---- message loop ----

WindowMessage Win32WindowPlatform::Take(const MSG &msg)
{
    _current = msg;
    _haveCurrent = true;
    return WindowMessage{Handle(msg.hwnd), msg.message, msg.wParam, static_cast<std::int64_t>(msg.lParam)};
}

int Win32WindowPlatform::NextMessage(WindowMessage &message)
{
    MSG msg{};
    const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
    if (result == -1) {
        _lastError = GetLastError();
        return -1;
    }
    message = Take(msg);
    return result == 0 ? 0 : 1;
}

bool Win32WindowPlatform::TakeMessage(WindowMessage &message)
{
    MSG msg{};
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        // The loop that waits will see it.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    message = Take(msg);
    return true;
}

void Win32WindowPlatform::Dispatch(const WindowMessage &message)
{
    MSG msg = _current;
    if (!_haveCurrent || Handle(msg.hwnd) != message.window || msg.message != message.message ||
        msg.wParam != message.wParam || static_cast<std::int64_t>(msg.lParam) != message.lParam) {
        msg = MSG{};
        msg.hwnd = H(message.window);
        msg.message = message.message;
        msg.wParam = static_cast<WPARAM>(message.wParam);
        msg.lParam = static_cast<LPARAM>(message.lParam);
        _haveCurrent = false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    _haveCurrent = false;
}

void Win32WindowPlatform::GenerateTimerMessages()
{
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE);
}

void Win32WindowPlatform::PostQuit(int exitCode) { PostQuitMessage(exitCode); }

bool Win32WindowPlatform::Post(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                               std::int64_t lParam)
{
    const BOOL posted = window ? PostMessageW(H(window), message, WPARAM(wParam), LPARAM(lParam))
                               : PostThreadMessageW(GetCurrentThreadId(), message, WPARAM(wParam), LPARAM(lParam));
    if (!posted)
        BRINTAVOLEX_LOG_SYSTEM_ERROR(window ? "PostMessageW" : "PostThreadMessageW");
    return posted != FALSE;
}

void Win32WindowPlatform::RunPostedTask(std::int64_t lParam) { Brintavolex::Win32::RunPostedTask(LPARAM(lParam)); }

void Win32WindowPlatform::FinishDrop(std::uint64_t drop) { DragFinish(reinterpret_cast<HDROP>(drop)); }

// ---- timers ----

std::uintptr_t Win32WindowPlatform::StartTimer(std::uintptr_t restartId, std::uint32_t milliseconds)
{
    const UINT_PTR id = ::SetTimer(nullptr, restartId, milliseconds, nullptr);
    if (!id)
        BRINTAVOLEX_LOG_SYSTEM_ERROR("SetTimer");
    return id;
}

void Win32WindowPlatform::StopTimer(std::uintptr_t id)
{
    if (!KillTimer(nullptr, id))
        BRINTAVOLEX_LOG_SYSTEM_ERROR("KillTimer");
}

// ---- system settings ----

std::vector<MonitorInfo> Win32WindowPlatform::Monitors()
{
    std::vector<MonitorInfo> list;
    if (!EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&list)) || list.empty()) {
        // Without the enumeration: the primary screen.
        MonitorInfo primary;
        primary.id = reinterpret_cast<std::uintptr_t>(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
        primary.area = Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        primary.workArea = primary.area;
        list.assign(1, primary);
    }
    return list;
}

bool Win32WindowPlatform::IsKeyHeld(std::uint32_t virtualKey) const
{
    return (GetKeyState(int(virtualKey)) & 0x8000) != 0;
}

Rect Win32WindowPlatform::WorkAreaNearest(std::int32_t x, std::int32_t y)
{
    HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
    if (!monitor) {
        // Without the monitor functions: the system's work area.
        RECT work{};
        if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
            return Rect{work.left, work.top, work.right, work.bottom};
    } else {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(monitor, &info))
            return Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
        BRINTAVOLEX_LOG_SYSTEM_ERROR("GetMonitorInfoW");
    }
    return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

std::uintptr_t Win32WindowPlatform::MonitorOfWindow(WindowHandle window)
{
    return reinterpret_cast<std::uintptr_t>(MonitorFromWindow(H(window), MONITOR_DEFAULTTONEAREST));
}

bool Win32WindowPlatform::HighContrast()
{
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

std::optional<Colorization> Win32WindowPlatform::ReadColorization()
{
    const std::u16string_view key = u"Software\\Microsoft\\Windows\\DWM";
    const auto color = Brintavolex::Win32::ReadRegistryDword(HKEY_CURRENT_USER, key, u"ColorizationColor");
    const auto balance = Brintavolex::Win32::ReadRegistryDword(HKEY_CURRENT_USER, key, u"ColorizationColorBalance");
    if (!color || !balance)
        return std::nullopt;
    return Colorization{*color, *balance};
}

std::uint32_t Win32WindowPlatform::CaretBlinkTime()
{
    const UINT blink = GetCaretBlinkTime();
    if (!blink)
        BRINTAVOLEX_LOG_SYSTEM_ERROR("GetCaretBlinkTime");
    return blink;
}

std::uint32_t Win32WindowPlatform::FlashCount()
{
    UINT count = 0;
    return SystemParametersInfoA(SPI_GETFOREGROUNDFLASHCOUNT, 0, &count, 0) ? count : 0;
}

void Win32WindowPlatform::EndProcessAfterFailure(StringExpr, int exitCode)
{
    ErrorLog::Finish();
    ExitProcess(static_cast<UINT>(exitCode));
}

} // namespace Brintavolex::GUI
