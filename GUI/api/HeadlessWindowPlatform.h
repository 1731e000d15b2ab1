#pragma once

// The window host without a windowing system: fake windows that keep their
// last frame in memory, a message queue, thread timers on a virtual clock,
// input injected as the platform would deliver it, and scripted monitors,
// colorization and activation. Native tests drive the real host logic
// through it.

#include "GUI/api/WindowPlatform.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <mutex>
#include <optional>
#include <vector>

namespace Brintavolex::GUI {

class HeadlessWindowPlatform final : public WindowPlatform {
public:
    struct FakeWindow {
        GUI *gui = nullptr;
        Rect rect; // client area on the desktop
        String title;
        bool systemWindow = false;
        bool layered = false;
        bool visible = false;
        bool iconic = false;
        bool invalid = false;
        WindowHandle owner = 0;
        SharedPtr<Platform::Video::MemoryRenderWindow> frames;
        SharedPtr<Platform::Video::RenderWindow> presenter;
        unsigned paintMessages = 0;
        unsigned placements = 0;
        // A paint in progress and whether its update region was empty.
        bool painting = false;
        bool emptyUpdateRegion = false;
        // Frames lost as the system would lose them: presented through a
        // paint whose update region was empty.
        unsigned clippedFrames = 0;
    };
    struct Timer {
        std::uint32_t interval = 0;
        std::uint64_t due = 0;
    };

    // The error NextMessage reports when nothing could ever arrive.
    static constexpr std::uint32_t kNothingToWaitFor = 1460;

    HeadlessWindowPlatform();

    // ---- windows ----
    const FakeWindow *Window(WindowHandle window) const;
    std::vector<WindowHandle> Windows() const;
    // The last frame the window's renderer presented (B, G, R, A rows).
    const Platform::Video::MemoryRenderWindow &Frames(WindowHandle window) const;
    WindowHandle ActiveWindow() const noexcept { return _active; }
    WindowHandle Capture() const noexcept { return _capture; }
    PointerShape PointerShapeSeen() const noexcept { return _pointerShape; }
    bool ClassRegistered() const noexcept { return _classRegistered; }
    bool OwnDeviceContexts() const noexcept { return _ownDC; }
    unsigned FlashCountSeen() const noexcept { return _flashes; }
    std::uint32_t FlashIntervalSeen() const noexcept { return _flashInterval; }

    // ---- input, as the platform delivers it ----
    // Pointer messages with client coordinates of window (as the system
    // sends them); they also set the pointer position.
    void InjectPointer(WindowHandle window, std::uint32_t message, std::int32_t clientX, std::int32_t clientY,
                       std::uint64_t wParam = 0);
    // Wheel messages carry desktop coordinates.
    void InjectWheel(WindowHandle window, std::int32_t desktopX, std::int32_t desktopY, std::int16_t delta,
                     bool horizontal = false);
    void InjectLeave(WindowHandle window, std::int32_t desktopX, std::int32_t desktopY);
    void InjectKey(WindowHandle window, std::uint32_t message, std::uint32_t key, std::int64_t flags = 0);
    // A message handled at once (as a sent message).
    std::int64_t Send(WindowHandle window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
    // Moves a window as the user or the system would (sends move and size).
    void MoveWindowTo(WindowHandle window, const Rect &rect);
    void SetIconic(WindowHandle window, bool iconic);
    // Activation by the system (the activate message).
    void Activate(WindowHandle window, bool active);
    // A task for the GUI thread: the refresh message carries it.
    void PostTask(WindowHandle window, std::function<void()> task);
    std::size_t QueuedMessages() const;

    // ---- the virtual clock ----
    std::uint64_t Now() const noexcept { return _now; }
    // Moves the clock on; every timer due meanwhile queues its message (one
    // waiting message per timer, as the system coalesces them).
    void Advance(std::uint64_t milliseconds);
    const std::map<std::uintptr_t, Timer> &Timers() const noexcept { return _timers; }

    // ---- scripted system ----
    void SetMonitors(std::vector<MonitorInfo> monitors) { _monitors = std::move(monitors); }
    // Changes a monitor's DPI and tells every window on it.
    void ChangeDpi(std::uintptr_t monitor, std::uint32_t dpiX, std::uint32_t dpiY);
    void SetColorization(std::optional<Colorization> colorization) { _colorization = colorization; }
    void SetHighContrast(bool on) noexcept { _highContrast = on; }
    void SetCaretBlinkTime(std::uint32_t milliseconds) noexcept { _blinkTime = milliseconds; }
    void FailNextMessageFetch(std::uint32_t error) noexcept { _failFetch = error; }
    // Keys the test holds down (virtual key codes).
    void SetKeyHeld(std::uint32_t virtualKey, bool held);
    bool IsKeyHeld(std::uint32_t virtualKey) const override { return _heldKeys.count(virtualKey) != 0; }
    void RefuseTimers(bool refuse) noexcept { _refuseTimers = refuse; }

    // ---- the end after a failure ----
    bool Ended() const noexcept { return _ended; }
    int EndCode() const noexcept { return _endCode; }
    const String &EndText() const noexcept { return _endText; }

    // WindowPlatform
    void RegisterWindowClass(bool ownDeviceContext) override;
    void UnregisterWindowClass() override;
    WindowHandle CreatePanelWindow(GUI &gui, const WindowRequest &request) override;
    void DestroyWindow(WindowHandle window) override;
    bool IsWindow(WindowHandle window) override { return Find(window) != nullptr; }
    SharedPtr<Platform::Video::RenderWindow> CreateRenderWindow(WindowHandle window) override;
    void ShowWindow(WindowHandle window, bool activate) override;
    bool IsIconic(WindowHandle window) override;
    void SetWindowTitle(WindowHandle window, StringExpr title) override;
    Rect ClientRectOnDesktop(WindowHandle window) override;
    void PlaceWindows(const std::vector<WindowPlacement> &placements) override;
    void WaitForCompositor() override {}
    void InvalidateWindow(WindowHandle window) override;
    void UpdateWindow(WindowHandle window) override;
    void BeginPaint(WindowHandle window) override;
    void EndPaint(WindowHandle window) override;
    void ClientToDesktop(WindowHandle window, std::int32_t &x, std::int32_t &y) override;
    void LastMessagePosition(std::int32_t &x, std::int32_t &y) override;
    WindowHandle WindowFromPoint(std::int32_t x, std::int32_t y) override;
    void TrackPointerLeave(WindowHandle) override {}
    void SetCapture(WindowHandle window) override { _capture = window; }
    void ReleaseCapture() override { _capture = 0; }
    WindowHandle GetCapture() override { return _capture; }
    void SetPointerShape(PointerShape shape) override { _pointerShape = shape; }
    void SetActiveWindow(WindowHandle window) override;
    void FlashWindow(WindowHandle window, std::uint32_t count, std::uint32_t intervalMilliseconds) override;
    int NextMessage(WindowMessage &message) override;
    bool TakeMessage(WindowMessage &message) override;
    void Dispatch(const WindowMessage &message) override;
    void GenerateTimerMessages() override {}
    void PostQuit(int exitCode) override;
    bool Post(WindowHandle window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;
    std::uint32_t LastError() override { return _lastError; }
    void RunPostedTask(std::int64_t lParam) override;
    void FinishDrop(std::uint64_t) override {}
    std::uintptr_t StartTimer(std::uintptr_t restartId, std::uint32_t milliseconds) override;
    void StopTimer(std::uintptr_t id) override;
    std::vector<MonitorInfo> Monitors() override { return _monitors; }
    std::uintptr_t MonitorOfWindow(WindowHandle window) override;
    bool HighContrast() override { return _highContrast; }
    std::optional<Colorization> ReadColorization() override { return _colorization; }
    std::uint32_t CaretBlinkTime() override { return _blinkTime; }
    std::uint32_t FlashCount() override { return 0; }
    void EndProcessAfterFailure(StringExpr text, int exitCode) override;

private:
    class Presenter;
    // A queued message with the pointer's desktop position when it was made.
    struct Queued {
        WindowMessage message;
        std::int32_t x = 0, y = 0;
    };
    FakeWindow *Find(WindowHandle window);
    const FakeWindow *Find(WindowHandle window) const;
    // x, y: the pointer's desktop position that the message carries.
    void Enqueue(const WindowMessage &message, std::int32_t x = 0, std::int32_t y = 0);
    // The next message as the system would give it: the queue, then paint
    // messages of invalid windows.
    bool Next(WindowMessage &message);

    std::map<WindowHandle, FakeWindow> _windows;
    std::vector<WindowHandle> _zOrder; // topmost first
    WindowHandle _nextHandle = 0x100;
    mutable std::mutex _queueMutex;
    std::deque<Queued> _queue;
    Queued _current;
    bool _haveCurrent = false;
    std::map<std::uintptr_t, Timer> _timers;
    std::uintptr_t _nextTimer = 1;
    std::uint64_t _now = 0;
    std::vector<MonitorInfo> _monitors;
    std::optional<Colorization> _colorization;
    bool _highContrast = false;
    std::uint32_t _blinkTime = 530;
    bool _classRegistered = false;
    bool _ownDC = false;
    WindowHandle _active = 0;
    WindowHandle _capture = 0;
    PointerShape _pointerShape = PointerShape::Arrow;
    std::int32_t _pointerX = 0, _pointerY = 0;
    unsigned _flashes = 0;
    std::uint32_t _flashInterval = 0;
    std::uint32_t _failFetch = 0;
    std::uint32_t _lastError = 0;
    std::set<std::uint32_t> _heldKeys;
    // Handles of destroyed windows (guarded by the queue's mutex).
    std::set<WindowHandle> _destroyed;
    bool _refuseTimers = false;
    bool _quit = false;
    int _quitCode = 0;
    bool _ended = false;
    int _endCode = 0;
    String _endText;
};

} // namespace Brintavolex::GUI
