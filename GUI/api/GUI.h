#pragma once

// The host of the control tree: panels in stacking order, pointer state,
// listener lists, the active panel and the renderer context. This is the
// portable routing core; the window layer drives it with desktop coordinates.

#include "GUI/api/Control.h"
#include "Platform/api/Video/Context.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace Brintavolex::GUI {

class Font;
class Panel;
struct FontDescription;

class GUI {
public:
    GUI();
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

private:
    using ListenerList = std::vector<ControlRef<Control>>;
    enum class Kind { Move, Down, Up, Wheel };
    void AddListener(ListenerList &list, Control &control);
    static void RemoveListener(ListenerList &list, Control &control);
    // Calls every listener of a snapshot that is still registered and alive;
    // the result of the last one called, or 0.
    int Notify(ListenerList &list, Kind kind, std::int32_t x, std::int32_t y, std::uint64_t word);
    void BringToFront(Panel &panel);
    std::size_t IndexOf(const Panel &panel) const;

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
};

} // namespace Brintavolex::GUI
