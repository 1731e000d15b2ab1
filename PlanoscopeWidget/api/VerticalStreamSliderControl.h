#pragma once

// Picks one image of a stream (frames, pages, the images of one index
// dimension): a vertical slider, previous and next buttons, the index as an
// editable number and the count; optionally a play/pause toggle that steps
// through the images at their own delays.

#include "GUI/api/Button.h"
#include "GUI/api/Label.h"
#include "GUI/api/Slider.h"
#include "GUI/api/Widgets.h"

#include <cstdint>
#include <functional>

namespace Brintavolex {

// How long an animation frame stays, as browsers show it: stored delays of
// 0 or 1 hundredth (10 ms) mean 100 ms.
std::uint32_t ShownFrameDelayMilliseconds(std::uint32_t storedMilliseconds) noexcept;

class VerticalStreamSliderControl : public GUI::ControlList
{
public:
    VerticalStreamSliderControl();
    ~VerticalStreamSliderControl() override;

    // Count 0 is refused before anything changes ("VerticalStreamSliderControl::
    // SetIndexAndCount: count must be greater than zero"). With one image the
    // controls are disabled unless forceEnabled.
    void SetIndexAndCount(std::uint64_t index, std::uint64_t count, bool forceEnabled = false);
    std::uint64_t GetIndex() const noexcept;
    std::uint64_t GetCount() const noexcept { return _count; }
    // Moves to index (clamped) and reports it as a user's change would.
    void Select(std::uint64_t index);

    // Every change by the user (slider, buttons, edit box, playback).
    Function2<void(VerticalStreamSliderControl &, std::uint64_t)> &OnIndexChanged() noexcept { return _onIndexChanged; }
    // After the previous or next button.
    Function<VerticalStreamSliderControl &> &OnStep() noexcept { return _onStep; }

    // Playback: delayOf gives the stored delay of an image in milliseconds.
    void EnablePlayback(std::function<std::uint32_t(std::uint64_t)> delayOf);
    void Play();
    void Pause();
    bool IsPlaying() const noexcept { return _playing; }
    // The previous and next buttons' tooltips (default: those of images).
    void SetStepTooltips(const TextPair &previous, const TextPair &next)
    {
        _previous.SetTooltipTexts(previous);
        _next.SetTooltipTexts(next);
    }

    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui) override;
    void OnScaleChanged() override;
    // Width of one slider column, in pixels at the panel's scale.
    std::int32_t ColumnWidth() const;

    GUI::SliderY &SliderBar() noexcept { return _slider; }
    GUI::Button &PreviousButton() noexcept { return _previous; }
    GUI::Button &NextButton() noexcept { return _next; }
    GUI::TwoStateButton &PlayButton() noexcept { return _play; }
    GUI::EditBox &IndexBox() noexcept { return _edit; }

private:
    void SliderMoved();
    void Step(std::int64_t delta);
    void EditCommitted();
    void ShowIndex();
    void UpdateButtons();
    void LayOut();
    void LoadIcons();
    void PlayTick();
    void ArmTimer();
    Function2<void()> TimerCallback();

    GUI::SliderY _slider;
    GUI::TransparentBackgroundButton _previous, _next;
    GUI::TwoStateButton _play;
    GUI::EditBox _edit;
    GUI::Label _countLabel;
    std::uint64_t _count = 1;
    bool _enabled = false;
    bool _playing = false;
    bool _playbackAvailable = false;
    std::function<std::uint32_t(std::uint64_t)> _delayOf;
    double _iconScale = 0;
    Function2<void(VerticalStreamSliderControl &, std::uint64_t)> _onIndexChanged;
    Function<VerticalStreamSliderControl &> _onStep;
};

} // namespace Brintavolex
