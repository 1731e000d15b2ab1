#include "GUI/api/Button.h"

#include "GUI/api/GUI.h"
#include "GUI/src/WidgetSupport.h"
#include "Platform/api/ErrorLog.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Brintavolex::GUI {

using namespace WidgetSupport;

namespace {
constexpr std::uint32_t KeyReturn = 13, KeySpace = 32;
constexpr float kDisabledImageAlpha = 0.4f;
constexpr double kImagePaddingUnits = 2.0;

bool IsActivationKey(std::uint32_t key) noexcept { return key == KeyReturn || key == KeySpace; }
} // namespace

Color ButtonLabel::TextColor() const { return _owner.TextColor(); }

Button::Button() : _label(*this), _tooltip(MakeShared<Tooltip>())
{
    Add(_label);
    SetEnabled(true);
}

Button::Button(const TextPair &caption) : Button() { _label.SetText(caption); }

Button::~Button() { _tooltip->Hide(); }

Button::State Button::CurrentState() const noexcept
{
    if (!IsEnabled())
        return State::Disabled;
    if (_pressed || _keyDown)
        return State::Pressed;
    if (_hovered)
        return State::Hovered;
    if (_focused)
        return State::Focused;
    return State::Normal;
}

const StateColors &Button::StateColorsOf(State state) const
{
    const Style &style = StyleOf(*this);
    switch (state) {
    case State::Hovered: return style.hovered;
    case State::Pressed: return style.pressed;
    case State::Disabled: return style.disabled;
    case State::Focused: return style.focused;
    case State::Normal: break;
    }
    return style.normal;
}

std::optional<Color> Button::BackgroundColor() const { return StateColorsOf(CurrentState()).background; }
Color Button::BorderColor() const { return StateColorsOf(CurrentState()).border; }
Color Button::TextColor() const { return StateColorsOf(CurrentState()).text; }
std::int32_t Button::BorderWidth() const { return std::max(1, Unit(*this, 1)); }
std::int32_t Button::ImagePadding() const { return Unit(*this, kImagePaddingUnits); }
Color Button::ImageTint() const { return Color{1, 1, 1, IsEnabled() ? 1.0f : kDisabledImageAlpha}; }

const SharedPtr<Data::Image2DBase> &Button::PrepareImage()
{
    if ((_pressed || _keyDown) && _imageDown)
        return _imageDown;
    return _imageUp;
}

void Button::MarkChanged()
{
    Invalidate();
    RequestRepaint();
}

void Button::ToPanel(std::int32_t &x, std::int32_t &y) const
{
    if (Panel *panel = GetPanel()) {
        x -= panel->GetRect().x0;
        y -= panel->GetRect().y0;
    }
}

// ---- texts and pictures ----

void Button::SetTooltipTexts(const TextPair &enabled, const TextPair &disabled)
{
    _tooltipEnabled = enabled;
    _tooltipDisabled = disabled;
}

void Button::SetImage(const SharedPtr<Data::Image2DBase> &image)
{
    if (!image)
        throw std::invalid_argument("Button::SetImage: inputImage is nullptr");
    _imageUp = image;
    _imageDown = image;
    MarkChanged();
}

void Button::SetImageUp(const SharedPtr<Data::Image2DBase> &image)
{
    if (!image)
        throw std::invalid_argument("Button::SetImageUp: inputImage is nullptr");
    _imageUp = image;
    MarkChanged();
}

void Button::SetImageDown(const SharedPtr<Data::Image2DBase> &image)
{
    if (!image)
        throw std::invalid_argument("Button::SetImageDown: inputImage is nullptr");
    _imageDown = image;
    MarkChanged();
}

void Button::SetImageScale(double x, double y)
{
    if (!(x > 0 && y > 0 && std::isfinite(x) && std::isfinite(y)))
        throw std::invalid_argument("Button::SetImageScale: scales must be positive and finite");
    _imageScale[0] = x;
    _imageScale[1] = y;
    MarkChanged();
}

// ---- drawing ----

void Button::BuildBackground(QuadBatch &batch)
{
    const Rect r = GetRect();
    if (const std::optional<Color> background = BackgroundColor()) {
        batch.AddRect(r, *background);
        batch.AddFrame(r, std::min(BorderWidth(), std::min(r.Width(), r.Height()) / 2), BorderColor());
    }
}

void Button::BuildContent(QuadBatch &batch)
{
    const Rect r = GetRect();
    Rect text = r;
    if (const SharedPtr<Data::Image2DBase> &image = PrepareImage()) {
        const double s = ScaleOf(*this);
        const auto w = std::int32_t(std::min<double>(double(image->GetWidth()) * _imageScale[0] * s, r.Width()));
        const auto h = std::int32_t(std::min<double>(double(image->GetHeight()) * _imageScale[1] * s, r.Height()));
        const bool captioned = Locale::Pick(_label.GetText()).Length() != 0;
        const std::int32_t x0 = captioned ? r.x0 + ImagePadding() : r.x0 + (r.Width() - w) / 2;
        const std::int32_t y0 = r.y0 + (r.Height() - h) / 2;
        batch.AddImage(Rect{x0, y0, x0 + w, y0 + h}, image, ImageTint());
        if (captioned)
            text.x0 = std::min(r.x1, x0 + w);
    }
    _label.SetRect(text);
}

void Button::Draw()
{
    Platform::Video::Context *context = ContextOf(*this);
    if (!context)
        return;
    if (!IsBuilt() || _batch.BuiltFor() != context) {
        _batch.Clear();
        BuildBackground(_batch);
        BuildContent(_batch);
        _batch.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _batch.Draw();
    ControlList::Draw();
}

bool Button::DeleteContextObjects()
{
    SetBuilt(false);
    bool released = _batch.Release();
    released = ControlList::DeleteContextObjects() && released;
    released = _tooltip->DeleteContextObjects() && released;
    if (!released)
        BRINTAVOLEX_LOG("Button::DeleteContextObjects");
    return released;
}

void Button::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    _label.SetRect(x0, y0, x1, y1);
}

// ---- input ----

void Button::ShowTooltip(std::int32_t pointerX)
{
    if (Panel *panel = GetPanel())
        _tooltip->Show(*panel, *this, pointerX, IsEnabled() ? _tooltipEnabled : _tooltipDisabled);
}

void Button::HideTooltip() { _tooltip->Hide(); }

Control *Button::OnMouseEnter(std::int32_t x, std::int32_t)
{
    _hovered = true;
    MarkChanged();
    ShowTooltip(x);
    return this;
}

Control *Button::OnMouseMove(std::int32_t x, std::int32_t y)
{
    if (GetRect().Contains(x, y)) {
        if (!_hovered) {
            _hovered = true;
            if (IsEnabled())
                MarkChanged();
        }
        return this;
    }
    if (_hovered) {
        _hovered = false;
        if (IsEnabled())
            MarkChanged();
    }
    // A pressed button keeps the pointer until the release.
    if (_pressed)
        return this;
    HideTooltip();
    return nullptr;
}

int Button::MouseMoveNotify(std::int32_t x, std::int32_t y)
{
    ToPanel(x, y);
    OnMouseMove(x, y);
    return 0;
}

Control *Button::OnMouseLButtonDown(std::int32_t, std::int32_t)
{
    if (IsEnabled()) {
        _pressed = true;
        MarkChanged();
        _onPress(*this); // last: the handler may destroy this button
    }
    return this;
}

Control *Button::OnMouseLButtonUp(std::int32_t x, std::int32_t y)
{
    if (!GetRect().Contains(x, y)) {
        _pressed = false;
        _hovered = false;
        MarkChanged();
        HideTooltip();
        return nullptr;
    }
    if (_pressed) {
        _pressed = false;
        MarkChanged();
        if (IsEnabled() && !_keyDown)
            Clicked(); // last: the handler may destroy this button
    }
    return this;
}

int Button::MouseLButtonUpNotify(std::int32_t x, std::int32_t y)
{
    ToPanel(x, y);
    OnMouseLButtonUp(x, y);
    return 0;
}

int Button::OnMouseLeave()
{
    _pressed = false;
    _hovered = false;
    MarkChanged();
    HideTooltip();
    return 0;
}

Control *Button::OnSetFocus()
{
    _focused = true;
    MarkChanged();
    return this;
}

int Button::OnKillFocus()
{
    _keyDown = false;
    _focused = false;
    MarkChanged();
    return 0;
}

bool Button::OnKeyDown(std::uint32_t key, std::int64_t)
{
    if (!IsEnabled() || !_focused || !_focusable || !IsActivationKey(key))
        return false;
    _keyDown = true;
    _downKey = key;
    MarkChanged();
    return true;
}

bool Button::OnKeyUp(std::uint32_t key, std::int64_t)
{
    // Only the release of a key that went down on this button clicks: the
    // release of a key that confirmed something else must not.
    if (!IsEnabled() || !_focused || !_focusable || !_keyDown || key != _downKey)
        return false;
    _keyDown = false;
    MarkChanged();
    if (!_pressed)
        Clicked(); // last: the handler may destroy this button
    return true;
}

void Button::Clicked() { _onClick(*this); }

void Button::SetEnabled(bool enabled)
{
    _label.SetEnabled(enabled);
    ControlList::SetEnabled(enabled);
    if (!enabled)
        _pressed = _keyDown = false;
    MarkChanged();
}

void Button::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui) {
        _pressed = _keyDown = _hovered = _focused = false;
        HideTooltip();
    }
    ControlList::SetParent(parent, panel, gui);
}

void Button::OnScaleChanged()
{
    if (Panel *panel = GetPanel())
        _tooltip->SetScale(panel->ScaleOrOne());
    ControlList::OnScaleChanged();
}

// ---- TwoStateButton ----

TwoStateButton::TwoStateButton() = default;

void TwoStateButton::SetImages(const SharedPtr<Data::Image2DBase> &normal, const SharedPtr<Data::Image2DBase> &active)
{
    if (!normal || !active)
        throw std::invalid_argument("TwoStateButton::SetImages: inputImage is nullptr");
    _images[0] = normal;
    _images[1] = active;
    MarkChanged();
}

void TwoStateButton::SetStateTooltips(const TextPair &normal, const TextPair &active)
{
    _tooltips[0] = normal;
    _tooltips[1] = active;
    SetTooltipTexts(_tooltips[_active ? 1 : 0]);
}

void TwoStateButton::SetActive(bool active)
{
    _active = active;
    SetTooltipTexts(_tooltips[_active ? 1 : 0]);
    MarkChanged();
}

const SharedPtr<Data::Image2DBase> &TwoStateButton::PrepareImage()
{
    if (const SharedPtr<Data::Image2DBase> &image = _images[_active ? 1 : 0])
        return image;
    return Button::PrepareImage();
}

void TwoStateButton::Clicked()
{
    SetActive(!_active);
    Button::Clicked();
}

bool TwoStateButton::DeleteContextObjects()
{
    const bool released = Button::DeleteContextObjects();
    if (!released)
        BRINTAVOLEX_LOG("TwoStateButton::DeleteContextObjects");
    return released;
}

} // namespace Brintavolex::GUI
