#pragma once

// Range controls: a track with a draggable knob for a position inside
// [minimum, maximum], scroll bars with step buttons at both ends, and the
// pair of scroll bars of a scrollable view. Every position they report is
// finite and inside the range, also for an empty range or a track shorter
// than the knob.

#include "GUI/api/Button.h"
#include "GUI/api/Control.h"
#include "GUI/api/Drawing.h"

namespace Brintavolex::GUI {

// A button that reports a drag: it remembers the pointer's last desktop
// position and movement, and while held sees every move and the release.
class GenericSliderButton : public Button {
public:
    ~GenericSliderButton() override;
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    int MouseMoveNotify(std::int32_t x, std::int32_t y) override;
    int MouseLButtonUpNotify(std::int32_t x, std::int32_t y) override;
    int OnMouseLeave() override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;

    Function<GenericSliderButton &> &OnDragStart() noexcept { return _onDragStart; }
    Function<GenericSliderButton &> &OnDrag() noexcept { return _onDrag; }
    Function<GenericSliderButton &> &OnDragEnd() noexcept { return _onDragEnd; }
    Function<GenericSliderButton &> &OnReleased() noexcept { return _onReleased; }
    bool IsDragging() const noexcept { return _dragging; }
    std::int32_t LastX() const noexcept { return _lastX; }
    std::int32_t LastY() const noexcept { return _lastY; }
    std::int32_t Dx() const noexcept { return _dx; }
    std::int32_t Dy() const noexcept { return _dy; }

private:
    // Ends the drag; true when one was under way.
    bool EndDrag();
    Function<GenericSliderButton &> _onDragStart, _onDrag, _onDragEnd, _onReleased;
    GUI *_listeningOn = nullptr;
    bool _dragging = false;
    std::int32_t _lastX = 0, _lastY = 0, _dx = 0, _dy = 0;
};

// The knob, in the style's knob colour.
class SliderButton : public GenericSliderButton {
public:
    SliderButton() { SetFocusable(false); }
    std::optional<Color> BackgroundColor() const override;
};

class Slider : public ControlList {
public:
    explicit Slider(bool vertical = false);
    ~Slider() override;

    void Draw() override;
    bool DeleteContextObjects() override;
    Control *OnMouseEnter(std::int32_t x, std::int32_t y) override;
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    // A press on the track outside the knob moves a page towards the pointer.
    Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    int OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y) override;
    void SetEnabled(bool enabled) override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;
    void OnScaleChanged() override;

    // Pixels: L x page / (range + page), at least 10 GUI pixels, at most the
    // track; the whole track when range and page are both 0.
    virtual std::int32_t GetKnobLength() const;
    // A knob offset along the free part of the track as a distance in the
    // range; 0 when the knob cannot move.
    virtual double PositionFromPixels(double pixels) const;
    virtual std::int32_t TrackLength() const;
    virtual void PlaceKnob();
    virtual void UpdateEnabledState();

    // Throws std::invalid_argument unless all are finite, minimum <= maximum
    // and page >= 0; the position is kept inside the new range.
    void SetRange(double minimum, double maximum, double page);
    // Clamped into the range, without reporting it; a value that is not
    // finite throws std::invalid_argument.
    void SetPosition(double position);
    double GetMinimum() const noexcept { return _min; }
    double GetMaximum() const noexcept { return _max; }
    double GetPage() const noexcept { return _page; }
    double GetPosition() const noexcept { return _position; }
    // The wheel and step-button distance.
    double Step() const;
    // Moves by delta inside the range and reports a change.
    void MoveBy(double delta);

    // After every change of the position by the user.
    Function2<void()> &OnChange() noexcept { return _onChange; }
    Function2<void()> &OnDragStart() noexcept { return _onDragStart; }
    Function2<void()> &OnDragEnd() noexcept { return _onDragEnd; }
    SliderButton &GetKnob() noexcept { return _knob; }
    bool IsVertical() const noexcept { return _vertical; }

protected:
    // The part of the rectangle the knob moves along.
    virtual Rect TrackRect() const { return GetRect(); }
    virtual void BuildTrack(QuadBatch &batch);
    // The knob's pixel offset for the position.
    std::int32_t KnobOffset() const;
    // Sets the position (clamped) and reports a change.
    void ChangePosition(double position);

private:
    void KnobDragStart(GenericSliderButton &);
    void KnobDrag(GenericSliderButton &);
    void KnobDragEnd(GenericSliderButton &);

    bool _vertical;
    SliderButton _knob;
    double _min = 0, _max = 0, _position = 0, _page = 0;
    double _dragOffset = 0;
    std::int32_t _wheelDelta = 0;
    QuadBatch _track;
    Function2<void()> _onChange, _onDragStart, _onDragEnd;
};

class SliderX : public Slider {
public:
    SliderX() : Slider(false) {}
};

class SliderY : public Slider {
public:
    SliderY() : Slider(true) {}
};

// A horizontal slider that also marks a second position of its own (where
// playback is while the user drags).
class SliderXWithIsPosition : public SliderX {
public:
    // A value that is not finite is ignored.
    void SetIsPosition(double position);
    // Inside the range, also after the range changed.
    double GetIsPosition() const noexcept;

protected:
    void BuildTrack(QuadBatch &batch) override;

private:
    double _isPosition = 0;
};

class ScrollBar : public Slider {
public:
    // An end button, drawn as an arrow.
    class IncrementDecrementButton : public GenericSliderButton {
    public:
        IncrementDecrementButton(bool increment, bool vertical);
        void BuildContent(QuadBatch &batch) override;

    private:
        bool _increment, _vertical;
    };

    static constexpr double kStepFraction = 0.125;

    explicit ScrollBar(bool vertical);
    void UpdateEnabledState() override;
    void SetEnabled(bool enabled) override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    IncrementDecrementButton &GetDecrementButton() noexcept { return _decrement; }
    IncrementDecrementButton &GetIncrementButton() noexcept { return _increment; }

protected:
    Rect TrackRect() const override;

private:
    void Decrement(Button &);
    void Increment(Button &);
    // Length of an end button along the bar.
    std::int32_t ButtonLength() const;
    IncrementDecrementButton _decrement, _increment;
};

class ScrollBarX : public ScrollBar {
public:
    ScrollBarX() : ScrollBar(false) {}
};

class ScrollBarY : public ScrollBar {
public:
    ScrollBarY() : ScrollBar(true) {}
};

// A horizontal bar along the bottom and a vertical one along the right
// edge, the corner between them left free.
class ScrollBars : public ControlList {
public:
    ScrollBars();
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    bool AcceptsPoint(std::int32_t x, std::int32_t y) override;
    void OnScaleChanged() override;
    void SetParent(Control *parent, Panel *panel, GUI *gui) override;
    ScrollBarX &X() noexcept { return _x; }
    ScrollBarY &Y() noexcept { return _y; }
    std::int32_t Thickness() const;

private:
    void Layout();
    ScrollBarX _x;
    ScrollBarY _y;
};

} // namespace Brintavolex::GUI
