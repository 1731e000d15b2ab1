#include "GUI/api/Panel.h"

#include "GUI/api/Font.h"
#include "GUI/api/GUI.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

#include <cmath>
#include <functional>

namespace Brintavolex::GUI {

namespace {
constexpr std::uint32_t KeyEscape = 27;
constexpr std::int64_t KeyRepeatBit = std::int64_t(1) << 30;
} // namespace

Panel::Panel() : _style(MakeShared<ViewerStyle>()) { SetEnabled(true); }

Panel::~Panel()
{
    if (_gui)
        _gui->RemovePanel(*this);
    // Detach the children while this is still a whole Panel.
    Clear();
}

Rect Panel::ChildClipRect() const
{
    const Rect r = GetRect();
    return Rect{0, 0, r.Width(), r.Height()};
}

void Panel::SetParent(Control *parent, Panel *, GUI *gui)
{
    if (gui) {
        _gui = gui;
        Control::SetParent(parent, this, gui);
        for (Control *child : Children())
            child->SetParent(this, this, gui);
    } else {
        for (Control *child : Children())
            child->SetParent(this, this, nullptr);
        _hot.Reset();
        _focused.Reset();
        _escapeArmed = false;
        Control::SetParent(parent, this, nullptr);
        _gui = nullptr;
    }
}

void Panel::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    Control::SetRect(x0, y0, x1, y1);
    RequestRepaint();
}

void Panel::SetScale(double scale)
{
    if (scale == _scale)
        return;
    _scale = scale;
    Invalidate();
    OnScaleChanged();
}

void Panel::SetStyle(SharedPtr<Style> style)
{
    _style = style ? std::move(style) : MakeShared<ViewerStyle>();
    Invalidate();
}

std::int32_t Panel::GUIUnit(double units) const
{
    return static_cast<std::int32_t>(units * _style->unit * ScaleOrOne());
}

void Panel::KeepInsideWorkArea()
{
    Rect r = GetRect();
    const Rect &a = _workArea;
    std::int32_t dx = 0, dy = 0;
    if (r.x1 > a.x1)
        dx = a.x1 - r.x1;
    if (r.x0 + dx < a.x0)
        dx = a.x0 - r.x0;
    if (r.y1 > a.y1)
        dy = a.y1 - r.y1;
    if (r.y0 + dy < a.y0)
        dy = a.y0 - r.y0;
    if (dx || dy)
        SetRect(r.x0 + dx, r.y0 + dy, r.x1 + dx, r.y1 + dy);
}

bool Panel::ContainsControl(const Control *control) const
{
    if (!control)
        return false;
    // Compares pointers only: control may already be gone.
    std::function<bool(const ControlList &)> search = [&](const ControlList &list) {
        for (const Control *child : list.Children()) {
            if (child == control)
                return true;
            if (auto *inner = dynamic_cast<const ControlList *>(child); inner && search(*inner))
                return true;
        }
        return false;
    };
    return search(*this);
}

Control *Panel::Validate(Control *control) const { return ContainsControl(control) ? control : nullptr; }

bool Panel::IsShown(const Control &control) const
{
    for (const Control *c = &control; c && c != this; c = c->GetParent())
        if (!c->IsVisible())
            return false;
    return true;
}

// ---- pointer routing ----

Control *Panel::Route(Event event, std::int32_t x, std::int32_t y)
{
    const std::int32_t lx = LocalX(x), ly = LocalY(y);
    Control *hot = _hot.Get();
    if (hot && !IsShown(*hot)) {
        // A control that was hidden gives up the pointer.
        _hot.Reset();
        hot->OnMouseLeave();
        hot = nullptr;
    }
    if (!hot) {
        hot = Validate(ControlList::OnMouseEnter(lx, ly));
        _hot = hot;
        if (!hot) {
            // No child takes it: the panel's own input.
            switch (event) {
            case Event::Move: OnOwnMouseMove(lx, ly); break;
            case Event::Down: OnOwnMouseLButtonDown(lx, ly); break;
            case Event::Up: OnOwnMouseLButtonUp(lx, ly); break;
            }
            return nullptr;
        }
    }
    if (event == Event::Down) {
        SetFocus(hot);
        hot = _hot.Get();
        if (!hot)
            return nullptr;
    }
    ControlRef<Control> hotRef(hot);
    Control *returned = nullptr;
    switch (event) {
    case Event::Move: returned = hot->OnMouseMove(lx, ly); break;
    case Event::Down: returned = hot->OnMouseLButtonDown(lx, ly); break;
    case Event::Up: returned = hot->OnMouseLButtonUp(lx, ly); break;
    }
    // The handler may have destroyed or detached controls, itself included.
    returned = Validate(returned);
    ControlRef<Control> returnedRef(returned);
    if (Control *oldHot = hotRef.Get(); oldHot && oldHot != returned)
        oldHot->OnMouseLeave();
    returned = returnedRef.Get();
    _hot = returned;
    if (!returned) {
        Control *under = Validate(ControlList::OnMouseEnter(lx, ly));
        _hot = under;
        if (under && event == Event::Move) {
            ControlRef<Control> underRef(under);
            Control *kept = Validate(under->OnMouseMove(lx, ly));
            if (!kept && underRef.Get() == under) {
                // Entered and left within one move.
                under->OnMouseLeave();
                _hot.Reset();
            }
        }
    }
    return nullptr;
}

Control *Panel::OnMouseMove(std::int32_t x, std::int32_t y) { return Route(Event::Move, x, y); }
Control *Panel::OnMouseLButtonDown(std::int32_t x, std::int32_t y) { return Route(Event::Down, x, y); }
Control *Panel::OnMouseLButtonUp(std::int32_t x, std::int32_t y) { return Route(Event::Up, x, y); }

int Panel::OnMouseLeave()
{
    if (Control *hot = _hot.Get()) {
        _hot.Reset();
        hot->OnMouseLeave();
    }
    return 0;
}

int Panel::OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y)
{
    // Offered to the deepest control under the point, then to its ancestors.
    const std::int32_t lx = LocalX(x), ly = LocalY(y);
    Control *target = nullptr;
    for (const ControlList *list = this; list;) {
        Control *child = list->ChildAt(lx, ly);
        if (!child)
            break;
        target = child;
        list = dynamic_cast<const ControlList *>(child);
    }
    ControlRef<Control> current(target);
    while (Control *c = current.Get()) {
        if (c == this)
            break;
        ControlRef<Control> parent(c->GetParent());
        if (int result = c->OnMouseWheel(word, x, y))
            return result;
        current = parent;
    }
    return 0;
}

// ---- focus and keys ----

void Panel::SetFocus(Control *control)
{
    if (_focused.Get() == control)
        return;
    if (!_gui || _gui->GetActivePanel() != this)
        return;
    ControlRef<Control> next(control);
    // Kill-focus handlers may move the focus themselves: repeat until no
    // other control holds it.
    while (Control *old = _focused.Get()) {
        if (old == next.Get())
            return;
        _focused.Reset();
        old->OnKillFocus();
    }
    control = Validate(next.Get());
    if (!control)
        return;
    _focused = control;
    control->OnSetFocus();
}

bool Panel::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    ControlRef<Control> current(_focused);
    while (Control *c = current.Get()) {
        if (c == this)
            break;
        ControlRef<Control> parent(c->GetParent());
        if (c->OnKeyDown(key, flags))
            return true;
        current = parent;
    }
    if (key == KeyEscape) {
        if (!(flags & KeyRepeatBit))
            _escapeArmed = true;
        return true;
    }
    return false;
}

bool Panel::OnKeyUp(std::uint32_t key, std::int64_t flags)
{
    ControlRef<Control> current(_focused);
    while (Control *c = current.Get()) {
        if (c == this)
            break;
        ControlRef<Control> parent(c->GetParent());
        if (c->OnKeyUp(key, flags))
            return true;
        current = parent;
    }
    if (key == KeyEscape) {
        // Only a release whose press this panel saw clicks the close button.
        const bool armed = _escapeArmed;
        _escapeArmed = false;
        if (armed)
            _closeAction();
        return true;
    }
    return false;
}

bool Panel::OnCharacter(std::uint32_t character)
{
    ControlRef<Control> current(_focused);
    while (Control *c = current.Get()) {
        if (c == this)
            break;
        ControlRef<Control> parent(c->GetParent());
        if (c->OnCharacter(character))
            return true;
        current = parent;
    }
    return false;
}

// ---- drawing ----

Platform::Video::Context *Panel::GetContext() const
{
    return _gui ? _gui->GetContext().Get() : nullptr;
}

SharedPtr<Font> Panel::GetFont(FontRole role) const
{
    if (!_gui)
        return nullptr;
    return _gui->GetFont(_style->GetFontDescription(role), ScaleOrOne());
}

void Panel::DrawBackground()
{
    Platform::Video::Context *context = GetContext();
    if (!context)
        return;
    if (!IsBuilt() || _background.BuiltFor() != context) {
        _background.Clear();
        const Rect r = ChildClipRect();
        _background.AddRect(r, _style->panelBackground);
        _background.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _background.Draw();
}

void Panel::Draw()
{
    DrawBackground();
    ControlList::Draw();
}

bool Panel::DeleteContextObjects()
{
    _background.Release();
    SetBuilt(false);
    const bool children = ControlList::DeleteContextObjects();
    _renderer.Reset();
    return children;
}

void Panel::EnterPaint()
{
    if (_renderer)
        return;
    if (!_gui || !_gui->GetContext())
        throw Exception("Panel::EnterPaint: OnCreate failed");
    SharedPtr<Platform::Video::RenderWindow> window = _gui->CreatePanelWindow(*this);
    if (!window)
        throw Exception("Panel::EnterPaint: OnCreate failed");
    Platform::Video::RendererOptions options;
    options.layered = window->IsLayered();
    _renderer = _gui->GetContext()->CreateRenderer(window, options);
    if (!_renderer)
        throw Exception("Panel::EnterPaint: OnCreate failed");
}

bool Panel::Paint()
{
    EnterPaint();
    Platform::Video::Context &context = _renderer->GetContext();
    const Rect r = GetRect();
    _renderer->Resize(static_cast<std::uint32_t>(std::max(r.Width(), 0)),
                      static_cast<std::uint32_t>(std::max(r.Height(), 0)));
    context.SetRenderTarget(_renderer);
    context.State().clearColor = Data::ColorBGRA<float>{0, 0, 0, 0};
    _renderer->BeginPaint();
    _renderer->EnableBlending();
    Draw();
    _renderer->EndPaint();
    const bool presented = _renderer->Present();
    context.ResetRenderTarget();
    return presented;
}

// ---- panel with a title line ----

PanelWithTransparentTitle::~PanelWithTransparentTitle() { EndMove(); }

void PanelWithTransparentTitle::SetTitle(StringExpr german, StringExpr english)
{
    _title[0] = String(german);
    _title[1] = String(english);
    Invalidate();
    if (GUI *gui = GetGUI())
        gui->OnPanelTitleChanged(*this);
}

String PanelWithTransparentTitle::GetWindowTitle() const { return _title[GetLanguageIndex() & 1]; }

void PanelWithTransparentTitle::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui)
        EndMove();
    Panel::SetParent(parent, panel, gui);
}

void PanelWithTransparentTitle::OnOwnMouseLButtonDown(std::int32_t x, std::int32_t y)
{
    GUI *gui = GetGUI();
    if (!gui || y < 0 || y >= TitleHeight() || x < 0 || x >= GetRect().Width())
        return;
    const bool isRoot = gui->GetRootPanel().Get() == this;
    if (isRoot && gui->IsDoubleClick()) {
        gui->SetMaximized(!gui->IsMaximized());
        return;
    }
    // A maximised window stays where it is.
    if (!_movable || (isRoot && gui->IsMaximized()))
        return;
    // The listeners see every move until the release, wherever the pointer goes.
    _moving = true;
    _grabX = x;
    _grabY = y;
    gui->AddMouseMoveListener(*this);
    gui->AddMouseLButtonUpListener(*this);
}

int PanelWithTransparentTitle::MouseMoveNotify(std::int32_t x, std::int32_t y)
{
    if (!_moving)
        return 0;
    const Rect r = GetRect();
    const std::int32_t x0 = x - _grabX, y0 = y - _grabY;
    if (x0 != r.x0 || y0 != r.y0)
        SetRect(x0, y0, x0 + r.Width(), y0 + r.Height());
    return 1;
}

int PanelWithTransparentTitle::MouseLButtonUpNotify(std::int32_t x, std::int32_t y)
{
    if (!_moving)
        return 0;
    MouseMoveNotify(x, y);
    EndMove();
    return 1;
}

void PanelWithTransparentTitle::EndMove()
{
    if (!_moving)
        return;
    _moving = false;
    if (GUI *gui = GetGUI()) {
        gui->RemoveMouseMoveListener(*this);
        gui->RemoveMouseLButtonUpListener(*this);
    }
}

std::int32_t PanelWithTransparentTitle::TitleHeight() const
{
    return _titleShown ? GUIUnit(GetStyle()->titleHeight) : 0;
}

void PanelWithTransparentTitle::SetTitleShown(bool shown)
{
    if (shown == _titleShown)
        return;
    _titleShown = shown;
    if (!shown)
        EndMove();
    Invalidate();
}

bool PanelWithTransparentTitle::DeleteContextObjects()
{
    _titleBatch.Release();
    return Panel::DeleteContextObjects();
}

void PanelWithTransparentTitle::Draw()
{
    Platform::Video::Context *context = GetContext();
    // The colorization colours of the desktop, when the GUI has them, show
    // whether the panel is active; otherwise the style's colour.
    Color background = GetStyle()->titleBackground;
    Color text = GetStyle()->titleText;
    if (GUI *gui = GetGUI(); gui && gui->HasTitleColors()) {
        background = gui->TitleColor(gui->IsPanelActive(*this));
        const float luminance = 0.299f * background.r + 0.587f * background.g + 0.114f * background.b;
        text = luminance > 0.5f ? Color{0, 0, 0, 1} : Color{1, 1, 1, 1};
    }
    const bool rebuild = !IsBuilt() || _titleBatch.BuiltFor() != context || !(background == _titleBuiltWith);
    Panel::Draw();
    if (!context || !_titleShown)
        return;
    // The title line lies over the content.
    if (rebuild) {
        _titleBatch.Clear();
        const Rect r = ChildClipRect();
        const std::int32_t h = TitleHeight();
        _titleBatch.AddRect(Rect{0, 0, r.x1, h}, background);
        if (SharedPtr<Font> font = GetFont(FontRole::Title)) {
            const String &title = _title[GetLanguageIndex() & 1];
            _titleBatch.AddText(*font, GUIUnit(GetStyle()->padding), (h - font->LineHeight()) / 2, title, text);
        }
        _titleBatch.Upload(context->SharedFromThis<Platform::Video::Context>());
        _titleBuiltWith = background;
    }
    _titleBatch.Draw();
}

} // namespace Brintavolex::GUI
