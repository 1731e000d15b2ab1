#include "GUI/api/Slider.h"

#include "GUI/api/GUI.h"
#include "GUI/src/WidgetSupport.h"
#include "Platform/api/ErrorLog.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace Brintavolex::GUI {

using namespace WidgetSupport;

namespace {
constexpr double kMinimumKnobUnits = 10.0;
// A press on the track without a page moves a tenth of the range.
constexpr double kTrackPressFraction = 0.1;
constexpr std::int32_t kWheelNotch = 120;
constexpr double kIsPositionMarkUnits = 2.0;
constexpr double kScrollBarThicknessUnits = 16.0;

std::int32_t Truncate(double v) noexcept
{
    return v >= 1e9 ? 1000000000 : v <= -1e9 ? -1000000000 : static_cast<std::int32_t>(v);
}

// The same rectangle with its start and length along the axis replaced.
Rect AlongAxis(const Rect &r, bool vertical, std::int32_t start, std::int32_t length)
{
    return vertical ? Rect{r.x0, start, r.x1, start + length} : Rect{start, r.y0, start + length, r.y1};
}
} // namespace

// ---- GenericSliderButton ----

GenericSliderButton::~GenericSliderButton() { EndDrag(); }

bool GenericSliderButton::EndDrag()
{
    if (_listeningOn) {
        _listeningOn->RemoveMouseMoveListener(*this);
        _listeningOn->RemoveMouseLButtonUpListener(*this);
        _listeningOn = nullptr;
    }
    const bool was = _dragging;
    _dragging = false;
    return was;
}

Control *GenericSliderButton::OnMouseLButtonDown(std::int32_t x, std::int32_t y)
{
    // A disabled knob does not move.
    if (!IsEnabled())
        return this;
    Panel *panel = GetPanel();
    GUI *gui = GetGUI();
    _lastX = x + (panel ? panel->GetRect().x0 : 0);
    _lastY = y + (panel ? panel->GetRect().y0 : 0);
    _dx = _dy = 0;
    if (gui && !_listeningOn) {
        gui->AddMouseMoveListener(*this);
        gui->AddMouseLButtonUpListener(*this);
        _listeningOn = gui;
    }
    _dragging = true;
    ControlRef<Control> alive(this);
    _onDragStart(*this);
    if (!alive)
        return nullptr;
    return Button::OnMouseLButtonDown(x, y);
}

int GenericSliderButton::MouseMoveNotify(std::int32_t x, std::int32_t y)
{
    if (!_dragging)
        return 0;
    _dx = x - _lastX;
    _dy = y - _lastY;
    _lastX = x;
    _lastY = y;
    RequestRepaint();
    ControlRef<Control> alive(this);
    _onDrag(*this);
    if (alive)
        Button::MouseMoveNotify(x, y);
    return 1;
}

int GenericSliderButton::MouseLButtonUpNotify(std::int32_t x, std::int32_t y)
{
    if (!EndDrag())
        return 0;
    _dx = x - _lastX;
    _dy = y - _lastY;
    _lastX = x;
    _lastY = y;
    ControlRef<Control> alive(this);
    _onDragEnd(*this);
    if (alive)
        _onReleased(*this);
    if (alive)
        Button::MouseLButtonUpNotify(x, y);
    return 1;
}

int GenericSliderButton::OnMouseLeave()
{
    const bool dragged = EndDrag();
    ControlRef<Control> alive(this);
    if (dragged)
        _onDragEnd(*this);
    return alive ? Button::OnMouseLeave() : 0;
}

void GenericSliderButton::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    if (!gui)
        EndDrag();
    Button::SetParent(parent, panel, gui);
}

std::optional<Color> SliderButton::BackgroundColor() const
{
    const Style &style = StyleOf(*this);
    switch (CurrentState()) {
    case State::Disabled: return style.disabled.background;
    case State::Hovered:
    case State::Pressed: return style.hovered.border;
    default: return style.sliderKnob;
    }
}

// ---- Slider ----

Slider::Slider(bool vertical) : _vertical(vertical)
{
    SetEnabled(true);
    Add(_knob);
    _knob.OnDragStart().Reset(&Slider::KnobDragStart, this);
    _knob.OnDrag().Reset(&Slider::KnobDrag, this);
    _knob.OnDragEnd().Reset(&Slider::KnobDragEnd, this);
    UpdateEnabledState();
}

Slider::~Slider() = default;

std::int32_t Slider::TrackLength() const
{
    const Rect t = TrackRect();
    return std::max(0, _vertical ? t.Height() : t.Width());
}

std::int32_t Slider::GetKnobLength() const
{
    const std::int32_t length = TrackLength();
    const double span = _max - _min + _page;
    // Nothing to move through: the knob fills the track.
    double k = span > 0 ? std::round(double(length) * _page / span) : double(length);
    k = std::max(k, double(Truncate(kMinimumKnobUnits * ScaleOf(*this))));
    return std::clamp(Truncate(k), 0, length);
}

double Slider::PositionFromPixels(double pixels) const
{
    const double free = double(TrackLength() - GetKnobLength());
    if (!(free > 0) || !(_max > _min) || !std::isfinite(pixels))
        return 0;
    return (_max - _min) * pixels / free;
}

std::int32_t Slider::KnobOffset() const
{
    const std::int32_t free = TrackLength() - GetKnobLength();
    if (free <= 0 || !(_max > _min))
        return 0;
    const double fraction = std::clamp((_position - _min) / (_max - _min), 0.0, 1.0);
    return Truncate(std::round(fraction * free));
}

void Slider::PlaceKnob()
{
    const Rect t = TrackRect();
    _knob.SetRect(AlongAxis(t, _vertical, (_vertical ? t.y0 : t.x0) + KnobOffset(), GetKnobLength()));
    SetBuilt(false);
}

void Slider::UpdateEnabledState() { _knob.SetEnabled(IsEnabled() && _max > _min); }

void Slider::SetEnabled(bool enabled)
{
    ControlList::SetEnabled(enabled);
    UpdateEnabledState();
}

void Slider::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    PlaceKnob();
}

void Slider::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    ControlList::SetParent(parent, panel, gui);
    // The knob's least length follows the panel's scale.
    PlaceKnob();
}

void Slider::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    PlaceKnob();
}

void Slider::SetRange(double minimum, double maximum, double page)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || !std::isfinite(page) || !std::isfinite(maximum - minimum + page))
        throw std::invalid_argument("Slider::SetRange: values must be finite");
    if (maximum < minimum || page < 0)
        throw std::invalid_argument("Slider::SetRange: needs minimum <= maximum and page >= 0");
    _min = minimum;
    _max = maximum;
    _page = page;
    _position = std::clamp(_position, _min, _max);
    UpdateEnabledState();
    PlaceKnob();
    RequestRepaint();
}

void Slider::SetPosition(double position)
{
    if (!std::isfinite(position))
        throw std::invalid_argument("Slider::SetPosition: position must be finite");
    _position = std::clamp(position, _min, _max);
    UpdateEnabledState();
    PlaceKnob();
    RequestRepaint();
}

void Slider::ChangePosition(double position)
{
    if (!std::isfinite(position))
        return;
    position = std::clamp(position, _min, _max);
    if (position == _position)
        return;
    _position = position;
    UpdateEnabledState();
    PlaceKnob();
    RequestRepaint();
    _onChange(); // last: the owner may destroy this slider
}

double Slider::Step() const
{
    if (_page > 0)
        return _page * ScrollBar::kStepFraction;
    // Without a page: the distance of one knob length.
    if (const double knob = PositionFromPixels(GetKnobLength()); knob > 0)
        return knob;
    return (_max - _min) * ScrollBar::kStepFraction;
}

void Slider::MoveBy(double delta) { ChangePosition(_position + delta); }

void Slider::KnobDragStart(GenericSliderButton &)
{
    _dragOffset = KnobOffset();
    _onDragStart();
}

void Slider::KnobDrag(GenericSliderButton &knob)
{
    _dragOffset += _vertical ? knob.Dy() : knob.Dx();
    // Past the ends the knob waits until the pointer comes back.
    const double free = std::max(0, TrackLength() - GetKnobLength());
    ChangePosition(_min + PositionFromPixels(std::clamp(_dragOffset, 0.0, free)));
}

void Slider::KnobDragEnd(GenericSliderButton &) { _onDragEnd(); }

Control *Slider::OnMouseEnter(std::int32_t x, std::int32_t y)
{
    if (Control *child = ChildAt(x, y))
        return child->OnMouseEnter(x, y);
    return this;
}

Control *Slider::OnMouseMove(std::int32_t x, std::int32_t y)
{
    if (Control *child = ChildAt(x, y))
        return child->OnMouseEnter(x, y);
    return GetRect().Contains(x, y) ? this : nullptr;
}

Control *Slider::OnMouseLButtonDown(std::int32_t x, std::int32_t y)
{
    if (!IsEnabled() || !(_max > _min))
        return this;
    const Rect knob = _knob.GetRect();
    const bool before = _vertical ? y < knob.y0 : x < knob.x0;
    const bool after = _vertical ? y >= knob.y1 : x >= knob.x1;
    const double page = _page > 0 ? _page : (_max - _min) * kTrackPressFraction;
    if (before || after)
        MoveBy(before ? -page : page);
    return this;
}

int Slider::OnMouseWheel(std::uint64_t word, std::int32_t, std::int32_t)
{
    if (!IsEnabled() || !(_max > _min))
        return 0;
    // Parts of a notch add up until a whole step is due.
    _wheelDelta += std::int16_t(std::uint16_t(word >> 16));
    const std::int32_t steps = _wheelDelta / kWheelNotch;
    _wheelDelta -= steps * kWheelNotch;
    if (steps)
        MoveBy(-steps * Step());
    return 1;
}

void Slider::BuildTrack(QuadBatch &batch) { batch.AddRect(TrackRect(), StyleOf(*this).sliderTrack); }

bool Slider::DeleteContextObjects()
{
    SetBuilt(false);
    const bool track = _track.Release();
    return ControlList::DeleteContextObjects() && track;
}

void Slider::Draw()
{
    Platform::Video::Context *context = ContextOf(*this);
    if (!context)
        return;
    if (!IsBuilt() || _track.BuiltFor() != context) {
        PlaceKnob();
        _track.Clear();
        BuildTrack(_track);
        _track.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _track.Draw();
    ControlList::Draw();
}

// ---- SliderXWithIsPosition ----

void SliderXWithIsPosition::SetIsPosition(double position)
{
    if (!std::isfinite(position))
        return;
    _isPosition = position;
    SetBuilt(false);
    RequestRepaint();
}

double SliderXWithIsPosition::GetIsPosition() const noexcept
{
    return std::clamp(_isPosition, GetMinimum(), GetMaximum());
}

void SliderXWithIsPosition::BuildTrack(QuadBatch &batch)
{
    Slider::BuildTrack(batch);
    const Rect t = TrackRect();
    const double range = GetMaximum() - GetMinimum();
    const std::int32_t knob = GetKnobLength();
    const std::int32_t free = std::max(0, t.Width() - knob);
    const double fraction = range > 0 ? std::clamp((GetIsPosition() - GetMinimum()) / range, 0.0, 1.0) : 0.0;
    // The mark sits where the knob's centre would be.
    const std::int32_t centre = t.x0 + Truncate(std::round(fraction * free)) + knob / 2;
    const std::int32_t half = std::max(1, Unit(*this, kIsPositionMarkUnits) / 2);
    batch.AddRect(Rect{centre - half, t.y0, centre + half, t.y1}, StyleOf(*this).checkMark);
}

// ---- ScrollBar ----

ScrollBar::IncrementDecrementButton::IncrementDecrementButton(bool increment, bool vertical)
    : _increment(increment), _vertical(vertical)
{
    SetFocusable(false);
}

void ScrollBar::IncrementDecrementButton::BuildContent(QuadBatch &batch)
{
    // A triangle of stacked bars pointing along the bar.
    const Rect r = GetRect();
    const std::int32_t size = std::min(r.Width(), r.Height()) / 2;
    const std::int32_t cx = r.x0 + r.Width() / 2, cy = r.y0 + r.Height() / 2;
    const Color color = TextColor();
    for (std::int32_t i = 0; i < size / 2; ++i) {
        // Row i from the tip: half-width i.
        const std::int32_t along = (_increment ? 1 : -1) * (size / 4 - i);
        if (_vertical)
            batch.AddRect(Rect{cx - i, cy + along, cx + i + 1, cy + along + 1}, color);
        else
            batch.AddRect(Rect{cx + along, cy - i, cx + along + 1, cy + i + 1}, color);
    }
}

ScrollBar::ScrollBar(bool vertical) : Slider(vertical), _decrement(false, vertical), _increment(true, vertical)
{
    Add(_decrement);
    Add(_increment);
    _decrement.OnPress().Reset(&ScrollBar::Decrement, this);
    _increment.OnPress().Reset(&ScrollBar::Increment, this);
    UpdateEnabledState();
}

void ScrollBar::Decrement(Button &) { MoveBy(-Step()); }
void ScrollBar::Increment(Button &) { MoveBy(Step()); }

void ScrollBar::UpdateEnabledState()
{
    Slider::UpdateEnabledState();
    const bool range = IsEnabled() && GetMaximum() > GetMinimum();
    _decrement.SetEnabled(range && GetPosition() > GetMinimum());
    _increment.SetEnabled(range && GetMaximum() > GetPosition());
}

void ScrollBar::SetEnabled(bool enabled) { Slider::SetEnabled(enabled); }

std::int32_t ScrollBar::ButtonLength() const
{
    const Rect r = GetRect();
    const std::int32_t thickness = IsVertical() ? r.Width() : r.Height();
    const std::int32_t length = IsVertical() ? r.Height() : r.Width();
    return std::clamp(thickness, 0, std::max(0, length / 2));
}

Rect ScrollBar::TrackRect() const
{
    const Rect r = GetRect();
    const std::int32_t b = ButtonLength();
    const std::int32_t start = (IsVertical() ? r.y0 : r.x0) + b;
    const std::int32_t length = std::max(0, (IsVertical() ? r.Height() : r.Width()) - 2 * b);
    return AlongAxis(r, IsVertical(), start, length);
}

void ScrollBar::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    Control::SetRect(x0, y0, x1, y1);
    const Rect r = GetRect();
    const std::int32_t b = ButtonLength();
    const std::int32_t end = IsVertical() ? r.y1 : r.x1;
    const std::int32_t start = IsVertical() ? r.y0 : r.x0;
    _decrement.SetRect(AlongAxis(r, IsVertical(), start, b));
    _increment.SetRect(AlongAxis(r, IsVertical(), std::max(start, end - b), b));
    PlaceKnob();
}

// ---- ScrollBars ----

ScrollBars::ScrollBars()
{
    SetEnabled(true);
    Add(_x);
    Add(_y);
}

std::int32_t ScrollBars::Thickness() const
{
    const Rect r = GetRect();
    const std::int32_t t = Unit(*this, kScrollBarThicknessUnits);
    return std::clamp(t, 0, std::max(0, std::min(r.Width(), r.Height()) / 2));
}

void ScrollBars::Layout()
{
    const Rect r = GetRect();
    const std::int32_t t = Thickness();
    _x.SetRect(r.x0, r.y1 - t, std::max(r.x0, r.x1 - t), r.y1);
    _y.SetRect(r.x1 - t, r.y0, r.x1, std::max(r.y0, r.y1 - t));
}

void ScrollBars::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    Layout();
}

void ScrollBars::SetParent(Control *parent, Panel *panel, GUI *gui)
{
    ControlList::SetParent(parent, panel, gui);
    Layout();
}

void ScrollBars::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    Layout();
}

bool ScrollBars::AcceptsPoint(std::int32_t x, std::int32_t y)
{
    return (_x.IsVisible() && _x.GetRect().Contains(x, y)) || (_y.IsVisible() && _y.GetRect().Contains(x, y));
}

} // namespace Brintavolex::GUI
