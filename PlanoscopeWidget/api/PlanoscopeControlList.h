#pragma once

// The 2D viewer: the view with its scroll bars, a toolbar with every view
// command, and a column of side panels (histogram, brightness/contrast).
// Toolbar, view and settings follow each other both ways.

#include "GUI/api/Button.h"
#include "GUI/api/Label.h"
#include "GUI/api/Slider.h"
#include "GUI/api/Widgets.h"
#include "PlanoscopeWidget/api/PlanoscopeControl.h"
#include "PlanoscopeWidget/api/PlanoscopeControlListSettings.h"
#include "PlanoscopeWidget/api/SaveImage.h"
#include "PlanoscopeWidget/api/SidePanels.h"

#include <memory>
#include <string>

namespace Brintavolex::ImageView {

class PlanoscopeControlWithToolbar : public GUI::ControlList {
public:
    using Mode = Resampling::EnumResamplingMode;
    // The sampling list's entries, in list order.
    static constexpr Mode kSamplingModes[6] = {Mode::Linear, Mode::Cubic, Mode::Nearest, Mode::Area,
                                               Mode::MipMapBilinear, Mode::MipMapTrilinear};

    PlanoscopeControlWithToolbar();
    ~PlanoscopeControlWithToolbar() override;

    // Binds to settings that outlive this composite (until then it keeps
    // its own): their values are applied at once, and from then on every
    // toolbar toggle and sampling choice writes them and calls changed
    // (the owner saves). A change made to the settings from elsewhere shows
    // in the composite as well.
    void BindSettings(PlanoscopeControlListSettings &settings, Function2<void()> changed = {});
    PlanoscopeControlListSettings &Settings() noexcept { return *_settings; }

    // The picture (null: none), its pixel size and Exif orientation.
    void ShowImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth = 1, double pixelHeight = 1,
                   std::uint16_t exifOrientation = 1);
    // The file the picture came from, for the proposed save name.
    void SetImagePath(std::u16string path) { _imagePath = std::move(path); }

    Planoscope &View() noexcept { return _view; }
    const Planoscope &View() const noexcept { return _view; }
    HistogramModel &Histogram() noexcept { return _histogram; }
    PlanoscopeBrightnessContrast &BrightnessContrast() noexcept { return _brightnessContrast; }
    // Told of every zoom and rotation change, after the toolbar followed.
    Function2<void()> &ZoomListener() noexcept { return _zoomListener; }

    // "Save image as...": proposes a name, asks the dialog (none set: the
    // command does nothing) and writes what the view shows: the stored
    // pixels, or their windowed copy while brightness/contrast is active,
    // in the stored orientation. Failures are logged and reported.
    void SetSaveDialog(SharedPtr<ISaveImageDialog> dialog) { _saveDialog = std::move(dialog); }
    void SaveImageAs();
    std::u16string ProposedSaveName() const;
    // The message of the last save that failed (empty after a good one).
    const String &LastSaveError() const noexcept { return _saveError; }

    // Hides the side panels; true when one was shown (Escape).
    bool CloseSidePanels();
    bool IsDisplayWindowActive() const;

    // The toolbar's children.
    GUI::Label &InfoLabel() noexcept { return _label; }
    GUI::Button &SaveButton() noexcept { return _save; }
    GUI::Button &FitButton() noexcept { return _fit; }
    GUI::Button &ZoomOutButton() noexcept { return _zoomOut; }
    GUI::Button &ZoomInButton() noexcept { return _zoomIn; }
    GUI::DropDownList &ZoomList() noexcept { return _zoomList; }
    GUI::DropDownList &SamplingList() noexcept { return _samplingList; }
    GUI::Button &RotateLeftButton() noexcept { return _rotateLeft; }
    GUI::Button &RotateRightButton() noexcept { return _rotateRight; }
    GUI::DropDownList &RotationList() noexcept { return _rotationList; }
    GUI::TwoStateButton &RulerButton() noexcept { return _ruler; }
    GUI::TwoStateButton &ScrollBarsButton() noexcept { return _scrollBarsButton; }
    GUI::TwoStateButton &HistogramButton() noexcept { return _histogramButton; }
    GUI::TwoStateButton &ValuesButton() noexcept { return _values; }
    GUI::TwoStateButton &BrightnessContrastButton() noexcept { return _brightnessContrastButton; }
    GUI::ScrollBars &ScrollBarsControl() noexcept { return _scrollBars; }
    HistogramPanel &HistogramSidePanel() noexcept { return _histogramPanel; }
    BrightnessContrastPanel &BrightnessContrastSidePanel() noexcept { return _brightnessContrastPanel; }
    GUI::Rect ToolbarRect() const noexcept { return _toolbarRect; }

    // GUI::Control
    void Draw() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    void OnScaleChanged() override;
    void SetParent(GUI::Control *parent, GUI::Panel *panel, GUI::GUI *gui) override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;

protected:
    void LayOut();

private:
    void ViewZoomChanged();
    void UpdateIcons();
    void ApplyModes();
    void ApplyToggles();
    void ApplyDisplayWindow();
    void UpdateHistogramImage();
    void SyncScrollBars();
    void ScrollBarMoved();
    void SamplingChosen();
    void ReleaseSettings();
    void SettingChanged();
    // The setting the sampling list edits: that of the zoom's range.
    PropertyWithNotification<Mode> &SettingOfCurrentRange();

    Planoscope _view;
    GUI::ScrollBars _scrollBars;
    GUI::Label _label;
    GUI::Button _save, _fit, _zoomOut, _zoomIn;
    GUI::DropDownList _zoomList, _samplingList;
    GUI::Button _rotateLeft, _rotateRight;
    GUI::DropDownList _rotationList;
    GUI::TwoStateButton _ruler, _scrollBarsButton, _histogramButton, _values, _brightnessContrastButton;
    HistogramModel _histogram;
    PlanoscopeBrightnessContrast _brightnessContrast;
    HistogramPanel _histogramPanel;
    BrightnessContrastPanel _brightnessContrastPanel;

    std::unique_ptr<PlanoscopeControlListSettings> _ownSettings;
    PlanoscopeControlListSettings *_settings;
    Function2<void()> _settingsChanged;
    Function2<void()> _zoomListener;
    SharedPtr<ISaveImageDialog> _saveDialog;
    std::u16string _imagePath;
    String _saveError;
    const Data::Image2DBase *_histogramImage = nullptr;
    GUI::Rect _toolbarRect;
    bool _syncingScrollBars = false;
};

// What the main window shows for a 2D image.
class PlanoscopeControlList : public PlanoscopeControlWithToolbar {
public:
    // A missing image fails with "PlanoscopeControlList:SetImage: image is nullptr".
    void SetImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth = 1, double pixelHeight = 1,
                  std::uint16_t exifOrientation = 1);
};

} // namespace Brintavolex::ImageView
