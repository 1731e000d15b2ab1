#include "PlanoscopeWidget/api/SidePanels.h"

#include "GUI/api/Panel.h"
#include "PlanoscopeWidget/src/PanelTexts.h"
#include "GUI/api/Icons.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace Brintavolex::ImageView {

namespace {

// Metrics in style units.
constexpr double kPadding = 4;
constexpr double kHistogramGraphHeight = 100;
constexpr double kWindowGraphHeight = 64;
constexpr double kLabelWidth = 34;
constexpr std::uint8_t kCurve = 255, kUnderCurve = 70;

std::int32_t Units(const GUI::Control &control, double units)
{
    const GUI::Panel *panel = control.GetPanel();
    return panel ? panel->GUIUnit(units) : std::int32_t(units);
}

double ScaleOf(const GUI::Control &control)
{
    const GUI::Panel *panel = control.GetPanel();
    return panel ? panel->ScaleOrOne() : 1.0;
}

std::int32_t RowHeight(const GUI::Control &control)
{
    const GUI::Panel *panel = control.GetPanel();
    return Units(control, panel ? panel->GetStyle()->controlHeight : 22.0);
}

// Places a control, never with a negative extent.
void Place(GUI::Control &control, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    control.SetRect(x0, y0, std::max(x0, x1), std::max(y0, y1));
}

// The graph's rectangle: its pixel width where it fits, centred.
void PlaceGraph(GraphImage &graph, const GUI::Rect &r, std::int32_t pad, std::int32_t y, std::int32_t height,
                std::uint32_t width)
{
    const std::int32_t room = std::max(0, r.Width() - 2 * pad);
    const std::int32_t w = std::min<std::int32_t>(room, std::int32_t(width));
    const std::int32_t x0 = r.x0 + (r.Width() - w) / 2;
    Place(graph, x0, y, x0 + w, y + height);
}

void SetIcons(GUI::TwoStateButton &button, const char *normal, const char *active, double scale)
{
    button.SetImages(GUI::GetIconImage(normal, scale), GUI::GetIconImage(active, scale));
}

} // namespace

// ---- graph picture ----

void GraphImage::SetPixels(std::vector<std::uint8_t> bgra, std::uint32_t width, std::uint32_t height)
{
    _pixels = std::move(bgra);
    _width = width;
    _height = height;
    SetBuilt(false);
    RequestRepaint();
}

void GraphImage::Draw()
{
    GUI::Panel *panel = GetPanel();
    Platform::Video::Context *context = panel ? panel->GetContext() : nullptr;
    if (!context || !IsVisible() || _width == 0 || _height == 0 || _pixels.size() < std::size_t(_width) * _height * 4)
        return;
    if (!IsBuilt() || _batch.BuiltFor() != context) {
        auto image = MakeShared<Data::Image2D<Data::ColorBGRA<std::uint8_t>>>();
        image->Allocate(_width, _height);
        auto lock = image->Lock<Data::ColorBGRA<std::uint8_t>>();
        for (std::uint32_t y = 0; y < _height; ++y)
            std::copy_n(&_pixels[std::size_t(y) * _width * 4], std::size_t(_width) * 4,
                        reinterpret_cast<std::uint8_t *>(lock.Row(y)));
        lock.Release();
        _batch.Clear();
        _batch.AddImage(GetRect(), image);
        _batch.Upload(context->SharedFromThis<Platform::Video::Context>());
        SetBuilt(true);
    }
    _batch.Draw();
}

bool GraphImage::DeleteContextObjects()
{
    SetBuilt(false);
    return _batch.Release();
}

std::uint32_t GraphWidthForScale(double scale) noexcept { return scale >= 2 ? 512 : 256; }

// ---- histogram ----

HistogramPanel::HistogramPanel(HistogramModel &model) : _model(model), _close(PanelTexts::Close)
{
    SetEnabled(true);
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{&_graph, &_linear, &_log, &_relative, &_absolute, &_close})
        Add(*c);
    _graph.SetEnabled(true);
    _linear.SetStateTooltips(PanelTexts::LinearScaling, PanelTexts::LinearScaling);
    _log.SetStateTooltips(PanelTexts::LogarithmicScaling, PanelTexts::LogarithmicScaling);
    _relative.SetStateTooltips(PanelTexts::RelativeScaling, PanelTexts::RelativeScaling);
    _absolute.SetStateTooltips(PanelTexts::AbsoluteScaling, PanelTexts::AbsoluteScaling);
    _linear.OnClick().ResetCallable([this](GUI::Button &) { _model.SetScaling(HistogramScaling::Linear); UpdateButtons(); });
    _log.OnClick().ResetCallable([this](GUI::Button &) { _model.SetScaling(HistogramScaling::Log10); UpdateButtons(); });
    _relative.OnClick().ResetCallable(
        [this](GUI::Button &) { _model.SetNormalization(HistogramNormalization::Relative); UpdateButtons(); });
    _absolute.OnClick().ResetCallable(
        [this](GUI::Button &) { _model.SetNormalization(HistogramNormalization::Absolute); UpdateButtons(); });
    _close.OnClick().ResetCallable([this](GUI::Button &) {
        if (_onClose)
            _onClose(); // last: it may hide this panel
    });
    _model.ChangeListener().Reset(&HistogramPanel::ModelChanged, this);
    UpdateIcons();
    UpdateButtons();
}

HistogramPanel::~HistogramPanel() { _model.ChangeListener().Reset(); }

void HistogramPanel::ModelChanged()
{
    _graphStale = true;
    UpdateButtons();
    RequestRepaint();
}

void HistogramPanel::UpdateButtons()
{
    _linear.SetActive(_model.Scaling() == HistogramScaling::Linear);
    _log.SetActive(_model.Scaling() == HistogramScaling::Log10);
    _relative.SetActive(_model.Normalization() == HistogramNormalization::Relative);
    _absolute.SetActive(_model.Normalization() == HistogramNormalization::Absolute);
}

void HistogramPanel::UpdateIcons()
{
    const double s = ScaleOf(*this);
    SetIcons(_linear, "IconHistogramLin.bmp", "IconHistogramLinActive.bmp", s);
    SetIcons(_log, "IconHistogramLog.bmp", "IconHistogramLogActive.bmp", s);
    SetIcons(_relative, "IconHistogramRel.bmp", "IconHistogramRelActive.bmp", s);
    SetIcons(_absolute, "IconHistogramAbs.bmp", "IconHistogramAbsActive.bmp", s);
}

void HistogramPanel::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    UpdateIcons();
    _graphStale = true;
    LayOut();
}

std::int32_t HistogramPanel::PreferredHeight() const
{
    const std::int32_t pad = Units(*this, kPadding);
    return 3 * pad + Units(*this, kHistogramGraphHeight) + RowHeight(*this);
}

void HistogramPanel::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    LayOut();
}

void HistogramPanel::LayOut()
{
    const GUI::Rect r = GetRect();
    const std::int32_t pad = Units(*this, kPadding), row = RowHeight(*this);
    std::int32_t y = r.y0 + pad;
    const std::int32_t graphHeight = Units(*this, kHistogramGraphHeight);
    PlaceGraph(_graph, r, pad, y, graphHeight, GraphWidthForScale(ScaleOf(*this)));
    y += graphHeight + pad;
    std::int32_t x = r.x0 + pad;
    for (GUI::Button *b : {static_cast<GUI::Button *>(&_linear), static_cast<GUI::Button *>(&_log),
                           static_cast<GUI::Button *>(&_relative), static_cast<GUI::Button *>(&_absolute)}) {
        Place(*b, x, y, std::min(x + row, r.x1), y + row);
        x += row + pad;
    }
    Place(_close, std::min(x, r.x1), y, r.x1 - pad, y + row);
    _graphStale = true;
}

void HistogramPanel::Draw()
{
    if (_graphStale && _graph.GetRect().Height() > 0) {
        const std::uint32_t w = GraphWidthForScale(ScaleOf(*this));
        const std::uint32_t h = std::uint32_t(_graph.GetRect().Height());
        _graph.SetPixels(_model.Graph(w, h), w, h);
        _graphStale = false;
    }
    ControlList::Draw();
}

// ---- brightness / contrast ----

BrightnessContrastPanel::BrightnessContrastPanel(PlanoscopeBrightnessContrast &state, const HistogramModel &histogram)
    : _state(state), _histogram(histogram), _reset(PanelTexts::Reset), _resetBrightness(PanelTexts::ResetBrightness),
      _resetContrast(PanelTexts::ResetContrast), _close(PanelTexts::Close)
{
    SetEnabled(true);
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{
             &_graph, &_brightnessIcon, &_brightness, &_contrastIcon, &_contrast, &_auto, &_reset, &_resetBrightness,
             &_resetContrast, &_minimumLabel, &_minimum, &_maximumLabel, &_maximum, &_close})
        Add(*c);
    _graph.SetEnabled(true);
    _brightnessIcon.SetTooltipTexts(PanelTexts::Brightness);
    _contrastIcon.SetTooltipTexts(PanelTexts::Contrast);
    _brightnessIcon.SetFocusable(false);
    _contrastIcon.SetFocusable(false);
    _auto.SetTooltipTexts(PanelTexts::AutoWindow);
    _minimumLabel.SetText(PanelTexts::Minimum);
    _minimumLabel.SetTooltipText(PanelTexts::MinimumTooltip);
    _maximumLabel.SetText(PanelTexts::Maximum);
    _maximumLabel.SetTooltipText(PanelTexts::MaximumTooltip);
    _minimumLabel.SetEnabled(true);
    _maximumLabel.SetEnabled(true);
    _minimum.SetEnabled(true);
    _maximum.SetEnabled(true);
    for (GUI::SliderX *slider : {&_brightness, &_contrast}) {
        slider->SetEnabled(true);
        slider->SetRange(-1, 1, 0);
    }
    _brightness.OnChange().ResetCallable([this] { _state.SetBrightness(_brightness.GetPosition()); });
    _contrast.OnChange().ResetCallable([this] { _state.SetContrast(_contrast.GetPosition()); });
    _auto.OnClick().ResetCallable([this](GUI::Button &) { AutoWindow(); });
    _reset.OnClick().ResetCallable([this](GUI::Button &) { _state.Reset(); });
    _resetBrightness.OnClick().ResetCallable([this](GUI::Button &) { _state.ResetBrightness(); });
    _resetContrast.OnClick().ResetCallable([this](GUI::Button &) { _state.ResetContrast(); });
    _minimum.OnCommit().ResetCallable([this](GUI::EditBox &) { FieldsCommitted(); });
    _maximum.OnCommit().ResetCallable([this](GUI::EditBox &) { FieldsCommitted(); });
    _close.OnClick().ResetCallable([this](GUI::Button &) {
        if (_onClose)
            _onClose();
    });
    UpdateIcons();
    Refresh();
}

BrightnessContrastPanel::~BrightnessContrastPanel() = default;

void BrightnessContrastPanel::UpdateIcons()
{
    const double s = ScaleOf(*this);
    _brightnessIcon.SetImage(GUI::GetIconImage("IconBrightness.bmp", s));
    _contrastIcon.SetImage(GUI::GetIconImage("IconContrast.bmp", s));
    _auto.SetImage(GUI::GetIconImage("IconAuto.bmp", s));
}

void BrightnessContrastPanel::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    UpdateIcons();
    LayOut();
}

void BrightnessContrastPanel::Refresh()
{
    _brightness.SetPosition(_state.Brightness());
    _contrast.SetPosition(_state.Contrast());
    if (!_minimum.IsEditing())
        _minimum.SetText(FormatUserValue(_state.UserBlackPoint()));
    if (!_maximum.IsEditing())
        _maximum.SetText(FormatUserValue(_state.UserWhitePoint()));
    _graphStale = true;
    RequestRepaint();
}

void BrightnessContrastPanel::FieldsCommitted()
{
    _state.SetUserPoints(ParseUserValue(_minimum.GetText()), ParseUserValue(_maximum.GetText()));
    // Also when nothing changed: the fields show the values in force again.
    Refresh();
}

void BrightnessContrastPanel::AutoWindow()
{
    const HistogramBins &bins = _histogram.Bins();
    std::int32_t first = -1, last = -1;
    for (unsigned b = 0; b < kHistogramBins; ++b)
        for (unsigned c = 0; c < bins.channels; ++c)
            if (bins.counts[b][c] > 0) {
                if (first < 0)
                    first = std::int32_t(b);
                last = std::int32_t(b);
            }
    if (first < 0)
        return;
    const double width = (bins.userMaximum - bins.userMinimum) / kBinScale;
    _state.SetUserPoints(bins.userMinimum + first * width,
                         std::min(bins.userMaximum, bins.userMinimum + (last + 1) * width));
}

std::int32_t BrightnessContrastPanel::PreferredHeight() const
{
    const std::int32_t pad = Units(*this, kPadding);
    return 2 * pad + Units(*this, kWindowGraphHeight) + 6 * (RowHeight(*this) + pad);
}

void BrightnessContrastPanel::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    LayOut();
}

void BrightnessContrastPanel::LayOut()
{
    const GUI::Rect r = GetRect();
    const std::int32_t pad = Units(*this, kPadding), row = RowHeight(*this);
    const std::int32_t left = r.x0 + pad, right = std::max(left, r.x1 - pad);
    const std::int32_t middle = left + (right - left) / 2;
    std::int32_t y = r.y0 + pad;
    const std::int32_t graphHeight = Units(*this, kWindowGraphHeight);
    PlaceGraph(_graph, r, pad, y, graphHeight, GraphWidthForScale(ScaleOf(*this)));
    y += graphHeight + pad;
    const auto iconRow = [&](GUI::Control &icon, GUI::Control &rest) {
        Place(icon, left, y, std::min(left + row, right), y + row);
        Place(rest, std::min(left + row + pad, right), y, right, y + row);
        y += row + pad;
    };
    iconRow(_brightnessIcon, _brightness);
    iconRow(_contrastIcon, _contrast);
    iconRow(_auto, _reset);
    Place(_resetBrightness, left, y, middle - pad / 2, y + row);
    Place(_resetContrast, middle + pad - pad / 2, y, right, y + row);
    y += row + pad;
    const std::int32_t label = Units(*this, kLabelWidth);
    Place(_minimumLabel, left, y, std::min(left + label, middle), y + row);
    Place(_minimum, std::min(left + label, middle), y, middle - pad / 2, y + row);
    Place(_maximumLabel, middle + pad - pad / 2, y, std::min(middle + label, right), y + row);
    Place(_maximum, std::min(middle + label + pad - pad / 2, right), y, right, y + row);
    y += row + pad;
    Place(_close, left, y, right, y + row);
    _graphStale = true;
}

void BrightnessContrastPanel::Draw()
{
    const std::int32_t h = _graph.GetRect().Height();
    if (_graphStale && h > 0) {
        // The window's curve over the normalised scale, filled below.
        const std::uint32_t w = GraphWidthForScale(ScaleOf(*this));
        std::vector<std::uint8_t> pixels(std::size_t(w) * std::size_t(h) * 4, 0);
        const DisplayWindow window = _state.Window();
        for (std::uint32_t x = 0; x < w; ++x) {
            const double v = window.Apply((x + 0.5) / w);
            const std::int32_t top = std::int32_t(std::lround((1 - v) * (h - 1)));
            for (std::int32_t y = top; y < h; ++y) {
                std::uint8_t *p = &pixels[(std::size_t(y) * w + x) * 4];
                p[0] = p[1] = p[2] = y == top ? kCurve : kUnderCurve;
            }
            for (std::int32_t y = 0; y < h; ++y)
                pixels[(std::size_t(y) * w + x) * 4 + 3] = 255;
        }
        _graph.SetPixels(std::move(pixels), w, std::uint32_t(h));
        _graphStale = false;
    }
    ControlList::Draw();
}

// ---- field texts ----

String FormatUserValue(double value)
{
    if (std::isnan(value))
        return String("NaN");
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 7);
    return String(std::string_view(text, std::size_t(result.ptr - text)));
}

double ParseUserValue(const String &text)
{
    std::string s = text.ToStdString();
    // German users type a decimal comma.
    std::replace(s.begin(), s.end(), ',', '.');
    const std::size_t begin = s.find_first_not_of(" \t");
    const std::size_t end = s.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return std::numeric_limits<double>::quiet_NaN();
    const char *first = s.data() + begin, *last = s.data() + end + 1;
    if (*first == '+')
        ++first;
    double value = 0;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last)
        return std::numeric_limits<double>::quiet_NaN();
    return value;
}

} // namespace Brintavolex::ImageView
