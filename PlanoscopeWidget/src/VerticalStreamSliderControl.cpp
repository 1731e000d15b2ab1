#include "PlanoscopeWidget/api/VerticalStreamSliderControl.h"

#include "GUI/api/GUI.h"
#include "GUI/api/Icons.h"
#include "GUI/api/Panel.h"
#include "Platform/api/CommandTexts.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace Brintavolex {

namespace {
// Lengths in units of the style's size metric.
constexpr double kButtonHeight = 24, kMargin = 4, kSliderWidth = 16, kColumnMargin = 2;
constexpr std::uint32_t kShortestDelay = 100, kDelaysShownAsShortest = 10;

const TextPair kPlay{String("Abspielen"), String("Play")};
const TextPair kPause{String("Anhalten"), String("Pause")};

String Decimal(std::uint64_t value) { return String::FromUnsigned(value); }
} // namespace

std::uint32_t ShownFrameDelayMilliseconds(std::uint32_t storedMilliseconds) noexcept
{
    return storedMilliseconds <= kDelaysShownAsShortest ? kShortestDelay : storedMilliseconds;
}

VerticalStreamSliderControl::VerticalStreamSliderControl()
{
    Add(_slider);
    Add(_previous);
    Add(_next);
    Add(_edit);
    Add(_countLabel);
    Add(_play);
    _play.SetVisible(false);
    _previous.SetTooltipTexts(Texts::PreviousImageKey);
    _next.SetTooltipTexts(Texts::NextImageKey);
    _edit.SetMaxLength(20);
    _countLabel.SetAlignment(GUI::Label::AlignCentre);
    _play.SetStateTooltips(kPlay, kPause);
    _slider.OnChange().ResetCallable([this] { SliderMoved(); });
    _previous.OnClick().ResetCallable([this](GUI::Button &) { Step(-1); });
    _next.OnClick().ResetCallable([this](GUI::Button &) { Step(+1); });
    _edit.OnCommit().ResetCallable([this](GUI::EditBox &) { EditCommitted(); });
    _play.OnClick().ResetCallable([this](GUI::Button &) { _play.IsActive() ? Play() : Pause(); });
    SetIndexAndCount(0, 1);
}

VerticalStreamSliderControl::~VerticalStreamSliderControl()
{
    if (GUI::GUI *gui = GetGUI(); gui && _playing)
        gui->SetTimer(TimerCallback(), 0);
}

void VerticalStreamSliderControl::SetIndexAndCount(std::uint64_t index, std::uint64_t count, bool forceEnabled)
{
    if (count == 0)
        throw Exception("VerticalStreamSliderControl::SetIndexAndCount: count must be greater than zero");
    _count = count;
    _enabled = count > 1 || forceEnabled;
    for (GUI::Control *control : {static_cast<GUI::Control *>(&_slider), static_cast<GUI::Control *>(&_edit),
                                  static_cast<GUI::Control *>(&_play)})
        control->SetEnabled(_enabled);
    _slider.SetRange(0, double(count - 1), 0);
    if (!_slider.GetKnob().IsDragging())
        _slider.SetPosition(double(std::min(index, count - 1)));
    _countLabel.SetText(TextPair{Decimal(count), Decimal(count)});
    ShowIndex();
    LayOut();
}

std::uint64_t VerticalStreamSliderControl::GetIndex() const noexcept
{
    // Rounded half away from zero; the position is never negative.
    return std::uint64_t(std::floor(_slider.GetPosition() + 0.5));
}

void VerticalStreamSliderControl::Select(std::uint64_t index)
{
    _slider.SetPosition(double(std::min(index, _count - 1)));
    SliderMoved();
}

void VerticalStreamSliderControl::SliderMoved()
{
    ShowIndex();
    _onIndexChanged(*this, GetIndex());
}

void VerticalStreamSliderControl::Step(std::int64_t delta)
{
    const std::uint64_t index = GetIndex();
    if ((delta < 0 && index == 0) || (delta > 0 && index + 1 >= _count))
        return;
    Select(delta < 0 ? index - 1 : index + 1);
    _onStep(*this);
}

void VerticalStreamSliderControl::EditCommitted()
{
    // Only a whole number naming an image is taken; anything else shows the
    // current index again.
    const std::string text = _edit.GetText().ToStdString();
    std::uint64_t value = 0;
    bool valid = !text.empty() && text.size() <= 20;
    for (char c : text) {
        if (c < '0' || c > '9' || value > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) {
            valid = false;
            break;
        }
        value = value * 10 + std::uint64_t(c - '0');
    }
    if (valid && value < _count && value != GetIndex())
        Select(value);
    else
        ShowIndex();
}

void VerticalStreamSliderControl::ShowIndex()
{
    if (!_edit.IsEditing())
        _edit.SetText(Decimal(GetIndex()));
    UpdateButtons();
    RequestRepaint();
}

void VerticalStreamSliderControl::UpdateButtons()
{
    const std::uint64_t index = GetIndex();
    _previous.SetEnabled(_enabled && index != 0);
    _next.SetEnabled(_enabled && index + 1 < _count);
}

void VerticalStreamSliderControl::EnablePlayback(std::function<std::uint32_t(std::uint64_t)> delayOf)
{
    _delayOf = std::move(delayOf);
    _playbackAvailable = bool(_delayOf);
    _play.SetVisible(_playbackAvailable);
    if (!_playbackAvailable)
        Pause();
    LayOut();
}

Function2<void()> VerticalStreamSliderControl::TimerCallback()
{
    Function2<void()> callback;
    callback.Reset(&VerticalStreamSliderControl::PlayTick, this);
    return callback;
}

void VerticalStreamSliderControl::ArmTimer()
{
    if (GUI::GUI *gui = GetGUI())
        gui->SetTimer(TimerCallback(), ShownFrameDelayMilliseconds(_delayOf(GetIndex())));
}

void VerticalStreamSliderControl::Play()
{
    if (!_playbackAvailable || _count < 2)
        return;
    _playing = true;
    _play.SetActive(true);
    ArmTimer();
}

void VerticalStreamSliderControl::Pause()
{
    _play.SetActive(false);
    if (!_playing)
        return;
    _playing = false;
    if (GUI::GUI *gui = GetGUI())
        gui->SetTimer(TimerCallback(), 0);
}

void VerticalStreamSliderControl::PlayTick()
{
    if (!_playing)
        return;
    // The image shown so far has had its time: the next one (after the last,
    // the first) with its own delay.
    const std::uint64_t index = GetIndex();
    Select(index + 1 < _count ? index + 1 : 0);
    ArmTimer();
}

void VerticalStreamSliderControl::SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui)
{
    ControlList::SetParent(parent, panel, gui);
    LoadIcons();
    LayOut();
}

void VerticalStreamSliderControl::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    LoadIcons();
    LayOut();
}

void VerticalStreamSliderControl::LoadIcons()
{
    const GUI::Panel *panel = GetPanel();
    const double scale = panel ? panel->ScaleOrOne() : 1.0;
    if (scale == _iconScale)
        return;
    _iconScale = scale;
    _previous.SetImage(GUI::GetIconImage("IconImagePrev.bmp", scale));
    _next.SetImage(GUI::GetIconImage("IconImageNext.bmp", scale));
    _play.SetImages(GUI::GetIconImage("IconPlay.bmp", scale), GUI::GetIconImage("IconPlayActive.bmp", scale));
}

std::int32_t VerticalStreamSliderControl::ColumnWidth() const
{
    const GUI::Panel *panel = GetPanel();
    return panel ? panel->GUIUnit(kSliderWidth + 2 * kColumnMargin) : std::int32_t(kSliderWidth + 2 * kColumnMargin);
}

void VerticalStreamSliderControl::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    LayOut();
}

void VerticalStreamSliderControl::LayOut()
{
    const GUI::Panel *panel = GetPanel();
    if (!panel)
        return;
    const GUI::Rect r = GetRect();
    const std::int32_t margin = panel->GUIUnit(kMargin), row = panel->GUIUnit(kButtonHeight);
    const std::int32_t x0 = r.x0, x1 = std::max(r.x0, r.x1);
    // From the top: previous, slider, next, index, count, play.
    std::int32_t top = r.y0 + margin;
    _previous.SetRect(x0, top, x1, top + row);
    std::int32_t bottom = r.y1 - margin;
    const auto placeFromBottom = [&](GUI::Control &control) {
        control.SetRect(x0, std::max(top, bottom - row), x1, std::max(top, bottom));
        bottom = std::max(top, bottom - row - margin);
    };
    if (_playbackAvailable)
        placeFromBottom(_play);
    placeFromBottom(_countLabel);
    placeFromBottom(_edit);
    placeFromBottom(_next);
    top += row + margin;
    _slider.SetRect(x0, top, x1, std::max(top, bottom));
}

} // namespace Brintavolex
