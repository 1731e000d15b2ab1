#include "PlanoscopeWidget/api/PlanoscopeControlList.h"

#include "GUI/api/Panel.h"
#include "Platform/api/CommandTexts.h"
#include "Platform/api/ErrorLog.h"
#include "PlanoscopeWidget/api/SaveImageName.h"
#include "PlanoscopeWidget/src/PanelTexts.h"
#include "GUI/api/Icons.h"

#include <algorithm>
#include <cmath>

namespace Brintavolex::ImageView {

namespace {

constexpr std::uint32_t kKeyEscape = 27;
// Metrics in style units.
constexpr double kToolbarExtra = 6;    // toolbar height beyond a control's
constexpr double kButtonExtra = 2;     // square button side beyond a control's height
constexpr double kSpacing = 2;         // between toolbar items
constexpr double kGroupSpacing = 8;    // between groups of items
constexpr double kZoomListWidth = 100;
constexpr double kSamplingListWidth = 140;
constexpr double kRotationListWidth = 52;
constexpr double kColumnPadding = 4;

TextPair Same(const String &text) { return TextPair{text, text}; }

void Place(GUI::Control &control, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    control.SetRect(x0, y0, std::max(x0, x1), std::max(y0, y1));
}

std::int32_t ModeIndex(Resampling::EnumResamplingMode mode)
{
    for (std::int32_t i = 0; i < 6; ++i)
        if (PlanoscopeControlWithToolbar::kSamplingModes[i] == mode)
            return i;
    return -1;
}

} // namespace

PlanoscopeControlWithToolbar::PlanoscopeControlWithToolbar()
    : _save(), _fit(), _zoomOut(), _zoomIn(), _histogramPanel(_histogram),
      _brightnessContrastPanel(_brightnessContrast, _histogram),
      _ownSettings(std::make_unique<PlanoscopeControlListSettings>(nullptr, "PlanoscopeSettings")),
      _settings(_ownSettings.get())
{
    SetEnabled(true);
    // Construction order is stacking order: the view first, panels last.
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{
             &_view, &_scrollBars, &_label, &_save, &_fit, &_zoomOut, &_zoomIn, &_zoomList, &_samplingList,
             &_rotateLeft, &_rotateRight, &_rotationList, &_ruler, &_scrollBarsButton, &_histogramButton, &_values,
             &_brightnessContrastButton, &_histogramPanel, &_brightnessContrastPanel})
        Add(*c);
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{&_label, &_zoomList, &_samplingList, &_rotationList,
                                                                 &_scrollBars})
        c->SetEnabled(true);
    _label.SetAlignment(GUI::Label::AlignRight);

    _save.SetTooltipTexts(Texts::SaveImageAs);
    _fit.SetTooltipTexts(Texts::FitViewToWindow);
    _zoomOut.SetTooltipTexts(Texts::ZoomOut);
    _zoomIn.SetTooltipTexts(Texts::ZoomIn);
    _rotateLeft.SetTooltipTexts(Texts::RotateCounterclockwise);
    _rotateRight.SetTooltipTexts(Texts::RotateClockwise);
    _ruler.SetStateTooltips(Texts::ShowRuler, Texts::HideRuler);
    _scrollBarsButton.SetStateTooltips(Texts::ShowScrollBars, Texts::HideScrollBars);
    _histogramButton.SetStateTooltips(Texts::ShowHistogram, Texts::HideHistogram);
    _values.SetStateTooltips(Texts::ShowRGBValues, Texts::HideRGBValues);
    _brightnessContrastButton.SetStateTooltips(Texts::ShowBrightnessContrast, Texts::HideBrightnessContrast);

    std::vector<String> zooms;
    for (int i = 0; i < kZoomListSize; ++i)
        zooms.push_back(ZoomText(ZoomListValue(i)));
    _zoomList.SetEntries(std::move(zooms));
    // The list's entries name the modes in the language in force when it fills.
    const TextPair *modeTexts[6] = {&Texts::Linear,        &Texts::Cubic,          &Texts::NearestNeighbor,
                                    &Texts::AreaSampling,  &Texts::MipMapBilinear, &Texts::MipMapTrilinear};
    std::vector<String> modes;
    for (const TextPair *t : modeTexts)
        modes.push_back(Locale::Pick(*t));
    _samplingList.SetEntries(std::move(modes));
    std::vector<String> angles;
    for (const TextPair &t : PanelTexts::Degrees)
        angles.push_back(Locale::Pick(t));
    _rotationList.SetEntries(std::move(angles));

    _save.OnClick().ResetCallable([this](GUI::Button &) { SaveImageAs(); });
    _fit.OnClick().ResetCallable([this](GUI::Button &) { _view.FitToWindow(); });
    _zoomOut.OnClick().ResetCallable([this](GUI::Button &) {
        if (CanZoomOut(_view.GetZoom()))
            _view.ZoomBySteps(-1);
    });
    _zoomIn.OnClick().ResetCallable([this](GUI::Button &) {
        if (CanZoomIn(_view.GetZoom()))
            _view.ZoomBySteps(1);
    });
    _zoomList.OnChange().ResetCallable([this](GUI::DropDownList &list) {
        if (list.GetSelectedIndex() >= 0)
            _view.SetZoom(ZoomListValue(list.GetSelectedIndex()));
    });
    _samplingList.OnChange().ResetCallable([this](GUI::DropDownList &) { SamplingChosen(); });
    _rotateLeft.OnClick().ResetCallable([this](GUI::Button &) { _view.RotateCounterclockwise(); });
    _rotateRight.OnClick().ResetCallable([this](GUI::Button &) { _view.RotateClockwise(); });
    _rotationList.OnChange().ResetCallable([this](GUI::DropDownList &list) {
        if (list.GetSelectedIndex() >= 0)
            _view.SetRotation(list.GetSelectedIndex() * 90);
    });
    // A toggle writes its setting; the setting's callback does the rest.
    _ruler.OnClick().ResetCallable([this](GUI::Button &) { _settings->ruler.Set(_ruler.IsActive()); });
    _scrollBarsButton.OnClick().ResetCallable(
        [this](GUI::Button &) { _settings->scrollBars.Set(_scrollBarsButton.IsActive()); });
    _histogramButton.OnClick().ResetCallable(
        [this](GUI::Button &) { _settings->histogram.Set(_histogramButton.IsActive()); });
    _values.OnClick().ResetCallable([this](GUI::Button &) { _settings->rgbColorInfo.Set(_values.IsActive()); });
    _brightnessContrastButton.OnClick().ResetCallable(
        [this](GUI::Button &) { _settings->brightnessContrast.Set(_brightnessContrastButton.IsActive()); });
    _histogramPanel.OnClose().ResetCallable([this] { _settings->histogram.Set(false); });
    _brightnessContrastPanel.OnClose().ResetCallable([this] { _settings->brightnessContrast.Set(false); });

    _scrollBars.X().OnChange().Reset(&PlanoscopeControlWithToolbar::ScrollBarMoved, this);
    _scrollBars.Y().OnChange().Reset(&PlanoscopeControlWithToolbar::ScrollBarMoved, this);
    _view.ZoomListener().Reset(&PlanoscopeControlWithToolbar::ViewZoomChanged, this);
    _brightnessContrast.ChangeListener().ResetCallable([this](const PlanoscopeBrightnessContrast::Changes &) {
        ApplyDisplayWindow();
        _brightnessContrastPanel.Refresh();
    });

    BindSettings(*_ownSettings);
    UpdateIcons();
    ViewZoomChanged();
}

PlanoscopeControlWithToolbar::~PlanoscopeControlWithToolbar()
{
    ReleaseSettings();
    _brightnessContrast.ChangeListener().Reset();
}

// ---- settings ----

void PlanoscopeControlWithToolbar::ReleaseSettings()
{
    PlanoscopeControlListSettings &s = *_settings;
    for (PropertyWithNotification<Mode> *p : {&s.interpolationL100, &s.interpolationE100, &s.interpolationG100})
        p->Callback().Reset();
    for (PropertyWithNotification<bool> *p : {&s.ruler, &s.histogram, &s.scrollBars, &s.rgbColorInfo, &s.brightnessContrast})
        p->Callback().Reset();
}

void PlanoscopeControlWithToolbar::BindSettings(PlanoscopeControlListSettings &settings, Function2<void()> changed)
{
    ReleaseSettings();
    _settings = &settings;
    _settingsChanged = std::move(changed);
    for (PropertyWithNotification<Mode> *p :
         {&settings.interpolationL100, &settings.interpolationE100, &settings.interpolationG100})
        p->Callback().ResetCallable([this](const Mode &) {
            ApplyModes();
            SettingChanged();
        });
    for (PropertyWithNotification<bool> *p : {&settings.ruler, &settings.histogram, &settings.scrollBars,
                                              &settings.rgbColorInfo, &settings.brightnessContrast})
        p->Callback().ResetCallable([this](const bool &) {
            ApplyToggles();
            SettingChanged();
        });
    ApplyModes();
    ApplyToggles();
}

void PlanoscopeControlWithToolbar::SettingChanged()
{
    if (_settingsChanged)
        _settingsChanged();
}

void PlanoscopeControlWithToolbar::ApplyModes()
{
    // L100 below 100 % (reduced, z > 1), E100 at 100 %, G100 above (magnified, z < 1).
    _view.SetResamplingModes(_settings->interpolationL100.Get(), _settings->interpolationE100.Get(),
                             _settings->interpolationG100.Get());
    _samplingList.SetSelectedIndex(ModeIndex(_view.CurrentResamplingMode()));
}

PropertyWithNotification<Resampling::EnumResamplingMode> &PlanoscopeControlWithToolbar::SettingOfCurrentRange()
{
    const double z = _view.GetZoom();
    return z < 1 ? _settings->interpolationG100 : z > 1 ? _settings->interpolationL100 : _settings->interpolationE100;
}

void PlanoscopeControlWithToolbar::SamplingChosen()
{
    const std::int32_t index = _samplingList.GetSelectedIndex();
    if (index >= 0 && index < 6)
        SettingOfCurrentRange().Set(kSamplingModes[index]);
}

void PlanoscopeControlWithToolbar::ApplyToggles()
{
    const PlanoscopeControlListSettings &s = *_settings;
    _ruler.SetActive(s.ruler.Get());
    _scrollBarsButton.SetActive(s.scrollBars.Get());
    _histogramButton.SetActive(s.histogram.Get());
    _values.SetActive(s.rgbColorInfo.Get());
    _brightnessContrastButton.SetActive(s.brightnessContrast.Get());
    _view.ShowRuler(s.ruler.Get());
    _view.ShowRGBValues(s.rgbColorInfo.Get());
    _scrollBars.SetVisible(s.scrollBars.Get());
    _histogramPanel.SetVisible(s.histogram.Get());
    _brightnessContrastPanel.SetVisible(s.brightnessContrast.Get());
    UpdateHistogramImage();
    ApplyDisplayWindow();
    LayOut();
    RequestRepaint();
}

// ---- image and view ----

void PlanoscopeControlWithToolbar::ShowImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth,
                                             double pixelHeight, std::uint16_t exifOrientation)
{
    _view.SetImage(image, pixelWidth, pixelHeight, exifOrientation);
    _brightnessContrast.SetImage(image);
    _histogramImage = nullptr;
    UpdateHistogramImage();
    _brightnessContrastPanel.Refresh();
    ApplyDisplayWindow();
    _label.SetText(Same(image ? String(std::to_string(image->GetWidth()) + " x " + std::to_string(image->GetHeight()))
                              : String()));
    ViewZoomChanged();
}

void PlanoscopeControlWithToolbar::UpdateHistogramImage()
{
    // Counting costs a pass over the picture: only while a panel shows it.
    if (!_histogramPanel.IsVisible() && !_brightnessContrastPanel.IsVisible())
        return;
    const SharedPtr<Data::Image2DBase> &image = _view.GetImage();
    if (image.Get() == _histogramImage)
        return;
    _histogramImage = image.Get();
    try {
        _histogram.SetImage(image);
    } catch (const std::exception &e) {
        // A pixel type without a histogram shows an empty graph.
        BRINTAVOLEX_LOG(String("Histogram: ") + String(e.what()));
        _histogram.SetImage(nullptr);
    }
}

bool PlanoscopeControlWithToolbar::IsDisplayWindowActive() const
{
    return _settings->brightnessContrast.Get() && !_brightnessContrast.IsNeutral();
}

void PlanoscopeControlWithToolbar::ApplyDisplayWindow()
{
    // The window shows while its panel does.
    if (IsDisplayWindowActive())
        _view.SetDisplayWindow(_brightnessContrast.Window());
    else
        _view.SetDisplayWindow(std::nullopt);
}

void PlanoscopeControlWithToolbar::ViewZoomChanged()
{
    const double z = _view.GetZoom();
    _zoomIn.SetEnabled(CanZoomIn(z));
    _zoomOut.SetEnabled(CanZoomOut(z));
    std::int32_t index = -1;
    for (int i = 0; i < kZoomListSize; ++i)
        if (ZoomListValue(i) == z)
            index = i;
    _zoomList.SetSelectedIndex(index);
    _zoomList.SetShownText(index < 0 ? ZoomText(z) : String());
    _samplingList.SetSelectedIndex(ModeIndex(_view.CurrentResamplingMode()));
    _rotationList.SetSelectedIndex(_view.GetRotation() / 90);
    if (_zoomListener)
        _zoomListener();
}

void PlanoscopeControlWithToolbar::SyncScrollBars()
{
    if (!_scrollBars.IsVisible() || _syncingScrollBars)
        return;
    // The pan's limits are the bars' ends; a page is the view's extent in
    // image pixels.
    const Vec2 limit = _view.ClampPanning({1e300, 1e300});
    const GUI::Rect r = _view.GetRect();
    const double z = _view.GetZoom();
    const Vec2 pan = _view.GetPan();
    _syncingScrollBars = true;
    _scrollBars.X().SetRange(-limit.x, limit.x, r.Width() * z);
    _scrollBars.X().SetPosition(std::clamp(pan.x, -limit.x, limit.x));
    _scrollBars.Y().SetRange(-limit.y, limit.y, r.Height() * z);
    _scrollBars.Y().SetPosition(std::clamp(pan.y, -limit.y, limit.y));
    _syncingScrollBars = false;
}

void PlanoscopeControlWithToolbar::ScrollBarMoved()
{
    _view.SetPan({_scrollBars.X().GetPosition(), _scrollBars.Y().GetPosition()});
}

bool PlanoscopeControlWithToolbar::CloseSidePanels()
{
    const bool shown = _settings->histogram.Get() || _settings->brightnessContrast.Get();
    if (_settings->histogram.Get())
        _settings->histogram.Set(false);
    if (_settings->brightnessContrast.Get())
        _settings->brightnessContrast.Set(false);
    return shown;
}

bool PlanoscopeControlWithToolbar::OnKeyDown(std::uint32_t key, std::int64_t flags)
{
    if (key == kKeyEscape && CloseSidePanels())
        return true;
    return ControlList::OnKeyDown(key, flags);
}

// ---- save ----

std::u16string PlanoscopeControlWithToolbar::ProposedSaveName() const
{
    const SharedPtr<Data::Image2DBase> &image = _view.GetImage();
    return ImageView::ProposedSaveName(_imagePath, u".png", IsDisplayWindowActive(),
                                       image ? image->GetColorType() : Data::ColorType::BGRAUInt8);
}

void PlanoscopeControlWithToolbar::SaveImageAs()
{
    if (!_saveDialog || !_view.GetImage())
        return;
    const std::u16string path = _saveDialog->AskSavePath(ProposedSaveName());
    if (path.empty())
        return;
    try {
        SaveImageFile(*_view.ShownImage(), path);
        _saveError = String();
    } catch (const std::exception &e) {
        _saveError = String(e.what());
        BRINTAVOLEX_LOG(String("Save image as: ") + _saveError);
    }
}

// ---- layout and drawing ----

void PlanoscopeControlWithToolbar::UpdateIcons()
{
    const GUI::Panel *panel = GetPanel();
    const double s = panel ? panel->ScaleOrOne() : 1.0;
    _save.SetImage(GUI::GetIconImage("IconSave.bmp", s));
    _fit.SetImage(GUI::GetIconImage("IconZoomFit.bmp", s));
    _zoomOut.SetImage(GUI::GetIconImage("IconZoomNeg.bmp", s));
    _zoomIn.SetImage(GUI::GetIconImage("IconZoomPos.bmp", s));
    _rotateLeft.SetImage(GUI::GetIconImage("IconRotateL.bmp", s));
    _rotateRight.SetImage(GUI::GetIconImage("IconRotateR.bmp", s));
    const auto pair = [s](GUI::TwoStateButton &b, const char *normal, const char *active) {
        b.SetImages(GUI::GetIconImage(normal, s), GUI::GetIconImage(active, s));
    };
    pair(_ruler, "IconRuler.bmp", "IconRulerActive.bmp");
    pair(_scrollBarsButton, "IconScrollBars.bmp", "IconScrollBarsActive.bmp");
    pair(_histogramButton, "IconHistogram.bmp", "IconHistogramActive.bmp");
    pair(_values, "IconRGB.bmp", "IconRGBActive.bmp");
    pair(_brightnessContrastButton, "IconBrightnessContrast.bmp", "IconBrightnessContrastActive.bmp");
}

void PlanoscopeControlWithToolbar::SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui)
{
    ControlList::SetParent(parent, panel, gui);
    UpdateIcons();
    LayOut();
}

void PlanoscopeControlWithToolbar::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    UpdateIcons();
    LayOut();
}

void PlanoscopeControlWithToolbar::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    LayOut();
}

void PlanoscopeControlWithToolbar::LayOut()
{
    const GUI::Rect r = GetRect();
    const GUI::Panel *panel = GetPanel();
    const auto units = [panel](double u) { return panel ? panel->GUIUnit(u) : std::int32_t(u); };
    const double controlHeight = panel ? panel->GetStyle()->controlHeight : 22.0;
    const double scale = panel ? panel->ScaleOrOne() : 1.0;

    // The toolbar along the top.
    const std::int32_t barHeight = std::min(units(controlHeight + kToolbarExtra), r.Height());
    _toolbarRect = GUI::Rect{r.x0, r.y0, r.x1, r.y0 + barHeight};
    const std::int32_t side = std::min(units(controlHeight + kButtonExtra), barHeight);
    const std::int32_t listHeight = std::min(units(controlHeight), barHeight);
    const std::int32_t spacing = units(kSpacing), gap = units(kGroupSpacing);
    std::int32_t x = r.x0 + spacing;
    const auto put = [&](GUI::Control &c, std::int32_t width, std::int32_t height, std::int32_t after) {
        const std::int32_t y = r.y0 + (barHeight - height) / 2;
        Place(c, x, y, x + width, y + height);
        x += width + after;
    };
    put(_save, side, side, gap);
    put(_fit, side, side, spacing);
    put(_zoomOut, side, side, spacing);
    put(_zoomIn, side, side, spacing);
    put(_zoomList, units(kZoomListWidth), listHeight, spacing);
    put(_samplingList, units(kSamplingListWidth), listHeight, gap);
    put(_rotateLeft, side, side, spacing);
    put(_rotateRight, side, side, spacing);
    put(_rotationList, units(kRotationListWidth), listHeight, gap);
    for (GUI::TwoStateButton *b : {&_ruler, &_scrollBarsButton, &_histogramButton, &_values, &_brightnessContrastButton})
        put(*b, side, side, spacing);
    Place(_label, std::min(x, r.x1), r.y0, r.x1 - spacing, r.y0 + barHeight);

    // The side column along the right, then the view with its bars.
    GUI::Rect content{r.x0, r.y0 + barHeight, r.x1, r.y1};
    const bool histogram = _histogramPanel.IsVisible(), window = _brightnessContrastPanel.IsVisible();
    if (histogram || window) {
        const std::int32_t pad = units(kColumnPadding);
        const std::int32_t width = std::min(std::int32_t(GraphWidthForScale(scale)) + 2 * pad, content.Width());
        std::int32_t y = content.y0;
        const std::int32_t cx0 = content.x1 - width;
        if (histogram) {
            const std::int32_t h = std::min(_histogramPanel.PreferredHeight(), content.y1 - y);
            Place(_histogramPanel, cx0, y, content.x1, y + h);
            y += h;
        }
        if (window)
            Place(_brightnessContrastPanel, cx0, y, content.x1,
                  y + std::min(_brightnessContrastPanel.PreferredHeight(), content.y1 - y));
        content.x1 = cx0;
    }
    GUI::Rect view = content;
    if (_scrollBars.IsVisible()) {
        // The bars' thickness depends on their rectangle.
        Place(_scrollBars, content.x0, content.y0, content.x1, content.y1);
        const std::int32_t thickness = _scrollBars.Thickness();
        view.x1 = std::max(view.x0, view.x1 - thickness);
        view.y1 = std::max(view.y0, view.y1 - thickness);
    }
    Place(_view, view.x0, view.y0, view.x1, view.y1);
    SyncScrollBars();
}

void PlanoscopeControlWithToolbar::Draw()
{
    // Panning by dragging moves the view without telling anyone.
    SyncScrollBars();
    ControlList::Draw();
}

void PlanoscopeControlList::SetImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth,
                                     double pixelHeight, std::uint16_t exifOrientation)
{
    if (!image)
        throw Exception("PlanoscopeControlList:SetImage: image is nullptr");
    ShowImage(image, pixelWidth, pixelHeight, exifOrientation);
}

} // namespace Brintavolex::ImageView
