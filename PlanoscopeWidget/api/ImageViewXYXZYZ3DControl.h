#pragma once

// The volume viewer: three orthogonal slice views (XY, XZ, YZ), each a 2D
// viewer with its own toolbar and slice slider, and a 3D view, arranged as
// the layout list of the toolbar says. Slices come from the slice adapters
// and load in the background, one view after another.

#include "Data/api/SceneItem.h"
#include "GUI/api/Button.h"
#include "GUI/api/Label.h"
#include "GUI/api/Widgets.h"
#include "Platform/api/BackgroundDecode.h"
#include "Platform/api/GuiThreadPoster.h"
#include "PlanoscopeWidget/api/ImageViewXYXZYZ3DControlSettings.h"
#include "PlanoscopeWidget/api/PlanoscopeControlList.h"
#include "PlanoscopeWidget/api/VerticalStreamSliderControl.h"

#include <array>
#include <memory>
#include <optional>

namespace Brintavolex::ImageView {

// The arrangements of the layout list; the value is what the settings keep.
enum class VolumeLayout : SInt32 {
    All = 0,        // the three slice views and the 3D view in a 2 x 2 grid
    Horizontal = 1, // the slice views side by side
    Vertical = 2,   // the slice views one above the other
    View3D = 3,
    XY = 4,
    XZ = 5,
    YZ = 6,
    View3DAndSlices = 7, // the 3D view above the slice views side by side
};

struct VolumeLayoutEntry {
    const char *text;
    VolumeLayout layout;
};
// The layout list's entries, in list order.
inline constexpr VolumeLayoutEntry kVolumeLayouts[8] = {
    {"XY", VolumeLayout::XY},           {"XZ", VolumeLayout::XZ},
    {"YZ", VolumeLayout::YZ},           {"vertical", VolumeLayout::Vertical},
    {"horizontal", VolumeLayout::Horizontal}, {"3D", VolumeLayout::View3D},
    {"all", VolumeLayout::All},         {"3D + XY|XZ|YZ", VolumeLayout::View3DAndSlices}};

// Where each view goes in area: XY, XZ, YZ and 3D; empty for a hidden view.
std::array<std::optional<GUI::Rect>, 4> VolumeLayoutCells(VolumeLayout layout, GUI::Rect area);

// The 3D picture where a renderer draws volumes; until one does, the message
// that it cannot.
class ImageView3DControl : public GUI::ControlList {
public:
    ImageView3DControl();
    bool IsRenderingSupported() const noexcept { return false; }
    GUI::Label &Message() noexcept { return _message; }
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;

private:
    GUI::Label _message;
};

class ImageView3DControlWithToolbar : public GUI::ControlList {
public:
    enum class Direction { Default, XY, XZ, YZ };

    ImageView3DControlWithToolbar();
    ImageView3DControl &View() noexcept { return _view; }
    Direction GetDirection() const noexcept { return _direction; }
    bool IsRedCyanStereo() const noexcept { return _redCyan.IsActive(); }

    GUI::Button &DefaultViewButton() noexcept { return _default; }
    GUI::Button &XYViewButton() noexcept { return _xy; }
    GUI::Button &XZViewButton() noexcept { return _xz; }
    GUI::Button &YZViewButton() noexcept { return _yz; }
    GUI::TwoStateButton &RedCyanButton() noexcept { return _redCyan; }

    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui) override;
    void OnScaleChanged() override;

private:
    void UpdateIcons();
    void LayOut();

    ImageView3DControl _view;
    GUI::Button _default, _xy, _xz, _yz;
    GUI::TwoStateButton _redCyan;
    Direction _direction = Direction::Default;
};

class ImageViewXYXZYZ3DControl : public GUI::ControlList {
public:
    // Of a slice view: nothing to show, its turn not come, decoding, shown,
    // or the decode failed (the message stands in the view).
    enum class LoadState { Empty, Waiting, Loading, Shown, Failed };

    ImageViewXYXZYZ3DControl();
    ~ImageViewXYXZYZ3DControl() override;

    // Shows a volume: item must be an IImage3D ("object pointer is nullptr"
    // without one, "image==3d but image3d_XY_XZ_YZ is invalid" when it is no
    // volume). name starts the slice names (name_XY_0000 ...). Each view
    // starts at its middle slice; decodes report through poster.
    void SetItem(const SharedPtr<ISceneItem> &item, const String &name, SharedPtr<IGuiThreadPoster> poster);
    // Forgets the volume; a decode under way is cancelled.
    void Clear();

    // Binds to settings that outlive the control: layout and each view's 2D
    // settings follow them and write them; a change of one of the common
    // toggles or sampling modes goes to all three slice views.
    void BindSettings(ImageViewXYXZYZ3DControlSettings &settings, Function2<void()> changed = {});
    ImageViewXYXZYZ3DControlSettings &Settings() noexcept { return *_settings; }

    // A value outside VolumeLayout fails with
    // "ImageViewXYXZYZ3DControl::ToolbarDropDownList_XY_XZ_YZ_4x: invalid id".
    void SetLayout(SInt32 id);
    VolumeLayout GetLayout() const noexcept { return _layout; }

    PlanoscopeControlWithToolbar &SliceViewer(SliceOrientation o) noexcept { return View(o).viewer; }
    VerticalStreamSliderControl &Slider(SliceOrientation o) noexcept { return View(o).slider; }
    GUI::Label &SliderTitle(SliceOrientation o) noexcept { return View(o).title; }
    // The text over a slice view while it is not showing its slice.
    GUI::Label &StatusLabel(SliceOrientation o) noexcept { return View(o).status; }
    LoadState GetLoadState(SliceOrientation o) noexcept { return View(o).state; }
    // The name of the slice the view shows or loads.
    String SliceName(SliceOrientation o);
    const SharedPtr<IDecoder> &SliceAdapter(SliceOrientation o) noexcept { return View(o).adapter; }
    ImageView3DControlWithToolbar &View3D() noexcept { return _view3D; }
    GUI::DropDownList &LayoutList() noexcept { return _layoutList; }
    // The mean of the slice views' progress, a view with nothing to load
    // counting 1.
    double CombinedProgress();

    // GUI::Control
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui) override;
    void OnScaleChanged() override;
    bool DeleteContextObjects() override;

private:
    class SliceProgress;
    struct SliceView {
        SliceOrientation orientation;
        PlanoscopeControlWithToolbar viewer;
        VerticalStreamSliderControl slider;
        GUI::Label title;
        GUI::Label status;
        SharedPtr<IDecoder> adapter;
        std::optional<std::uint64_t> pending; // the slice asked for next
        std::uint64_t index = 0;              // the slice shown or loading
        LoadState state = LoadState::Empty;
        String error;
    };

    SliceView &View(SliceOrientation o) noexcept { return *_views[std::size_t(o)]; }
    void Request(SliceView &view, std::uint64_t k);
    void StartNextLoad();
    void Loaded(SliceView &view, const BackgroundDecode::Outcome &outcome);
    void UpdateStatus();
    void LayOut();
    void ApplyLayoutSetting();
    void ReleaseSettings();
    void CancelLoad();
    void SettingChanged();

    // The settings outlive the views bound to them.
    std::unique_ptr<ImageViewXYXZYZ3DControlSettings> _ownSettings;
    ImageViewXYXZYZ3DControlSettings *_settings;
    Function2<void()> _settingsChanged;

    std::array<std::unique_ptr<SliceView>, 3> _views;
    ImageView3DControlWithToolbar _view3D;
    GUI::DropDownList _layoutList;
    VolumeLayout _layout = VolumeLayout::Vertical;

    String _name;
    SharedPtr<IGuiThreadPoster> _poster;
    SharedPtr<SliceProgress> _progress;
    std::unique_ptr<BackgroundDecode> _decode;
    SliceView *_loading = nullptr;
    std::uint64_t _generation = 0;
    std::shared_ptr<bool> _alive = std::make_shared<bool>(true);
};

} // namespace Brintavolex::ImageView
