#include "PlanoscopeWidget/api/ImageViewXYXZYZ3DControl.h"

#include "GUI/api/Icons.h"
#include "GUI/api/Panel.h"
#include "Platform/api/ErrorLog.h"
#include "Platform/api/VolumeSliceAdapters.h"
#include "PlanoscopeWidget/src/VolumeTexts.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace Brintavolex::ImageView {

namespace {

// Metrics in style units, as the 2D viewer's toolbar has them.
constexpr double kToolbarExtra = 6;
constexpr double kButtonExtra = 2;
constexpr double kSpacing = 2;
constexpr double kLayoutListWidth = 140;
constexpr double kTitlePadding = 6;
// The 3D view's share of the height beside the slice views.
constexpr std::int32_t k3DRowsOfThree = 2;

constexpr SliceOrientation kOrientations[3] = {SliceOrientation::XY, SliceOrientation::XZ, SliceOrientation::YZ};

void Place(GUI::Control &control, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    control.SetRect(x0, y0, std::max(x0, x1), std::max(y0, y1));
}

std::int32_t Units(const GUI::Control &control, double u)
{
    const GUI::Panel *panel = control.GetPanel();
    return panel ? panel->GUIUnit(u) : std::int32_t(u);
}

double ControlHeight(const GUI::Control &control)
{
    const GUI::Panel *panel = control.GetPanel();
    return panel ? panel->GetStyle()->controlHeight : 22.0;
}

// Boundary i of n equal parts of [a, b).
std::int32_t Split(std::int32_t a, std::int32_t b, std::int32_t i, std::int32_t n)
{
    return a + std::int32_t(std::int64_t(b - a) * i / n);
}

GUI::Rect Column(GUI::Rect r, std::int32_t i, std::int32_t n)
{
    return GUI::Rect{Split(r.x0, r.x1, i, n), r.y0, Split(r.x0, r.x1, i + 1, n), r.y1};
}

GUI::Rect Row(GUI::Rect r, std::int32_t i, std::int32_t n)
{
    return GUI::Rect{r.x0, Split(r.y0, r.y1, i, n), r.x1, Split(r.y0, r.y1, i + 1, n)};
}

std::optional<VolumeLayout> LayoutOfId(SInt32 id)
{
    for (const VolumeLayoutEntry &entry : kVolumeLayouts)
        if (SInt32(entry.layout) == id)
            return entry.layout;
    return std::nullopt;
}

TextPair Same(const String &text) { return TextPair{text, text}; }

} // namespace

std::array<std::optional<GUI::Rect>, 4> VolumeLayoutCells(VolumeLayout layout, GUI::Rect area)
{
    std::array<std::optional<GUI::Rect>, 4> cells;
    switch (layout) {
    case VolumeLayout::XY: cells[0] = area; break;
    case VolumeLayout::XZ: cells[1] = area; break;
    case VolumeLayout::YZ: cells[2] = area; break;
    case VolumeLayout::View3D: cells[3] = area; break;
    case VolumeLayout::Vertical:
        for (std::int32_t i = 0; i < 3; ++i)
            cells[i] = Row(area, i, 3);
        break;
    case VolumeLayout::Horizontal:
        for (std::int32_t i = 0; i < 3; ++i)
            cells[i] = Column(area, i, 3);
        break;
    case VolumeLayout::All:
        for (std::int32_t i = 0; i < 4; ++i)
            cells[i] = Column(Row(area, i / 2, 2), i % 2, 2);
        break;
    case VolumeLayout::View3DAndSlices: {
        const std::int32_t split = Split(area.y0, area.y1, k3DRowsOfThree, 3);
        cells[3] = GUI::Rect{area.x0, area.y0, area.x1, split};
        for (std::int32_t i = 0; i < 3; ++i)
            cells[i] = Column(GUI::Rect{area.x0, split, area.x1, area.y1}, i, 3);
        break;
    }
    }
    return cells;
}

// ---- the 3D view ----

ImageView3DControl::ImageView3DControl() : _message(VolumeTexts::RenderingNotSupported, GUI::Label::AlignCentre)
{
    SetEnabled(true);
    Add(_message);
    _message.SetEnabled(true);
}

void ImageView3DControl::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    const std::int32_t middle = (y0 + y1) / 2, half = Units(*this, ControlHeight(*this)) / 2;
    Place(_message, x0, std::max(y0, middle - half), x1, std::min(y1, middle + half));
}

ImageView3DControlWithToolbar::ImageView3DControlWithToolbar()
{
    SetEnabled(true);
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{&_view, &_default, &_xy, &_xz, &_yz, &_redCyan})
        Add(*c);
    _default.SetTooltipTexts(VolumeTexts::DefaultView);
    _xy.SetTooltipTexts(VolumeTexts::XYView);
    _xz.SetTooltipTexts(VolumeTexts::XZView);
    _yz.SetTooltipTexts(VolumeTexts::YZView);
    _redCyan.SetStateTooltips(VolumeTexts::RedCyanStereo, VolumeTexts::RedCyanStereo);
    const auto direction = [this](GUI::Button &button, Direction d) {
        button.OnClick().ResetCallable([this, d](GUI::Button &) { _direction = d; });
    };
    direction(_default, Direction::Default);
    direction(_xy, Direction::XY);
    direction(_xz, Direction::XZ);
    direction(_yz, Direction::YZ);
    UpdateIcons();
}

void ImageView3DControlWithToolbar::UpdateIcons()
{
    const GUI::Panel *panel = GetPanel();
    const double s = panel ? panel->ScaleOrOne() : 1.0;
    _default.SetImage(GUI::GetIconImage("ViewDefault.bmp", s));
    _xy.SetImage(GUI::GetIconImage("XY.bmp", s));
    _xz.SetImage(GUI::GetIconImage("XZ.bmp", s));
    _yz.SetImage(GUI::GetIconImage("YZ.bmp", s));
    _redCyan.SetImages(GUI::GetIconImage("RedCyan.bmp", s), GUI::GetIconImage("RedCyanActive.bmp", s));
}

void ImageView3DControlWithToolbar::LayOut()
{
    const GUI::Rect r = GetRect();
    const double height = ControlHeight(*this);
    const std::int32_t bar = std::min(Units(*this, height + kToolbarExtra), r.Height());
    const std::int32_t side = std::min(Units(*this, height + kButtonExtra), bar), spacing = Units(*this, kSpacing);
    std::int32_t x = r.x0 + spacing;
    for (GUI::Control *c : std::initializer_list<GUI::Control *>{&_default, &_xy, &_xz, &_yz, &_redCyan}) {
        const std::int32_t y = r.y0 + (bar - side) / 2;
        Place(*c, std::min(x, r.x1), y, std::min(x + side, r.x1), y + side);
        x += side + spacing;
    }
    Place(_view, r.x0, r.y0 + bar, r.x1, r.y1);
}

void ImageView3DControlWithToolbar::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    LayOut();
}

void ImageView3DControlWithToolbar::SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui)
{
    ControlList::SetParent(parent, panel, gui);
    UpdateIcons();
    LayOut();
}

void ImageView3DControlWithToolbar::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    UpdateIcons();
    LayOut();
}

// ---- loading ----

// A slice decode's progress: kept for the status text, which it asks the
// GUI thread to refresh when the whole percent changes.
class ImageViewXYXZYZ3DControl::SliceProgress final : public IProgress {
public:
    SliceProgress(ImageViewXYXZYZ3DControl &owner) : _owner(&owner), _alive(owner._alive), _poster(owner._poster) {}

    bool SetProgress(double fraction) override
    {
        if (!(fraction >= 0 && fraction <= 1))
            return _cancelled;
        _fraction = fraction;
        const int percent = int(fraction * 100);
        if (_percent.exchange(percent) != percent)
            _poster->Post([owner = _owner, alive = _alive] {
                if (const auto living = alive.lock(); living && *living)
                    owner->UpdateStatus();
            });
        return _cancelled;
    }
    double Fraction() const noexcept { return _fraction; }
    void Cancel() noexcept { _cancelled = true; }

private:
    ImageViewXYXZYZ3DControl *_owner;
    std::weak_ptr<bool> _alive;
    SharedPtr<IGuiThreadPoster> _poster;
    std::atomic<double> _fraction{0};
    std::atomic<int> _percent{0};
    std::atomic<bool> _cancelled{false};
};

ImageViewXYXZYZ3DControl::ImageViewXYXZYZ3DControl()
    : _ownSettings(std::make_unique<ImageViewXYXZYZ3DControlSettings>(nullptr, "ImageView3DSettings")),
      _settings(_ownSettings.get())
{
    SetEnabled(true);
    const TextPair *titles[3] = {&VolumeTexts::ZSlice, &VolumeTexts::YSlice, &VolumeTexts::XSlice};
    for (std::size_t i = 0; i < 3; ++i) {
        _views[i] = std::make_unique<SliceView>();
        SliceView &view = *_views[i];
        view.orientation = kOrientations[i];
        view.title.SetText(*titles[i]);
        view.title.SetAlignment(GUI::Label::AlignCentre);
        view.status.SetAlignment(GUI::Label::AlignCentre);
        for (GUI::Control *c : std::initializer_list<GUI::Control *>{&view.viewer, &view.slider, &view.title, &view.status}) {
            Add(*c);
            c->SetEnabled(true);
        }
        view.slider.SetIndexAndCount(0, 1);
        view.slider.OnIndexChanged().ResetCallable(
            [this, &view](VerticalStreamSliderControl &, std::uint64_t k) { Request(view, k); });
    }
    Add(_view3D);
    Add(_layoutList);
    _layoutList.SetEnabled(true);
    std::vector<String> entries;
    for (const VolumeLayoutEntry &entry : kVolumeLayouts)
        entries.emplace_back(entry.text);
    _layoutList.SetEntries(std::move(entries));
    _layoutList.OnChange().ResetCallable([this](GUI::DropDownList &list) {
        const std::int32_t i = list.GetSelectedIndex();
        if (i >= 0 && i < std::int32_t(std::size(kVolumeLayouts)))
            SetLayout(SInt32(kVolumeLayouts[i].layout));
    });
    BindSettings(*_ownSettings);
    UpdateStatus();
}

ImageViewXYXZYZ3DControl::~ImageViewXYXZYZ3DControl()
{
    *_alive = false;
    CancelLoad();
    ReleaseSettings();
}

void ImageViewXYXZYZ3DControl::SetItem(const SharedPtr<ISceneItem> &item, const String &name,
                                       SharedPtr<IGuiThreadPoster> poster)
{
    if (!item)
        throw Exception("object pointer is nullptr");
    const SharedPtr<IImage3D> volume = DynamicPointerCast<IImage3D>(item);
    if (!volume)
        throw Exception("image==3d but image3d_XY_XZ_YZ is invalid");
    if (!poster)
        throw Exception("ImageViewXYXZYZ3DControl::SetItem: poster is nullptr");
    std::array<SharedPtr<IDecoder>, 3> adapters;
    std::array<std::uint64_t, 3> counts{};
    for (std::size_t i = 0; i < 3; ++i) {
        adapters[i] = MakeVolumeSliceAdapter(volume, kOrientations[i], name);
        counts[i] = adapters[i]->GetCount();
        if (counts[i] == 0)
            throw Exception("image==3d but image3d_XY_XZ_YZ is invalid");
    }
    Clear();
    _name = name;
    _poster = std::move(poster);
    for (std::size_t i = 0; i < 3; ++i) {
        SliceView &view = *_views[i];
        view.adapter = adapters[i];
        view.slider.SetIndexAndCount(counts[i] / 2, counts[i]);
        view.index = counts[i] / 2;
        view.pending = view.index;
        view.state = LoadState::Waiting;
    }
    StartNextLoad();
    UpdateStatus();
}

void ImageViewXYXZYZ3DControl::CancelLoad()
{
    if (_progress)
        _progress->Cancel();
    _decode.reset(); // waits for the worker, which the cancel cut short
    _progress = SharedPtr<SliceProgress>();
    _loading = nullptr;
}

void ImageViewXYXZYZ3DControl::Clear()
{
    CancelLoad();
    ++_generation; // outcomes still on their way are dropped
    for (const auto &view : _views) {
        view->adapter = SharedPtr<IDecoder>();
        view->pending.reset();
        view->state = LoadState::Empty;
        view->error = String();
        view->viewer.ShowImage(nullptr);
        view->slider.SetIndexAndCount(0, 1);
    }
    UpdateStatus();
}

void ImageViewXYXZYZ3DControl::Request(SliceView &view, std::uint64_t k)
{
    if (!view.adapter)
        return;
    view.pending = k;
    if (_loading == &view) {
        // The slice under way is no longer wanted.
        if (_progress)
            _progress->Cancel();
    } else {
        view.state = LoadState::Waiting;
    }
    StartNextLoad();
    UpdateStatus();
}

void ImageViewXYXZYZ3DControl::StartNextLoad()
{
    if (_decode)
        return;
    for (const auto &pointer : _views) {
        SliceView &view = *pointer;
        if (!view.pending)
            continue;
        view.index = *view.pending;
        view.pending.reset();
        try {
            const auto slice = DynamicPointerCast<IImage2D>(view.adapter->Get(view.index));
            const auto cache = MakeShared<Image2DDataCache>(slice);
            _progress = MakeShared<SliceProgress>(*this);
            _loading = &view;
            view.state = LoadState::Loading;
            std::weak_ptr<bool> alive = _alive;
            const std::uint64_t generation = _generation;
            _decode = std::make_unique<BackgroundDecode>(
                cache, _progress, _poster,
                [this, alive, generation, &view](const BackgroundDecode::Outcome &outcome) {
                    if (const auto living = alive.lock(); living && *living && generation == _generation)
                        Loaded(view, outcome);
                });
            return;
        } catch (const std::exception &e) {
            _progress = SharedPtr<SliceProgress>();
            _loading = nullptr;
            view.state = LoadState::Failed;
            view.error = String(e.what());
        }
    }
}

void ImageViewXYXZYZ3DControl::Loaded(SliceView &view, const BackgroundDecode::Outcome &outcome)
{
    _decode.reset();
    _progress = SharedPtr<SliceProgress>();
    _loading = nullptr;
    if (outcome.image) {
        const bool first = !view.viewer.View().GetImage();
        view.viewer.ShowImage(outcome.image);
        view.viewer.SetImagePath(SliceName(view.orientation).ToU16String());
        if (first)
            view.viewer.View().FitToWindow();
        view.state = LoadState::Shown;
        view.error = String();
    } else if (outcome.cancelled) {
        view.state = view.pending ? LoadState::Waiting : LoadState::Shown;
    } else {
        view.state = LoadState::Failed;
        view.error = outcome.error;
        BRINTAVOLEX_LOG(SliceName(view.orientation) + ": " + outcome.error);
    }
    StartNextLoad();
    UpdateStatus();
    RequestRepaint();
}

String ImageViewXYXZYZ3DControl::SliceName(SliceOrientation o)
{
    const SliceView &view = View(o);
    const auto *adapter = dynamic_cast<const Image2DDecoderFromImage3DDecoder *>(view.adapter.Get());
    return adapter ? adapter->SliceName(view.index) : String();
}

double ImageViewXYXZYZ3DControl::CombinedProgress()
{
    double sum = 0;
    for (const auto &view : _views) {
        switch (view->state) {
        case LoadState::Waiting: break;
        case LoadState::Loading: sum += _progress ? _progress->Fraction() : 0; break;
        default: sum += 1;
        }
    }
    return sum / 3;
}

void ImageViewXYXZYZ3DControl::UpdateStatus()
{
    for (const auto &view : _views) {
        TextPair text;
        switch (view->state) {
        case LoadState::Waiting: text = VolumeTexts::WaitingForOtherView; break;
        case LoadState::Loading: {
            text = VolumeTexts::Loading;
            const int percent = _progress ? int(_progress->Fraction() * 100) : 0;
            if (percent > 0)
                for (String &t : text)
                    t += " " + String::FromUnsigned(std::uint64_t(percent)) + " %";
            break;
        }
        case LoadState::Failed: text = Same(view->error); break;
        default: break;
        }
        view->status.SetText(text);
        view->status.SetVisible(view->state != LoadState::Empty && view->state != LoadState::Shown &&
                                view->viewer.IsVisible());
    }
    RequestRepaint();
}

// ---- settings ----

namespace {
using Settings3D = ImageViewXYXZYZ3DControlSettings;
using Mode = Resampling::EnumResamplingMode;
struct CommonToggle {
    PropertyWithNotification<bool> Settings3D::*common;
    PropertyWithNotification<bool> PlanoscopeControlListSettings::*view;
};
constexpr CommonToggle kCommonToggles[] = {
    {&Settings3D::ruler, &PlanoscopeControlListSettings::ruler},
    {&Settings3D::scrollBars, &PlanoscopeControlListSettings::scrollBars},
    {&Settings3D::rgbColorInfo, &PlanoscopeControlListSettings::rgbColorInfo},
    {&Settings3D::brightnessContrast, &PlanoscopeControlListSettings::brightnessContrast}};
struct CommonMode {
    PropertyWithNotification<Mode> Settings3D::*common;
    PropertyWithNotification<Mode> PlanoscopeControlListSettings::*view;
};
constexpr CommonMode kCommonModes[] = {
    {&Settings3D::interpolationL100, &PlanoscopeControlListSettings::interpolationL100},
    {&Settings3D::interpolationE100, &PlanoscopeControlListSettings::interpolationE100},
    {&Settings3D::interpolationG100, &PlanoscopeControlListSettings::interpolationG100}};
} // namespace

void ImageViewXYXZYZ3DControl::ReleaseSettings()
{
    Settings3D &s = *_settings;
    s.layout.Callback().Reset();
    for (const CommonToggle &t : kCommonToggles)
        (s.*t.common).Callback().Reset();
    for (const CommonMode &m : kCommonModes)
        (s.*m.common).Callback().Reset();
}

void ImageViewXYXZYZ3DControl::BindSettings(ImageViewXYXZYZ3DControlSettings &settings, Function2<void()> changed)
{
    ReleaseSettings();
    _settings = &settings;
    _settingsChanged = std::move(changed);
    Function2<void()> viewChanged;
    viewChanged.ResetCallable([this] { SettingChanged(); });
    PlanoscopeControlListSettings *nested[3] = {&settings.viewXY, &settings.viewXZ, &settings.viewYZ};
    for (std::size_t i = 0; i < 3; ++i)
        _views[i]->viewer.BindSettings(*nested[i], viewChanged);
    settings.layout.Callback().ResetCallable([this](const SInt32 &) {
        ApplyLayoutSetting();
        SettingChanged();
    });
    // A common value set from elsewhere (the settings dialog) goes to every
    // slice view; each view's own toggles stay its own.
    for (const CommonToggle &t : kCommonToggles)
        (settings.*t.common).Callback().ResetCallable([this, t](const bool &value) {
            for (PlanoscopeControlListSettings *s : {&_settings->viewXY, &_settings->viewXZ, &_settings->viewYZ})
                (s->*t.view).Set(value);
            SettingChanged();
        });
    for (const CommonMode &m : kCommonModes)
        (settings.*m.common).Callback().ResetCallable([this, m](const Mode &value) {
            for (PlanoscopeControlListSettings *s : {&_settings->viewXY, &_settings->viewXZ, &_settings->viewYZ})
                (s->*m.view).Set(value);
            SettingChanged();
        });
    ApplyLayoutSetting();
}

void ImageViewXYXZYZ3DControl::SettingChanged()
{
    if (_settingsChanged)
        _settingsChanged();
}

void ImageViewXYXZYZ3DControl::SetLayout(SInt32 id)
{
    if (!LayoutOfId(id))
        throw Exception("ImageViewXYXZYZ3DControl::ToolbarDropDownList_XY_XZ_YZ_4x: invalid id");
    if (_settings->layout.Get() == id)
        ApplyLayoutSetting();
    else
        _settings->layout.Set(id);
}

void ImageViewXYXZYZ3DControl::ApplyLayoutSetting()
{
    // A value no version wrote (a damaged file) shows the default.
    _layout = LayoutOfId(_settings->layout.Get())
                  .value_or(VolumeLayout(ImageViewXYXZYZ3DControlSettings::kDefaultLayout));
    for (std::int32_t i = 0; i < std::int32_t(std::size(kVolumeLayouts)); ++i)
        if (kVolumeLayouts[i].layout == _layout)
            _layoutList.SetSelectedIndex(i);
    LayOut();
}

// ---- layout ----

void ImageViewXYXZYZ3DControl::LayOut()
{
    const GUI::Rect r = GetRect();
    const double height = ControlHeight(*this);
    const std::int32_t bar = std::min(Units(*this, height + kToolbarExtra), r.Height());
    const std::int32_t listHeight = std::min(Units(*this, height), bar), spacing = Units(*this, kSpacing);
    const std::int32_t listY = r.y0 + (bar - listHeight) / 2;
    Place(_layoutList, r.x0 + spacing, listY, std::min(r.x1, r.x0 + spacing + Units(*this, kLayoutListWidth)),
          listY + listHeight);

    const auto cells = VolumeLayoutCells(_layout, GUI::Rect{r.x0, r.y0 + bar, r.x1, r.y1});
    for (std::size_t i = 0; i < 3; ++i) {
        SliceView &view = *_views[i];
        const bool shown = cells[i].has_value();
        for (GUI::Control *c : std::initializer_list<GUI::Control *>{&view.viewer, &view.slider, &view.title})
            c->SetVisible(shown);
        if (!shown)
            continue;
        const GUI::Rect c = *cells[i];
        // The slider's column at the left, wide enough for its title.
        const std::int32_t column = std::min(
            c.Width(), std::max(view.slider.ColumnWidth(), view.title.TextWidth() + Units(*this, kTitlePadding)));
        const std::int32_t title = std::min(Units(*this, height), c.Height());
        Place(view.title, c.x0, c.y0, c.x0 + column, c.y0 + title);
        Place(view.slider, c.x0, c.y0 + title, c.x0 + column, c.y1);
        Place(view.viewer, c.x0 + column, c.y0, c.x1, c.y1);
        const GUI::Rect v = view.viewer.View().GetRect();
        const std::int32_t middle = (v.y0 + v.y1) / 2, half = title / 2;
        Place(view.status, v.x0, std::max(v.y0, middle - half), v.x1, std::min(v.y1, middle + half));
    }
    _view3D.SetVisible(cells[3].has_value());
    if (cells[3])
        Place(_view3D, cells[3]->x0, cells[3]->y0, cells[3]->x1, cells[3]->y1);
    UpdateStatus();
}

void ImageViewXYXZYZ3DControl::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    ControlList::SetRect(x0, y0, x1, y1);
    LayOut();
}

void ImageViewXYXZYZ3DControl::SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui)
{
    ControlList::SetParent(parent, panel, gui);
    LayOut();
}

void ImageViewXYXZYZ3DControl::OnScaleChanged()
{
    ControlList::OnScaleChanged();
    LayOut();
}

bool ImageViewXYXZYZ3DControl::DeleteContextObjects()
{
    const bool all = ControlList::DeleteContextObjects();
    if (!all)
        BRINTAVOLEX_LOG("ImageViewXYXZYZ3DControl::DeleteContextObjects");
    return all;
}

} // namespace Brintavolex::ImageView
