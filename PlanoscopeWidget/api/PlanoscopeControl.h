#pragma once

// Planoscope: the control that shows one 2D image with zoom, pan and
// rotation, and draws the ruler and the pixel values over it.

#include "Data/api/Image2D.h"
#include "GUI/api/Control.h"
#include "GUI/api/Drawing.h"
#include "GUI/api/ResampledPicture.h"
#include "GUI/api/Resampling.h"
#include "PlanoscopeWidget/api/BrightnessContrast.h"
#include "PlanoscopeWidget/api/PlanoscopeGeometry.h"
#include "Root/api/Function.h"

#include <memory>
#include <optional>
#include <vector>

namespace Brintavolex::ImageView {

class PlanoscopeRuler;
class PlanoscopeRGBColorInfo;

// What the view would resample for a picture shown fitted, from a snapshot
// of its area, turn and sampling settings (usable on any thread).
class FittedPaint {
public:
    // The zoom that fits a picture of width x height stored pixels shown
    // upright by its Exif orientation (above 1: reduced), not clamped.
    double FittingZoom(std::uint64_t width, std::uint64_t height, std::uint16_t exifOrientation) const;
    // The paint of such a picture after the view fitted it with its pan at the centre.
    GUI::ResamplingRequest Request(std::uint64_t width, std::uint64_t height, std::uint16_t exifOrientation) const;

private:
    friend class Planoscope;
    std::int32_t ShownRotation(std::uint16_t exifOrientation) const noexcept;
    GUI::Rect _area{};
    std::int32_t _rotation = 0;
    Resampling::EnumResamplingMode _modes[3] = {};
};

class Planoscope : public GUI::ControlList {
public:
    using Mode = Resampling::EnumResamplingMode;

    Planoscope();
    ~Planoscope() override;

    // The image shown (null: an empty view), the size of one of its pixels
    // and its Exif orientation: the view shows it upright (a value outside 1
    // to 8 as stored), its own rotation on top.
    void SetImage(const SharedPtr<Data::Image2DBase> &image, double pixelWidth = 1, double pixelHeight = 1,
                  std::uint16_t exifOrientation = 1);
    const SharedPtr<Data::Image2DBase> &GetImage() const noexcept { return _image; }
    std::uint16_t GetExifOrientation() const noexcept { return _exifOrientation; }

    double GetZoom() const noexcept { return _zoom; }
    void SetZoom(double z);
    void ZoomBySteps(double steps);
    // Zooms keeping the image point under the screen offset (dx, dy) from the
    // view centre where it is.
    void ZoomAt(double steps, double dx, double dy);
    void FitToWindow();
    // The zoom that shows the whole upright, turned picture, not clamped.
    double FittingZoom() const;
    bool IsFitting() const noexcept { return _fit; }
    Vec2 GetPan() const noexcept { return _pan; }
    void SetPan(Vec2 pan);
    // The view's own turn of the upright picture: 0, 90, 180 or 270
    // (clockwise on screen); another angle throws and changes nothing.
    std::int32_t GetRotation() const noexcept { return _rotation; }
    void SetRotation(std::int32_t angle);
    void RotateClockwise() { SetRotation((_rotation + 90) % 360); }
    void RotateCounterclockwise() { SetRotation((_rotation + 270) % 360); }
    Vec2 ClampPanning(Vec2 pan) const;

    // The brightness/contrast window the picture is shown through (none:
    // the fixed display mapping). The image itself never changes: the view
    // draws a windowed 8-bit copy while the window changes what is seen.
    void SetDisplayWindow(std::optional<DisplayWindow> window);
    const std::optional<DisplayWindow> &GetDisplayWindow() const noexcept { return _window; }
    // What the texture holds: the image, or its windowed copy.
    const SharedPtr<Data::Image2DBase> &ShownImage();

    void ShowRuler(bool show);
    bool IsRulerShown() const noexcept { return _rulerShown; }
    void ShowRGBValues(bool show);
    bool AreRGBValuesShown() const noexcept { return _valuesShown; }

    // The resampling settings below, at and above 100 %.
    void SetResamplingModes(Mode reduced, Mode atHundred, Mode magnified);
    Mode CurrentResamplingMode() const noexcept;

    // Null while the view's frames are not the software renderer's or a
    // brightness/contrast window changes what is drawn; else the snapshot.
    std::optional<FittedPaint> FittedPaintPlan() const;
    // A picture resampled ahead for the image just set: a paint that
    // resamples exactly the same copies it. Forgotten with the image.
    void OfferResampled(std::shared_ptr<const GUI::ResampledPicture> resampled) { _ahead = std::move(resampled); }

    // Told of every zoom change.
    Function2<void()> &ZoomListener() noexcept { return _zoomListener; }

    // Where the image lies in the view (panel coordinates) and the image
    // point (in stored pixels) under a view point.
    Platform::Video::RectI32 ImageRectangleOnScreen() const;
    Vec2 ImagePointAt(double x, double y) const;
    Vec2 ScreenPointOf(Vec2 imagePoint) const;

    // GUI::Control
    void Draw() override;
    bool DeleteContextObjects() override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;
    GUI::Control *OnMouseEnter(std::int32_t x, std::int32_t y) override;
    GUI::Control *OnMouseMove(std::int32_t x, std::int32_t y) override;
    GUI::Control *OnMouseLButtonDown(std::int32_t x, std::int32_t y) override;
    GUI::Control *OnMouseLButtonUp(std::int32_t x, std::int32_t y) override;
    int OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y) override;
    bool OnKeyDown(std::uint32_t key, std::int64_t flags) override;

    // Frames drawn in full, frames copied from a picture resampled ahead
    // and frames that reused the last one (panning, repaints).
    unsigned FullFrames() const noexcept { return _fullFrames; }
    unsigned AheadFrames() const noexcept { return _aheadFrames; }
    unsigned ReusedFrames() const noexcept { return _reusedFrames; }
    void EnableFrameReuse(bool enable) noexcept { _reuseEnabled = enable; }

private:
    struct ImageExtent {
        double width, height;
    };
    ImageExtent Extent() const noexcept;
    // The stored picture's turn on screen: the upright turn and the view's
    // own; a mirror, when the orientation has one, comes first.
    std::int32_t ShownRotation() const noexcept;
    bool Mirrored() const noexcept;
    void ZoomChanged();
    void AfterViewChange();
    bool EnsureTexture(Platform::Video::Context &context);
    void DrawImage(Platform::Video::Context &context);
    // The frame reuse of the software renderer: shifts the last frame and
    // draws only the strips that panning uncovered.
    bool DrawReusingLastFrame(Platform::Video::Context &context, const Platform::Video::RectI32 &destination,
                              Mode mode);
    void KeepFrame(const Platform::Video::RectI32 &destination, Mode mode);
    GUI::ResamplingRequest CurrentRequest(const Platform::Video::RectI32 &destination, Mode mode) const;
    bool DrawResampledAhead(const GUI::ResamplingRequest &request);

    SharedPtr<Data::Image2DBase> _image;
    std::optional<DisplayWindow> _window;
    SharedPtr<Data::Image2DBase> _windowed; // null until needed, reset by a new image or window
    double _pixelWidth = 1, _pixelHeight = 1;
    double _zoom = 1;
    Vec2 _pan;
    std::int32_t _rotation = 0;
    std::uint16_t _exifOrientation = 1;
    bool _fit = false;
    bool _dragging = false;
    Vec2 _last;
    int _wheelDelta = 0; // wheel units not yet turned into a zoom step
    Mode _modes[3] = {Mode::Area, Mode::Nearest, Mode::Cubic}; // reduced, 100 %, magnified
    Function2<void()> _zoomListener;

    GUI::Resampling _resampling;
    SharedPtr<Platform::Video::Image2D> _texture;
    const Platform::Video::Context *_textureContext = nullptr;
    const Data::Image2DBase *_textureImage = nullptr;
    std::uint64_t _textureGeneration = 0;
    bool _textureMipMap = false;
    std::shared_ptr<const GUI::ResampledPicture> _ahead;

    bool _rulerShown = false, _valuesShown = false;
    std::unique_ptr<PlanoscopeRuler> _ruler;
    std::unique_ptr<PlanoscopeRGBColorInfo> _values;

    // The last frame of the view's area, for panning.
    struct KeptFrame {
        bool valid = false;
        Platform::Video::RectI32 area, destination;
        Mode mode = Mode::Nearest;
        double zoom = 0;
        std::int32_t rotation = 0;
        const Platform::Video::Image2D *texture = nullptr;
        std::vector<std::uint8_t> pixels;
    } _kept;
    bool _reuseEnabled = true;
    unsigned _fullFrames = 0, _aheadFrames = 0, _reusedFrames = 0;
};

} // namespace Brintavolex::ImageView
