#include "PlanoscopeWidget/api/BrightnessContrast.h"

#include "Data/api/DisplayBytes.h"
#include "PlanoscopeWidget/src/UserValueMapping.h"
#include "Platform/api/Threading.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

namespace Brintavolex::ImageView {

double BrightnessFromPoints(double lo, double hi) noexcept { return 0.5 - (lo + hi) / 2; }

double ContrastFromPoints(double lo, double hi) noexcept
{
    if (lo == hi)
        return 1;
    return std::atan(1 / (hi - lo)) / kQuarterPi - 1;
}

double SlopeFromContrast(double contrast) noexcept
{
    if (contrast == 0)
        return 1;
    if (contrast >= 1)
        return kSteepestSlope;
    return std::max(std::tan((contrast + 1) * kQuarterPi), kFlattestSlope);
}

DisplayWindow WindowFromControls(double brightness, double contrast) noexcept
{
    const double s = SlopeFromContrast(contrast);
    return {0.5 - 0.5 / s - brightness, 0.5 + 0.5 / s - brightness};
}

// ---- the window on the pixels ----

namespace {

template <class C> constexpr bool kByTable = std::is_integral_v<C> && sizeof(C) <= 2;

// The windowed display byte of every value of an 8- or 16-bit component,
// indexed by value - minimum.
template <class C> std::vector<std::uint8_t> WindowTable(const UserValueMapping &mapping, const DisplayWindow &window)
{
    constexpr unsigned kValues = 1u << (8 * sizeof(C));
    std::vector<std::uint8_t> table(kValues);
    for (unsigned k = 0; k < kValues; ++k) {
        const double p = double(int(k) + int(std::numeric_limits<C>::min()));
        table[k] = Data::DisplayByteFromNormalized(window.Apply(mapping.NormalizedFromUser(mapping.UserFromPixel(p))));
    }
    return table;
}

template <class P>
void WindowRows(const Data::Image2DBase &image, Data::Image2DBase &shown, const DisplayWindow &window)
{
    using C = typename Data::ChannelOf<P>::type;
    constexpr bool kColour = Data::IsBGRA<P>::value;
    using Out = std::conditional_t<kColour, Data::ColorBGRA<std::uint8_t>, std::uint8_t>;
    const UserValueMapping mapping(image);
    std::vector<std::uint8_t> table;
    if constexpr (kByTable<C>)
        table = WindowTable<C>(mapping, window);
    const auto byteOf = [&](C v) {
        if constexpr (kByTable<C>)
            return table[unsigned(int(v) - int(std::numeric_limits<C>::min()))];
        else
            return Data::DisplayByteFromNormalized(
                window.Apply(mapping.NormalizedFromUser(mapping.UserFromPixel(double(v)))));
    };
    const auto in = image.LockConst<P>();
    auto out = shown.Lock<Out>();
    const std::uint64_t width = in.Width();
    ParallelLoop::For(in.Height(), [&](unsigned, std::uint64_t begin, std::uint64_t end) {
        for (std::uint64_t y = begin; y < end; ++y) {
            const P *source = in.Row(y);
            Out *target = out.Row(y);
            for (std::uint64_t x = 0; x < width; ++x) {
                if constexpr (kColour)
                    target[x] = {byteOf(source[x].b), byteOf(source[x].g), byteOf(source[x].r),
                                 Data::DisplayByte(source[x].a)};
                else
                    target[x] = byteOf(source[x]);
            }
        }
    });
}

} // namespace

SharedPtr<Data::Image2DBase> ApplyDisplayWindow(const Data::Image2DBase &image, const DisplayWindow &window)
{
    SharedPtr<Data::Image2DBase> shown;
    const bool known = Data::DispatchColorType(image.GetColorType(), [&](auto tag) {
        using P = typename decltype(tag)::type;
        shown = Data::CreateImage2D(Data::IsBGRA<P>::value ? Data::ColorType::BGRAUInt8 : Data::ColorType::UInt8);
        shown->Allocate(image.GetWidth(), image.GetHeight());
        shown->SetScale(image.ScaleX(), image.ScaleY());
        WindowRows<P>(image, *shown, window);
    });
    if (!known)
        throw Exception("unknown color type");
    return shown;
}

bool ShowsAsStored(const Data::Image2DBase &image, const DisplayWindow &window)
{
    double minimum = 0, maximum = 0;
    if (!window.IsIdentity() || !Data::NominalRange(image.GetColorType(), minimum, maximum))
        return false;
    const auto &representation = image.GetUserRepresentation();
    if (!representation || dynamic_cast<Data::DefaultImageUserRepresentation *>(representation.Get()))
        return true;
    const auto *r = dynamic_cast<const Data::ImageUserRepresentationFromMinMaxValues *>(representation.Get());
    return r && r->UserMinimum() == minimum && r->UserMaximum() == maximum && r->PixelMinimum() == minimum &&
           r->PixelMaximum() == maximum;
}

// ---- the panel's state ----

void PlanoscopeBrightnessContrast::SetImage(const SharedPtr<Data::Image2DBase> &image) { _image = image; }

double PlanoscopeBrightnessContrast::UserBlackPoint() const
{
    if (!_image)
        return _window.lo;
    return UserValueMapping(*_image).UserFromNormalized(_window.lo);
}

double PlanoscopeBrightnessContrast::UserWhitePoint() const
{
    if (!_image)
        return _window.hi;
    return UserValueMapping(*_image).UserFromNormalized(_window.hi);
}

void PlanoscopeBrightnessContrast::Notify(const Changes &changes)
{
    if (changes.Any())
        _listener(changes);
}

void PlanoscopeBrightnessContrast::SetControls(double brightness, double contrast)
{
    if (brightness != brightness || contrast != contrast)
        return;
    brightness = std::clamp(brightness, -1.0, 1.0);
    contrast = std::clamp(contrast, -1.0, 1.0);
    Changes changes;
    changes.brightness = brightness != _brightness;
    changes.contrast = contrast != _contrast;
    if (!changes.Any())
        return;
    _brightness = brightness, _contrast = contrast;
    const DisplayWindow window = WindowFromControls(brightness, contrast);
    changes.points = window.lo != _window.lo || window.hi != _window.hi;
    _window = window;
    Notify(changes);
}

void PlanoscopeBrightnessContrast::SetBrightness(double brightness) { SetControls(brightness, _contrast); }

void PlanoscopeBrightnessContrast::SetContrast(double contrast) { SetControls(_brightness, contrast); }

void PlanoscopeBrightnessContrast::Reset() { SetControls(0, 0); }

void PlanoscopeBrightnessContrast::SetPoints(double lo, double hi)
{
    if (lo != lo)
        lo = _window.lo;
    if (hi != hi)
        hi = _window.hi;
    if (lo > hi)
        std::swap(lo, hi);
    Changes changes;
    changes.points = lo != _window.lo || hi != _window.hi;
    if (!changes.points)
        return;
    _window = {lo, hi};
    // A window wider than the flattest or beyond the range stays as typed;
    // the sliders show the nearest they can.
    const double brightness = std::clamp(BrightnessFromPoints(lo, hi), -1.0, 1.0);
    const double contrast = std::clamp(ContrastFromPoints(lo, hi), -1.0, 1.0);
    changes.brightness = brightness == brightness && brightness != _brightness;
    changes.contrast = contrast == contrast && contrast != _contrast;
    if (changes.brightness)
        _brightness = brightness;
    if (changes.contrast)
        _contrast = contrast;
    Notify(changes);
}

void PlanoscopeBrightnessContrast::SetUserPoints(double userMinimum, double userMaximum)
{
    double lo = userMinimum, hi = userMaximum;
    if (_image) {
        const UserValueMapping mapping(*_image);
        lo = mapping.NormalizedFromUser(userMinimum);
        hi = mapping.NormalizedFromUser(userMaximum);
    }
    SetPoints(lo, hi);
}

void PlanoscopeBrightnessContrast::MoveBlackPoint(double delta)
{
    if (delta == delta)
        SetPoints(std::min(_window.lo + delta, _window.hi), _window.hi);
}

void PlanoscopeBrightnessContrast::MoveWhitePoint(double delta)
{
    if (delta == delta)
        SetPoints(_window.lo, std::max(_window.hi + delta, _window.lo));
}

} // namespace Brintavolex::ImageView
