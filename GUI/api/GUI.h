#pragma once

// The host of the control tree: panels in stacking order, pointer state,
// listener lists, the active panel and the renderer context (the routing
// core), and, with a window platform, the window host: a window per panel,
// the message loop, the pending input, timers, painting, activation, title
// colours and DPI. Without a platform the routing core works alone and
// panels present into memory.

#include "GUI/api/Control.h"
#include "GUI/api/Style.h"
#include "GUI/api/WindowPlatform.h"
#include "Platform/api/GuiThreadPoster.h"
#include "Platform/api/Video/Context.h"
#include "Platform/api/Video/RendererType.h"
#include "Root/api/Function.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <tuple>
#include <vector>

namespace Brintavolex::GUI {

class Font;
class Panel;
struct FontDescription;

class GUI {
public:
    GUI();
    // The window host on platform.
    explicit GUI(SharedPtr<WindowPlatform> platform);
    virtual ~GUI();
    GUI(const GUI &) = delete;
    GUI &operator=(const GUI &) = delete;

    // ---- panels ----
    // Throws "GUI::AddPanel: Panel is nullptr" / "GUI::AddPanel: Panel was already added".
    void AddPanel(const SharedPtr<Panel> &panel);
    void RemovePanel(Panel &panel);
    // The main panel; attached panels hang below it.
    void SetRootPanel(const SharedPtr<Panel> &panel);
    const SharedPtr<Panel> &GetRootPanel() const noexcept { return _root; }
    const std::vector<SharedPtr<Panel>> &Panels() const noexcept { return _panels; }
    // The last visible panel that accepts and contains the desktop point.
    SharedPtr<Panel> PanelAt(std::int32_t x, std::int32_t y) const;
    Panel *GetActivePanel() const noexcept { return _active.Get(); }
    void SetActivePanel(Panel *panel);
    // Puts the panel (and its window) on top of the panels of its layer.
    void BringToFront(Panel &panel);
    Panel *GetHoveredPanel() const noexcept { return _hovered.Get(); }

    // ---- listener lists (controls that see every pointer event of a kind) ----
    void AddMouseMoveListener(Control &control) { AddListener(_moveListeners, control); }
    void RemoveMouseMoveListener(Control &control) { RemoveListener(_moveListeners, control); }
    void AddMouseLButtonDownListener(Control &control) { AddListener(_downListeners, control); }
    void RemoveMouseLButtonDownListener(Control &control) { RemoveListener(_downListeners, control); }
    void AddMouseLButtonUpListener(Control &control) { AddListener(_upListeners, control); }
    void RemoveMouseLButtonUpListener(Control &control) { RemoveListener(_upListeners, control); }
    void AddMouseWheelListener(Control &control) { AddListener(_wheelListeners, control); }
    void RemoveMouseWheelListener(Control &control) { RemoveListener(_wheelListeners, control); }
    // Drops a control that leaves the GUI from every list and reference.
    void ForgetControl(Control &control);

    // ---- input, desktop coordinates ----
    virtual void OnMouseMove(std::int32_t x, std::int32_t y);
    virtual void OnMouseLButtonDown();
    virtual void OnMouseLButtonUp();
    virtual int OnMouseWheel(std::uint64_t word, std::int64_t packedPosition);
    virtual int OnMouseHWheel(std::uint64_t, std::int64_t) { return 0; }
    virtual void OnMouseLeave();
    virtual bool OnKeyDown(std::uint32_t key, std::int64_t flags);
    virtual bool OnKeyUp(std::uint32_t key, std::int64_t flags);
    bool OnCharacter(std::uint32_t character);
    // A move unless the pointer is already there over a hovered panel.
    virtual void OnPointerAt(std::int32_t x, std::int32_t y);
    virtual void RefreshPointer();
    // A file drop (the platform's handle); 0 when nobody took it.
    virtual int OnDropFiles(std::uint64_t) { return 0; }
    std::int32_t LastX() const noexcept { return _lastX; }
    std::int32_t LastY() const noexcept { return _lastY; }
    bool LeftButtonDown() const noexcept { return _leftDown; }

    // ---- painting ----
    void RequestRepaint() noexcept { _repaintRequested = true; }
    bool TakeRepaintRequest() noexcept
    {
        const bool requested = _repaintRequested;
        _repaintRequested = false;
        return requested;
    }
    void SetContext(SharedPtr<Platform::Video::Context> context);
    const SharedPtr<Platform::Video::Context> &GetContext() const noexcept { return _context; }
    // The window a panel's renderer presents into; headless: memory.
    virtual SharedPtr<Platform::Video::RenderWindow> CreatePanelWindow(Panel &panel);
    // Draws every visible panel into its own renderer and presents it.
    virtual bool PaintPanels();
    // Releases the render objects of every panel and the fonts, then the
    // context; false when something was not released ("GUI::DeleteContextObjects").
    virtual bool DeleteContextObjects();

    // Font cache by description and scale.
    SharedPtr<Font> GetFont(const FontDescription &description, double scale);

    // ---- window host (needs a platform) ----
    WindowPlatform *GetPlatform() const noexcept { return _platform.Get(); }
    // Sets the renderer type and creates the software back end's context
    // when there is none yet.
    void CreateContextSoftware();
    // The context of the wanted back end; one this build or machine cannot
    // create gives the software one instead (said once per run on the debug
    // output). The wanted type stays what the caller stores.
    void CreateContext(Platform::Video::RendererTypeEnum wanted);
    Platform::Video::RendererTypeEnum GetRendererType() const noexcept { return _rendererType; }
    // Creates the root panel's window and shows it; throws Exception without
    // a root panel.
    void Show();
    // Asks the root window to close (Escape on the root panel, for example).
    void Close();
    // The message loop: until the quit message, whose word parameter it
    // returns. A failing message fetch ends it with SystemErrorException.
    int Run();
    // One fetched message: timers and the tick hook, dispatch, then the pending input.
    void ProcessMessage(const WindowMessage &message);
    // Every message that is queued now, without waiting.
    void ProcessPendingMessages();
    // Drains the pending input in arrival order, then paints when asked to.
    void HandleGUIMessages();
    std::size_t PendingInputCount() const noexcept { return _pending.size(); }
    // The window procedure of every panel window; handled false asks for
    // the platform's default processing.
    std::int64_t WindowProcedure(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                                 std::int64_t lParam, bool &handled);
    // The same inside the exception guard: what the platform calls.
    std::int64_t GuardedWindowProcedure(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                                        std::int64_t lParam, bool &handled) noexcept;

    // Timers keyed by their callback: a new callback starts a timer, a known
    // one restarts with the new interval, an interval of 0 stops it.
    void SetTimer(Function2<void()> callback, std::uint32_t milliseconds);
    virtual void OnTimer(std::uintptr_t id);
    std::size_t TimerCount() const noexcept { return _timers.size(); }
    // Panels that receive the caret-blink tick and the periodic tick.
    void AddBlinkSubscriber(const SharedPtr<Panel> &panel);
    void RemoveBlinkSubscriber(Panel &panel);
    void AddTickSubscriber(const SharedPtr<Panel> &panel);
    void RemoveTickSubscriber(Panel &panel);
    // The tick hook (the private thread message and the tick timer).
    virtual void OnTickHook();

    // Paints every panel for a paint message of window; true when something
    // asked for another frame meanwhile.
    bool OnGlobalPaint(WindowHandle window = 0);
    // Throws std::invalid_argument unless both are equal.
    void OnDPIChanged(std::uintptr_t monitor, std::uint32_t dpiX, std::uint32_t dpiY);
    const std::vector<MonitorInfo> &Monitors() const noexcept { return _monitors; }
    // The work area of the monitor nearest to the pointer's last message
    // position; none without a platform or monitors.
    std::optional<Rect> PointerWorkArea() const;
    void RefreshMonitors();
    // Moves the panels attached to the root panel along with it.
    virtual void RepositionPanels();
    virtual void OnClose();
    // Re-reads the colorization colours (left alone in high contrast).
    void ReadTitleColors();
    bool HasTitleColors() const noexcept { return _hasTitleColors; }
    Color TitleColor(bool active) const noexcept { return active ? _activeTitle : _inactiveTitle; }
    // Whether a panel shows itself active: the root window is active and the
    // panel holds the keyboard.
    bool IsPanelActive(const Panel &panel) const;
    bool IsRootWindowActive() const noexcept { return _rootActive; }
    // While set, pointer input of other windows is dropped and clicks on
    // them flash the modal window.
    void SetModalWindow(WindowHandle window) noexcept { _modal = window; }
    // The same for a panel while it is in the GUI; panels stacked above it
    // (its drop-down lists and tooltips) still take the pointer. Null ends it.
    void SetModalPanel(Panel *panel) { _modalPanel = panel; }
    Panel *GetModalPanel() const noexcept { return _modalPanel.Get(); }
    WindowHandle WindowOf(const Panel &panel) const;
    Panel *PanelOfWindow(WindowHandle window) const;
    // Hands work from any thread to the GUI thread: the refresh message to
    // the root panel's window carries it (and re-evaluates the pointer).
    SharedPtr<IGuiThreadPoster> CreateGuiThreadPoster();
    // A panel's title changed: its window shows the new one.
    void OnPanelTitleChanged(Panel &panel);

    // ---- the root window's frame ----
    // Its edges and corners resize it (not below a minimum size) while it is
    // neither maximised nor fullscreen. Maximised it covers the work area of
    // the monitor that holds it, fullscreen that monitor's whole area without
    // the title line; leaving either gives back the rectangle before.
    void SetMaximized(bool maximized);
    bool IsMaximized() const noexcept { return _frame.maximized; }
    void SetFullscreen(bool fullscreen);
    bool IsFullscreen() const noexcept { return _frame.fullscreen; }
    // The root rectangle in window mode (what a restart should restore).
    Rect RestoredRect() const;
    bool IsResizing() const noexcept { return _frame.edges != 0; }
    // While a double-click is delivered as a press.
    bool IsDoubleClick() const noexcept { return _frame.doubleClick; }
    static constexpr double kResizeBorderUnits = 5.0;
    static constexpr std::int32_t kMinimumWidth = 320, kMinimumHeight = 240; // at scale 1

protected:
    // A drag that moved or resized the root window has ended.
    virtual void OnRootPlacementEnded() {}
    // Stops every timer of SetTimer (the caret-blink and tick timers stay).
    void StopTimers();

private:
    struct RootFrame {
        unsigned edges = 0; // of an edge drag in progress
        Rect dragStart;
        std::int32_t grabX = 0, grabY = 0;
        bool maximized = false, fullscreen = false;
        Rect beforeMaximized;
        Rect beforeFullscreen;
        bool maximizedBeforeFullscreen = false;
        bool doubleClick = false;
        Rect atPress;
        PointerShape shape = PointerShape::Arrow;
    };
    // The edges of the root panel under the point; 0 when it cannot be resized there.
    unsigned RootEdgesAt(std::int32_t x, std::int32_t y);
    bool FrameMouseMove(std::int32_t x, std::int32_t y);
    bool BeginFrameResize();
    bool EndFrameResize();
    void ShowPointerShape(PointerShape shape);
    const MonitorInfo *MonitorHoldingRoot();
    void SetRootRect(const Rect &rect);
    void ShowRootTitle(bool shown);
    std::int64_t OnSystemCommand(WindowHandle window, std::uint64_t command, bool &handled);

    using ListenerList = std::vector<ControlRef<Control>>;
    enum class Kind { Move, Down, Up, Wheel };
    void AddListener(ListenerList &list, Control &control);
    static void RemoveListener(ListenerList &list, Control &control);
    // Calls every listener of a snapshot that is still registered and alive;
    // the result of the last one called, or 0.
    int Notify(ListenerList &list, Kind kind, std::int32_t x, std::int32_t y, std::uint64_t word);
    std::size_t IndexOf(const Panel &panel) const;

    struct HostedWindow {
        WindowHandle handle = 0;
        Panel *panel = nullptr; // only compared; the panel's removal destroys the window first
        SharedPtr<Platform::Video::RenderWindow> frames;
    };
    struct PendingInput {
        std::uint32_t message;
        std::uint64_t wParam;
        std::int64_t lParam;
    };
    struct TimerEntry {
        Function2<void()> callback;
        std::uintptr_t id;
    };
    WindowPlatform &RequirePlatform(const char *operation) const;
    WindowHandle WindowFor(Panel &panel);
    void DestroyWindowOf(Panel &panel);
    void QueuePointerMessage(WindowHandle window, std::uint32_t message, std::uint64_t wParam, std::int64_t lParam);
    void OnPaintMessage(WindowHandle window);
    void OnWindowMoved(WindowHandle window);
    void OnActivate(WindowHandle window, bool active);
    // The window of the modal window or panel; 0 when none is set.
    WindowHandle ModalWindow() const;
    // Whether the modal window or panel keeps pointer input from window.
    bool BlockedByModal(WindowHandle window) const;
    std::int64_t OnMouseActivate(WindowHandle window, bool &handled);
    void OnWindowDestroyed(WindowHandle window);
    void OnDpiMessage(WindowHandle window, std::uint64_t wParam);
    void RefreshAllPanels();
    // Scale and work area of each panel from the monitor under its centre.
    void ApplyMonitors();
    const MonitorInfo *MonitorOf(const Panel &panel) const;
    void StartSpecialTimer(std::uintptr_t &id, std::uint32_t milliseconds, bool wanted);
    template <class F> void Guard(const WindowMessage &message, F &&f) noexcept;
    void Fail(const WindowMessage &message, const char *what) noexcept;

    std::vector<SharedPtr<Panel>> _panels;
    SharedPtr<Panel> _root;
    ControlRef<Panel> _hovered;
    ControlRef<Panel> _active;
    ControlRef<Panel> _captured;
    ListenerList _moveListeners, _downListeners, _upListeners, _wheelListeners;
    std::int32_t _lastX = -32768, _lastY = -32768;
    bool _leftDown = false;
    bool _repaintRequested = false;
    SharedPtr<Platform::Video::Context> _context;
    std::map<std::tuple<String, std::int32_t, bool, std::int64_t>, SharedPtr<Font>> _fonts;

    // ---- window host ----
    SharedPtr<WindowPlatform> _platform;
    Platform::Video::RendererTypeEnum _rendererType = Platform::Video::RendererTypeEnum::Software;
    bool _classRegistered = false;
    bool _closing = false;
    std::vector<HostedWindow> _windows;
    std::deque<PendingInput> _pending;
    std::vector<TimerEntry> _timers;
    std::uintptr_t _blinkTimer = 0, _tickTimer = 0;
    std::vector<SharedPtr<Panel>> _blinkSubscribers, _tickSubscribers;
    std::vector<MonitorInfo> _monitors;
    WindowHandle _modal = 0;
    ControlRef<Panel> _modalPanel;
    bool _rootActive = false;
    bool _hasTitleColors = false;
    Color _activeTitle, _inactiveTitle;
    std::int32_t _rootX0 = 0, _rootY0 = 0;
    bool _rootPlaced = false;
    RootFrame _frame;
};

} // namespace Brintavolex::GUI
