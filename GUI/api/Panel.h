#pragma once

#include "GUI/api/Control.h"
#include "GUI/api/Drawing.h"
#include "GUI/api/Style.h"
#include "Platform/api/Video/Context.h"

namespace Brintavolex::GUI {

class GUI;

enum class PanelWindowKind { None, SystemWindow, OwnGUIWindow };

// The top of a control tree. Its rectangle is in desktop pixels; its children
// use panel-relative coordinates, so it clips and hit-tests them against
// (0, 0, width, height), never against its own desktop rectangle.
class Panel : public ControlList {
public:
    Panel();
    ~Panel() override;

    void Draw() override;
    bool DeleteContextObjects() override;
    // Pointer events from the GUI arrive in desktop coordinates.
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override;
    int OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y) override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    bool OnKeyUp(std::uint32_t key, std::int64_t flags) override;
    bool OnCharacter(std::uint32_t character) override;
    GUI *GetGUI() const override { return _gui; }
    Panel *GetPanel() const override { return const_cast<Panel *>(this); }
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;

    // Panel operations.
    Control *GetHotControl() const noexcept { return _hot.Get(); }
    Control *GetFocusedControl() const noexcept { return _focused.Get(); }
    // Focus moves only inside the GUI's active panel.
    void SetFocus(Control *control);
    bool AcceptsKeyboard() const noexcept { return _acceptsKeyboard; }
    void SetAcceptsKeyboard(bool accepts) noexcept { _acceptsKeyboard = accepts; }
    std::int32_t GetLayer() const noexcept { return _layer; }
    void SetLayer(std::int32_t layer) noexcept { _layer = layer; }
    double GetScale() const noexcept { return _scale; }
    // Effective scale: 1.0 where none was set.
    double ScaleOrOne() const noexcept { return _scale == 0.0 ? 1.0 : _scale; }
    void SetScale(double scale);
    const SharedPtr<Style> &GetStyle() const noexcept { return _style; }
    void SetStyle(SharedPtr<Style> style);
    // Size metric: a style unit in pixels at the panel's scale.
    std::int32_t GUIUnit(double units) const;
    // The close button: Escape arms it on press and clicks it on release.
    void SetCloseAction(Function2<void()> action) { _closeAction = std::move(action); }
    bool HasCloseButton() const noexcept { return static_cast<bool>(_closeAction); }
    bool IsEscapeArmed() const noexcept { return _escapeArmed; }
    void SetWorkArea(const Rect &area) noexcept { _workArea = area; }
    const Rect &GetWorkArea() const noexcept { return _workArea; }
    // Moves the panel so that it lies inside its work area where it fits.
    void KeepInsideWorkArea();
    PanelWindowKind GetWindowKind() const noexcept { return _windowKind; }
    void SetWindowKind(PanelWindowKind kind) noexcept { _windowKind = kind; }
    // Whether the pointer is part of the panel's tree (pointer values only).
    bool ContainsControl(const Control *control) const;

    // The title of the panel's window in the current language.
    virtual String GetWindowTitle() const { return String(); }
    // The caret-blink and periodic ticks of the GUI, for subscribed panels.
    virtual void OnBlink() {}
    virtual void OnTick() {}

    // Painting: creates the renderer on first use ("Panel::EnterPaint: OnCreate failed").
    void EnterPaint();
    // One frame: clear, draw the tree, present. False when presenting failed.
    bool Paint();
    const SharedPtr<Platform::Video::Renderer> &GetRenderer() const noexcept { return _renderer; }
    Platform::Video::Context *GetContext() const;
    SharedPtr<Font> GetFont(FontRole role) const;

protected:
    Rect ChildClipRect() const override;
    virtual void DrawBackground();
    // Pointer input that no child takes goes to the panel itself
    // (panel-relative coordinates).
    virtual void OnOwnMouseMove(std::int32_t, std::int32_t) {}
    virtual void OnOwnMouseLButtonDown(std::int32_t, std::int32_t) {}
    virtual void OnOwnMouseLButtonUp(std::int32_t, std::int32_t) {}
    // Panel-relative point of a desktop point.
    std::int32_t LocalX(std::int32_t x) const { return x - GetRect().x0; }
    std::int32_t LocalY(std::int32_t y) const { return y - GetRect().y0; }

private:
    enum class Event { Move, Down, Up };
    Control *Route(Event event, std::int32_t x, std::int32_t y);
    // Visible together with its ancestors inside this panel.
    bool IsShown(const Control &control) const;
    // The pointer if it is a live control of this panel's tree, else null.
    Control *Validate(Control *control) const;

    GUI *_gui = nullptr;
    ControlRef<Control> _hot;
    ControlRef<Control> _focused;
    bool _acceptsKeyboard = true;
    bool _escapeArmed = false;
    std::int32_t _layer = 0;
    double _scale = 1.0;
    SharedPtr<Style> _style;
    Function2<void()> _closeAction;
    Rect _workArea{-32768, -32768, 32767, 32767};
    PanelWindowKind _windowKind = PanelWindowKind::None;
    SharedPtr<Platform::Video::Renderer> _renderer;
    QuadBatch _background;
};

// A panel with a title line drawn over its content. Dragging the title line
// moves the panel (and its window) unless the panel is fixed.
class PanelWithTransparentTitle : public Panel {
public:
    ~PanelWithTransparentTitle() override;
    void SetTitle(StringExpr german, StringExpr english);
    const String &GetTitle(int language) const { return _title[language & 1]; }
    String GetWindowTitle() const override;
    std::int32_t TitleHeight() const;
    bool DeleteContextObjects() override;
    void Draw() override;
    void SetMovable(bool movable) noexcept { _movable = movable; }
    // Without the title line (fullscreen) TitleHeight is 0.
    void SetTitleShown(bool shown);
    bool IsTitleShown() const noexcept { return _titleShown; }
    bool IsMoving() const noexcept { return _moving; }
    int MouseMoveNotify(std::int32_t x, std::int32_t y) override;
    int MouseLButtonUpNotify(std::int32_t x, std::int32_t y) override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;

protected:
    void OnOwnMouseLButtonDown(std::int32_t x, std::int32_t y) override;

private:
    void EndMove();
    String _title[2];
    QuadBatch _titleBatch;
    Color _titleBuiltWith;
    bool _movable = true;
    bool _titleShown = true;
    bool _moving = false;
    std::int32_t _grabX = 0, _grabY = 0;
};

} // namespace Brintavolex::GUI
