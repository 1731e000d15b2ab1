#pragma once

// The window host on USER32, GDI and DWM.

#include "GUI/api/WindowPlatform.h"

#include <windows.h>

#include <map>

namespace Brintavolex::Platform::Video::Win32 {
class GdiRenderWindow;
}

namespace Brintavolex::GUI {

class Win32WindowPlatform final : public WindowPlatform {
public:
    // Declares the process aware of per-monitor DPI (the newest way the
    // system offers, falling back to the older ones).
    Win32WindowPlatform();
    ~Win32WindowPlatform() override;

    static constexpr const wchar_t *kClassName = L"Brintavolex";

    void RegisterWindowClass(bool ownDeviceContext) override;
    void UnregisterWindowClass() override;
    WindowHandle CreatePanelWindow(GUI &gui, const WindowRequest &request) override;
    void DestroyWindow(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override;
    SharedPtr<Platform::Video::RenderWindow> CreateRenderWindow(WindowHandle window) override;
    void ShowWindow(WindowHandle window, bool activate) override;
    bool IsIconic(WindowHandle window) override;
    void SetWindowTitle(WindowHandle window, StringExpr title) override;
    Rect ClientRectOnDesktop(WindowHandle window) override;
    void PlaceWindows(const std::vector<WindowPlacement> &placements) override;
    void WaitForCompositor() override;
    void InvalidateWindow(WindowHandle window) override;
    void UpdateWindow(WindowHandle window) override;
    void BeginPaint(WindowHandle window) override;
    void EndPaint(WindowHandle window) override;
    void ClientToDesktop(WindowHandle window, std::int32_t &x, std::int32_t &y) override;
    void LastMessagePosition(std::int32_t &x, std::int32_t &y) override;
    WindowHandle WindowFromPoint(std::int32_t x, std::int32_t y) override;
    void TrackPointerLeave(WindowHandle window) override;
    void SetCapture(WindowHandle window) override;
    void ReleaseCapture() override;
    WindowHandle GetCapture() override;
    void SetPointerShape(PointerShape shape) override;
    void SetActiveWindow(WindowHandle window) override;
    void FlashWindow(WindowHandle window, std::uint32_t count, std::uint32_t intervalMilliseconds) override;
    int NextMessage(WindowMessage &message) override;
    bool TakeMessage(WindowMessage &message) override;
    void Dispatch(const WindowMessage &message) override;
    void GenerateTimerMessages() override;
    void PostQuit(int exitCode) override;
    bool Post(WindowHandle window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
    std::uint32_t LastError() override { return _lastError; }
    void RunPostedTask(std::int64_t lParam) override;
    void FinishDrop(std::uint64_t drop) override;
    std::uintptr_t StartTimer(std::uintptr_t restartId, std::uint32_t milliseconds) override;
    void StopTimer(std::uintptr_t id) override;
    std::vector<MonitorInfo> Monitors() override;
    Rect WorkAreaNearest(std::int32_t x, std::int32_t y) override;
    bool IsKeyHeld(std::uint32_t virtualKey) const override;
    std::uintptr_t MonitorOfWindow(WindowHandle window) override;
    bool HighContrast() override;
    std::optional<Colorization> ReadColorization() override;
    std::uint32_t CaretBlinkTime() override;
    std::uint32_t FlashCount() override;
    void EndProcessAfterFailure(StringExpr text, int exitCode) override;

private:
    WindowMessage Take(const MSG &msg);

    HINSTANCE _instance = nullptr;
    bool _registered = false;
    MSG _current{};
    bool _haveCurrent = false;
    std::uint32_t _lastError = 0;
    std::map<HWND, SharedPtr<Platform::Video::Win32::GdiRenderWindow>> _renderWindows;
    std::map<HWND, PAINTSTRUCT> _paints;
};

} // namespace Brintavolex::GUI
