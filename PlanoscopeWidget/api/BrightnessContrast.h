#pragma once

// Brightness and contrast: a display window [black point, white point] on
// the image's normalised 0..1 scale, and the state the brightness/contrast
// panel binds to.

#include "Data/api/Image2D.h"
#include "Root/api/Function.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>

namespace Brintavolex::ImageView {

constexpr double kQuarterPi = 0.7853981633974483;
// The slope of the steepest window: contrast +1, a window of no width,
// which shows a threshold at its point.
constexpr double kSteepestSlope = 1.7976931348623157e308;
// The flattest window (contrast -1 would make it infinitely wide): a million
// units, which shows every value within half a byte of mid-grey.
constexpr double kFlattestSlope = 1e-6;

// Where a normalised value n lands on the display's 0..1 scale.
struct DisplayWindow {
    double lo = 0, hi = 1;

    bool IsIdentity() const noexcept { return lo == 0 && hi == 1; }
    // clamp((n - lo) / (hi - lo), 0, 1); a window of no width is a
    // threshold (n >= lo shows 1); NaN shows 0, as in the fixed mapping.
    double Apply(double n) const noexcept
    {
        if (n != n)
            return 0;
        if (!(hi > lo))
            return n >= lo ? 1.0 : 0.0;
        const double v = (n - lo) / (hi - lo);
        return v > 0 ? (v < 1 ? v : 1.0) : 0.0;
    }
};

// The exact relations between the points and the two controls (each in
// -1..1, 0 neutral).
double BrightnessFromPoints(double lo, double hi) noexcept;
double ContrastFromPoints(double lo, double hi) noexcept; // 1 for lo = hi
// The slope 1 / (hi - lo) of a contrast: tan((C + 1) pi / 4), at least
// kFlattestSlope, kSteepestSlope at C = 1.
double SlopeFromContrast(double contrast) noexcept;
DisplayWindow WindowFromControls(double brightness, double contrast) noexcept;

// The image's window as B, G, R, A display bytes for the view to show: grey
// images give a UInt8 copy, colour images a BGRAUInt8 copy with the window
// applied to B, G and R alike and alpha by the fixed mapping. Values go
// through the image's representation to the normalised scale first. Throws
// "unknown color type" for the RGBA types.
SharedPtr<Data::Image2DBase> ApplyDisplayWindow(const Data::Image2DBase &image, const DisplayWindow &window);
// Whether the image shows as stored under the window: the identity window
// over an integer image whose normalised scale is its type's fixed one.
bool ShowsAsStored(const Data::Image2DBase &image, const DisplayWindow &window);

// The state of the brightness/contrast panel: the two controls, the two
// points they stand for and the image whose user values the fields show.
// Every change that alters something tells the listener what changed.
class PlanoscopeBrightnessContrast {
public:
    struct Changes {
        bool brightness = false, contrast = false, points = false;
        bool Any() const noexcept { return brightness || contrast || points; }
    };

    // The image whose representation converts the points to user values
    // (null: the fixed 0..1 scale). The window stays as it is.
    void SetImage(const SharedPtr<Data::Image2DBase> &image);
    const SharedPtr<Data::Image2DBase> &GetImage() const noexcept { return _image; }

    double Brightness() const noexcept { return _brightness; }
    double Contrast() const noexcept { return _contrast; }
    const DisplayWindow &Window() const noexcept { return _window; }
    bool IsNeutral() const noexcept { return _brightness == 0 && _contrast == 0; }
    // The points as user values: the "Min:" and "Max:" fields.
    double UserBlackPoint() const;
    double UserWhitePoint() const;

    // Sliders: clamped to -1..1, NaN ignored; the points follow.
    void SetBrightness(double brightness);
    void SetContrast(double contrast);
    // Fields: user values, exchanged when the minimum is the larger; NaN
    // leaves that point as it is. The controls follow.
    void SetUserPoints(double userMinimum, double userMaximum);
    // Points on the normalised scale, exchanged when lo > hi.
    void SetPoints(double lo, double hi);
    // Dragging a point in the graph: never past the other one.
    void MoveBlackPoint(double delta);
    void MoveWhitePoint(double delta);
    void ResetBrightness() { SetBrightness(0); }
    void ResetContrast() { SetContrast(0); }
    void Reset();

    Function2<void(const Changes &)> &ChangeListener() noexcept { return _listener; }

private:
    void SetControls(double brightness, double contrast);
    void Notify(const Changes &changes);

    SharedPtr<Data::Image2DBase> _image;
    double _brightness = 0, _contrast = 0;
    DisplayWindow _window;
    Function2<void(const Changes &)> _listener;
};

} // namespace Brintavolex::ImageView
