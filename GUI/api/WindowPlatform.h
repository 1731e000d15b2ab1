#pragma once

// What the window host needs of the windowing system. The host logic of
// GUI is written against this interface only: the Win32 implementation
// (GUI/src/Win32) makes the USER32, GDI and DWM calls, the headless one
// (HeadlessWindowPlatform.h) keeps fake windows for tests.

#include "GUI/api/Control.h"
#include "Root/api/String.h"
#include "Platform/api/Video/Context.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Brintavolex::GUI {

class GUI;

// A window of the platform; 0 is none.
using WindowHandle = std::uintptr_t;

// The window message numbers the host handles (the platform's own numbers).
namespace WindowMessages {
constexpr std::uint32_t Create = 0x0001;
constexpr std::uint32_t Destroy = 0x0002;
constexpr std::uint32_t Move = 0x0003;
constexpr std::uint32_t Size = 0x0005;
constexpr std::uint32_t Activate = 0x0006;
constexpr std::uint32_t SetFocus = 0x0007;
constexpr std::uint32_t KillFocus = 0x0008;
constexpr std::uint32_t Enable = 0x000A;
constexpr std::uint32_t Paint = 0x000F;
constexpr std::uint32_t Close = 0x0010;
constexpr std::uint32_t Quit = 0x0012;
constexpr std::uint32_t EraseBackground = 0x0014;
constexpr std::uint32_t SystemColorChange = 0x0015;
constexpr std::uint32_t CancelMode = 0x001F;
constexpr std::uint32_t MouseActivate = 0x0021;
constexpr std::uint32_t NonClientCalcSize = 0x0083;
constexpr std::uint32_t KeyDown = 0x0100;
constexpr std::uint32_t KeyUp = 0x0101;
constexpr std::uint32_t Character = 0x0102;
constexpr std::uint32_t SystemCommand = 0x0112;
constexpr std::uint32_t Timer = 0x0113;
constexpr std::uint32_t MouseMove = 0x0200;
constexpr std::uint32_t LButtonDown = 0x0201;
constexpr std::uint32_t LButtonUp = 0x0202;
constexpr std::uint32_t LButtonDoubleClick = 0x0203;
constexpr std::uint32_t MouseWheel = 0x020A;
constexpr std::uint32_t MouseHWheel = 0x020E;
constexpr std::uint32_t DropFiles = 0x0233;
constexpr std::uint32_t MouseLeave = 0x02A3;
constexpr std::uint32_t DpiChanged = 0x02E0;
constexpr std::uint32_t ColorizationChanged = 0x0320;
// Private: posted to a window when background work has finished (its long
// parameter may carry a task for the GUI thread); the host re-evaluates the pointer.
constexpr std::uint32_t RefreshPointer = 0x0400;
// Private thread message: runs the tick hook.
constexpr std::uint32_t Tick = 0x0402;
} // namespace WindowMessages

// Commands of the system menu and the taskbar (the word parameter of the
// system-command message, its low four bits masked off).
namespace SystemCommands {
constexpr std::uint64_t Mask = 0xFFF0;
constexpr std::uint64_t Maximize = 0xF030;
constexpr std::uint64_t Restore = 0xF120;
} // namespace SystemCommands

// The pointer's look over the root window: the arrow, or the arrows that
// show which way an edge or corner drag resizes.
enum class PointerShape { Arrow, SizeWestEast, SizeNorthSouth, SizeNorthWestSouthEast, SizeNorthEastSouthWest };

// Results of the mouse-activation message.
constexpr std::int64_t MouseActivateNoActivate = 3;
constexpr std::int64_t MouseActivateNoActivateAndEat = 4;

struct WindowMessage {
    WindowHandle window = 0;
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
};

// x in the low and y in the high 16 bits, both signed.
inline std::int64_t PackPoint(std::int32_t x, std::int32_t y) noexcept
{
    return std::int64_t((std::uint32_t(std::uint16_t(x)) | (std::uint32_t(std::uint16_t(y)) << 16)));
}
inline std::int32_t PointX(std::int64_t packed) noexcept { return std::int16_t(packed & 0xFFFF); }
inline std::int32_t PointY(std::int64_t packed) noexcept { return std::int16_t((packed >> 16) & 0xFFFF); }

struct MonitorInfo {
    std::uintptr_t id = 0;
    Rect area;
    Rect workArea;
    std::uint32_t dpiX = 96, dpiY = 96;
};

// The monitor whose area is nearest to the desktop point (containing it, or
// at the least distance from it; the first of equals); null for no monitors.
const MonitorInfo *NearestMonitor(const std::vector<MonitorInfo> &monitors, std::int32_t x, std::int32_t y) noexcept;

struct WindowRequest {
    Rect rect;            // the client area in desktop pixels
    String title;
    bool systemWindow = false; // the application's main window (taskbar, system menu)
    bool layered = false;      // per-pixel alpha
    WindowHandle owner = 0;
};

struct WindowPlacement {
    WindowHandle window = 0;
    Rect rect;
    bool visible = true;
};

// The colorization values of the desktop window manager.
struct Colorization {
    std::uint32_t color = 0;   // 0xAARRGGBB
    std::uint32_t balance = 0; // percent
};

class WindowPlatform : public EnableSharedPtrFromThis {
public:
    ~WindowPlatform() override = default;

    // ---- window class and windows ----
    // Registers the host's class (own device contexts for the hardware
    // renderers); throws Exception when that fails.
    virtual void RegisterWindowClass(bool ownDeviceContext) = 0;
    virtual void UnregisterWindowClass() = 0;
    // A hidden window whose messages go to gui's window procedure; throws
    // Exception when it cannot be created.
    virtual WindowHandle CreatePanelWindow(GUI &gui, const WindowRequest &request) = 0;
    virtual void DestroyWindow(WindowHandle window) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    // Where a software renderer presents the window's frames.
    virtual SharedPtr<Platform::Video::RenderWindow> CreateRenderWindow(WindowHandle window) = 0;
    virtual void ShowWindow(WindowHandle window, bool activate) = 0;
    virtual bool IsIconic(WindowHandle window) = 0;
    virtual void SetWindowTitle(WindowHandle window, StringExpr title) = 0;
    // The client area in desktop pixels.
    virtual Rect ClientRectOnDesktop(WindowHandle window) = 0;
    // Places windows in one batch, the topmost first, without activating them.
    virtual void PlaceWindows(const std::vector<WindowPlacement> &placements) = 0;
    virtual void WaitForCompositor() = 0;

    // ---- painting ----
    // Marks the whole client area for painting; throws Exception on failure.
    virtual void InvalidateWindow(WindowHandle window) = 0;
    // Sends the paint message now when part of the window is invalid.
    virtual void UpdateWindow(WindowHandle window) = 0;
    // Around the drawing of a paint message: the window's frames go to the
    // paint in progress, clipped to its update region.
    virtual void BeginPaint(WindowHandle window) = 0;
    virtual void EndPaint(WindowHandle window) = 0;

    // ---- pointer ----
    // The desktop position of a client position of window. For the pointer
    // message being handled it is where the pointer was when the message was
    // made, even when the window has moved since.
    virtual void ClientToDesktop(WindowHandle window, std::int32_t &x, std::int32_t &y) = 0;
    // Desktop position of the pointer at the last message.
    virtual void LastMessagePosition(std::int32_t &x, std::int32_t &y) = 0;
    virtual WindowHandle WindowFromPoint(std::int32_t x, std::int32_t y) = 0;
    // Asks for the leave message when the pointer leaves the window.
    virtual void TrackPointerLeave(WindowHandle window) = 0;
    virtual void SetCapture(WindowHandle window) = 0;
    virtual void ReleaseCapture() = 0;
    virtual WindowHandle GetCapture() = 0;
    // The pointer's look while it is over the host's windows.
    virtual void SetPointerShape(PointerShape shape) = 0;

    // ---- activation ----
    virtual void SetActiveWindow(WindowHandle window) = 0;
    virtual void FlashWindow(WindowHandle window, std::uint32_t count, std::uint32_t intervalMilliseconds) = 0;

    // ---- message loop ----
    // Waits for the next message: > 0 a message, 0 the quit message (its word
    // parameter is the exit code), < 0 a failure (LastError tells which).
    virtual int NextMessage(WindowMessage &message) = 0;
    // Takes the next message without waiting; false when there is none.
    virtual bool TakeMessage(WindowMessage &message) = 0;
    // Hands a window's message to its window procedure.
    virtual void Dispatch(const WindowMessage &message) = 0;
    // Lets due timers put their messages into the queue (without taking any).
    virtual void GenerateTimerMessages() = 0;
    virtual void PostQuit(int exitCode) = 0;
    // To a window, or to the GUI thread itself when window is 0; false when
    // the platform refused (reported). May be called from any thread.
    virtual bool Post(WindowHandle window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) = 0;
    virtual std::uint32_t LastError() = 0;
    // Runs and frees the task a refresh message carries in its long parameter.
    virtual void RunPostedTask(std::int64_t lParam) = 0;
    // Releases the handle a drop message carries when nobody took it.
    virtual void FinishDrop(std::uint64_t drop) = 0;

    // ---- timers (thread timers, no window) ----
    // Starts a timer, or restarts the timer restartId with a new interval;
    // returns its id, 0 when the platform refused.
    virtual std::uintptr_t StartTimer(std::uintptr_t restartId, std::uint32_t milliseconds) = 0;
    virtual void StopTimer(std::uintptr_t id) = 0;

    // ---- system settings ----
    virtual std::vector<MonitorInfo> Monitors() = 0;
    virtual std::uintptr_t MonitorOfWindow(WindowHandle window) = 0;
    // The work area of the monitor nearest to the desktop point; by default
    // from Monitors(), else an unbounded area.
    virtual Rect WorkAreaNearest(std::int32_t x, std::int32_t y);
    // Whether a key (a virtual key code: 0x11 Ctrl, 0x10 Shift) is held as
    // the message being handled arrived.
    virtual bool IsKeyHeld(std::uint32_t /*virtualKey*/) const { return false; }
    virtual bool HighContrast() = 0;
    virtual std::optional<Colorization> ReadColorization() = 0;
    // 0 when unavailable.
    virtual std::uint32_t CaretBlinkTime() = 0;
    virtual std::uint32_t FlashCount() = 0;

    // An exception reached the host (the text is already in the error log):
    // shows the problem report and ends the process with exitCode.
    virtual void EndProcessAfterFailure(StringExpr text, int exitCode) = 0;
};

} // namespace Brintavolex::GUI
