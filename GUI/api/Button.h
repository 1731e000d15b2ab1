#pragma once

// Push buttons with text or pictures: press and click callbacks, keyboard
// activation with Return or Space, and a tooltip per enabled state.

#include "GUI/api/Control.h"
#include "GUI/api/Drawing.h"
#include "GUI/api/Label.h"
#include "GUI/api/Tooltip.h"
#include "Data/api/Image2D.h"

#include <optional>

namespace Brintavolex::GUI {

class Button;

// The caption: a label in the colours of its button's state.
class ButtonLabel : public Label {
public:
    explicit ButtonLabel(Button &owner) : _owner(owner) { SetAlignment(AlignCentre); }
    bool AcceptsPoint(std::int32_t, std::int32_t) override { return false; }

protected:
    Color TextColor() const override;

private:
    Button &_owner;
};

class Button : public ControlList {
public:
    enum class State { Normal, Hovered, Pressed, Disabled, Focused };

    Button();
    explicit Button(const TextPair &caption);
    ~Button() override;

    void Draw() override;
    bool DeleteContextObjects() override;
    Control *OnMouseEnter(std::int32_t x, std::int32_t y) override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    int MouseMoveNotify(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override;
    int MouseLButtonUpNotify(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override;
    Control *OnSetFocus() override;
    int OnKillFocus() override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;
    bool OnKeyUp(std::uint32_t key, std::int64_t flags) override;
    void SetEnabled(bool enabled) override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;
    void OnScaleChanged() override;

    // The picture of the current state; null for a text button.
    virtual const SharedPtr<Data::Image2DBase> &PrepareImage();
    // Colours and metrics of the current state, from the panel's style.
    virtual std::optional<Color> BackgroundColor() const;
    virtual Color BorderColor() const;
    virtual Color TextColor() const;
    virtual std::int32_t BorderWidth() const;
    virtual std::int32_t ImagePadding() const;
    virtual Color ImageTint() const;
    // The drawing: frame and background, then picture and caption.
    virtual void BuildBackground(QuadBatch &batch);
    virtual void BuildContent(QuadBatch &batch);

    Function<Button &> &OnPress() noexcept { return _onPress; }
    Function<Button &> &OnClick() noexcept { return _onClick; }
    void SetCaption(const TextPair &caption) { _label.SetText(caption); }
    const TextPair &GetCaption() const { return _label.GetText(); }
    const ButtonLabel &GetLabel() const noexcept { return _label; }
    void SetTooltipTexts(const TextPair &enabled, const TextPair &disabled = TextPair{});
    const SharedPtr<Tooltip> &GetTooltip() const noexcept { return _tooltip; }
    // Null images are refused ("Button::SetImage: inputImage is nullptr" and alike).
    void SetImage(const SharedPtr<Data::Image2DBase> &image);
    void SetImageUp(const SharedPtr<Data::Image2DBase> &image);
    void SetImageDown(const SharedPtr<Data::Image2DBase> &image);
    void SetImageScale(double x, double y);
    void SetFocusable(bool focusable) noexcept { _focusable = focusable; }
    bool IsFocusable() const noexcept { return _focusable; }
    bool IsPressed() const noexcept { return _pressed; }
    bool IsKeyDown() const noexcept { return _keyDown; }
    bool IsHovered() const noexcept { return _hovered; }
    bool HasFocus() const noexcept { return _focused; }
    State CurrentState() const noexcept;

protected:
    // A click: the on-click callback (last: it may destroy the button).
    virtual void Clicked();
    const StateColors &StateColorsOf(State state) const;
    void MarkChanged();
    void ShowTooltip(std::int32_t pointerX);
    void HideTooltip();
    // Panel-relative point of a desktop point.
    void ToPanel(std::int32_t &x, std::int32_t &y) const;

private:
    Function<Button &> _onPress, _onClick;
    bool _focusable = true;
    bool _pressed = false;
    bool _keyDown = false;
    std::uint32_t _downKey = 0;
    bool _hovered = false;
    bool _focused = false;
    ButtonLabel _label;
    SharedPtr<Tooltip> _tooltip;
    TextPair _tooltipEnabled, _tooltipDisabled;
    SharedPtr<Data::Image2DBase> _imageUp, _imageDown;
    double _imageScale[2] = {1.0, 1.0};
    QuadBatch _batch;
    State _builtState = State::Normal;
};

// Draws no background: the picture or caption alone.
class TransparentBackgroundButton : public Button {
public:
    using Button::Button;
    std::optional<Color> BackgroundColor() const override { return std::nullopt; }
};

// A toggle with a picture and tooltip for each of its two states; a click
// switches the state before the click callback runs.
class TwoStateButton : public TransparentBackgroundButton {
public:
    TwoStateButton();
    void SetImages(const SharedPtr<Data::Image2DBase> &normal, const SharedPtr<Data::Image2DBase> &active);
    void SetStateTooltips(const TextPair &normal, const TextPair &active);
    bool IsActive() const noexcept { return _active; }
    // Sets the state without reporting it.
    void SetActive(bool active);
    const SharedPtr<Data::Image2DBase> &PrepareImage() override;
    bool DeleteContextObjects() override;

protected:
    void Clicked() override;

private:
    SharedPtr<Data::Image2DBase> _images[2];
    TextPair _tooltips[2];
    bool _active = false;
};

} // namespace Brintavolex::GUI
