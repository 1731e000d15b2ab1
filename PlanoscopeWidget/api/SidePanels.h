#pragma once

// The side panels of the 2D viewer: the histogram with its mode buttons, and
// brightness/contrast with sliders, reset buttons and the "Min:"/"Max:"
// fields. Each ends with "Close [ESC]".

#include "GUI/api/Button.h"
#include "GUI/api/Label.h"
#include "GUI/api/Slider.h"
#include "GUI/api/Widgets.h"
#include "PlanoscopeWidget/api/BrightnessContrast.h"
#include "PlanoscopeWidget/api/Histogram.h"

#include <vector>

namespace Brintavolex::ImageView {

// A picture of BGRA bytes stretched over the control's rectangle.
class GraphImage : public GUI::Control {
public:
    void Draw() override;
    bool DeleteContextObjects() override;
    void SetPixels(std::vector<std::uint8_t> bgra, std::uint32_t width, std::uint32_t height);
    std::uint32_t PixelWidth() const noexcept { return _width; }
    std::uint32_t PixelHeight() const noexcept { return _height; }
    const std::vector<std::uint8_t> &Pixels() const noexcept { return _pixels; }

private:
    std::vector<std::uint8_t> _pixels;
    std::uint32_t _width = 0, _height = 0;
    GUI::QuadBatch _batch;
};

// 256 graph columns at scale below 2, else 512: one or two per bin.
std::uint32_t GraphWidthForScale(double scale) noexcept;

class HistogramPanel : public GUI::ControlList {
public:
    explicit HistogramPanel(HistogramModel &model);
    ~HistogramPanel() override;
    void Draw() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void OnScaleChanged() override;

    // The height the panel needs at width for its panel's scale.
    std::int32_t PreferredHeight() const;
    // "Close [ESC]".
    Function2<void()> &OnClose() noexcept { return _onClose; }

    GUI::TwoStateButton &LinearButton() noexcept { return _linear; }
    GUI::TwoStateButton &LogButton() noexcept { return _log; }
    GUI::TwoStateButton &RelativeButton() noexcept { return _relative; }
    GUI::TwoStateButton &AbsoluteButton() noexcept { return _absolute; }
    GUI::Button &CloseButton() noexcept { return _close; }
    GraphImage &Graph() noexcept { return _graph; }

private:
    void ModelChanged();
    void UpdateButtons();
    void UpdateIcons();
    void LayOut();

    HistogramModel &_model;
    GraphImage _graph;
    GUI::TwoStateButton _linear, _log, _relative, _absolute;
    GUI::Button _close;
    Function2<void()> _onClose;
    bool _graphStale = true;
};

class BrightnessContrastPanel : public GUI::ControlList {
public:
    // histogram: for the automatic window (lowest to highest value counted).
    BrightnessContrastPanel(PlanoscopeBrightnessContrast &state, const HistogramModel &histogram);
    ~BrightnessContrastPanel() override;
    void Draw() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void OnScaleChanged() override;

    std::int32_t PreferredHeight() const;
    Function2<void()> &OnClose() noexcept { return _onClose; }
    // Shows the state's values in sliders, fields and graph (after a change
    // of the state from outside the panel).
    void Refresh();
    // The window from the lowest to the highest value the histogram counted.
    void AutoWindow();

    GUI::SliderX &BrightnessSlider() noexcept { return _brightness; }
    GUI::SliderX &ContrastSlider() noexcept { return _contrast; }
    GUI::Button &AutoButton() noexcept { return _auto; }
    GUI::Button &ResetButton() noexcept { return _reset; }
    GUI::Button &ResetBrightnessButton() noexcept { return _resetBrightness; }
    GUI::Button &ResetContrastButton() noexcept { return _resetContrast; }
    GUI::EditBox &MinimumField() noexcept { return _minimum; }
    GUI::EditBox &MaximumField() noexcept { return _maximum; }
    GUI::Button &CloseButton() noexcept { return _close; }
    GraphImage &Graph() noexcept { return _graph; }

private:
    void LayOut();
    void UpdateIcons();
    void FieldsCommitted();

    PlanoscopeBrightnessContrast &_state;
    const HistogramModel &_histogram;
    GraphImage _graph;
    GUI::TransparentBackgroundButton _brightnessIcon, _contrastIcon;
    GUI::SliderX _brightness, _contrast;
    GUI::Button _auto, _reset, _resetBrightness, _resetContrast;
    GUI::LabelWithTooltip _minimumLabel, _maximumLabel;
    GUI::EditBox _minimum, _maximum;
    GUI::Button _close;
    Function2<void()> _onClose;
    bool _graphStale = true;
};

// A user value as the fields show it: shortest text that reads back the same
// to 7 significant digits, '.' as decimal point in every locale.
String FormatUserValue(double value);
// The field's text as a number; NaN when it is none.
double ParseUserValue(const String &text);

} // namespace Brintavolex::ImageView
