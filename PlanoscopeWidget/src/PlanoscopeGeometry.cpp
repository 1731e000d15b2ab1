#include "PlanoscopeWidget/api/PlanoscopeGeometry.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Brintavolex::ImageView {

namespace {

constexpr double kStep = 1.0905077326652577; // 2^(1/8)
constexpr double kPi = 3.14159;

// The picture's axes on screen: for 90 and 270 degrees width and height trade places.
bool Swaps(std::int32_t rotation) noexcept { return rotation == 90 || rotation == 270; }

// Rotates an image-axis vector onto the screen axes (y down): the picture
// turns clockwise by angle degrees.
Vec2 ImageToScreen(Vec2 v, std::int32_t angle) noexcept
{
    switch (((angle % 360) + 360) % 360) {
    case 90: return {-v.y, v.x};
    case 180: return {-v.x, -v.y};
    case 270: return {v.y, -v.x};
    default: return v;
    }
}

Vec2 ScreenToImage(Vec2 v, std::int32_t angle) noexcept { return ImageToScreen(v, 360 - (((angle % 360) + 360) % 360)); }

double RoundHalfAwayFromZero(double v) noexcept { return v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5); }

} // namespace

double ClampZoom(double z) noexcept
{
    if (!(z >= kMinimumZoom))
        return kMinimumZoom;
    return std::min(z, kMaximumZoom);
}

double ZoomAfterSteps(double z, double steps) noexcept
{
    const double n = std::log(ClampZoom(z)) / std::log(kStep) - steps;
    const long long k = n > 0 ? (long long)(n + 0.5) : n < 0 ? (long long)(n - 0.5) : 0;
    // Whole octaves exactly: b^(8m) = 2^m.
    if (k % 8 == 0 && k >= -64 && k <= 32)
        return ClampZoom(std::ldexp(1.0, int(k / 8)));
    return ClampZoom(std::pow(kStep, double(k)));
}

String ZoomText(double z)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 3, 100.0 / z, std::chars_format::fixed, 4);
    char *end = result.ptr;
    *end++ = ' ';
    *end++ = '%';
    return String(StringExpr(buffer, std::size_t(end - buffer), Encoding::Windows1252));
}

double ZoomListValue(int index)
{
    if (index < 0 || index >= kZoomListSize)
        throw Exception("ZoomListValue: index outside the zoom list");
    return std::ldexp(1.0, 6 - index);
}

bool CanZoomIn(double z) noexcept { return z > 0.00390635; }
bool CanZoomOut(double z) noexcept { return z < 63.9999999; }

double FitZoom(double width, double height, double viewWidth, double viewHeight, std::int32_t rotation) noexcept
{
    if (Swaps(rotation))
        std::swap(width, height);
    double z = 0.001;
    if (viewWidth > 0)
        z = std::max(z, width / viewWidth);
    if (viewHeight > 0)
        z = std::max(z, height / viewHeight);
    return z;
}

Vec2 ClampPanning(Vec2 pan, double imageWidth, double imageHeight, double viewWidth, double viewHeight, double z,
                  std::int32_t rotation)
{
    if (rotation != 0 && rotation != 90 && rotation != 180 && rotation != 270)
        throw Exception("Planoscope::ClampPanning: rotation angle must be in {0,90,180,270}");
    // The view's width bounds the picture's extent along the screen's x axis.
    const double ex = Swaps(rotation) ? imageHeight : imageWidth;
    const double ey = Swaps(rotation) ? imageWidth : imageHeight;
    const auto clamp = [z](double p, double extent, double view) {
        const double m = view * 0.5 * z - z * 50 + extent * 0.5;
        return m < 0 ? 0.0 : std::clamp(p, -m, m);
    };
    return {clamp(pan.x, ex, viewWidth), clamp(pan.y, ey, viewHeight)};
}

Vec2 RotatePan(Vec2 pan, std::int32_t fromAngle, std::int32_t toAngle) noexcept
{
    // Back to image axes, then onto the new screen axes; the angle step is a
    // multiple of 90 degrees, so this is exact (the cosine of a right angle
    // with pi taken as 3.14159 is not).
    (void)kPi;
    return ImageToScreen(ScreenToImage(pan, fromAngle), toAngle);
}

Platform::Video::RectI32 ImageRectangle(double imageWidth, double imageHeight, std::int32_t rotation, double z,
                                        Vec2 pan, double areaLeft, double areaTop, double areaWidth,
                                        double areaHeight) noexcept
{
    double w = imageWidth / z, h = imageHeight / z;
    if (Swaps(rotation))
        std::swap(w, h);
    w = std::max(w, 1.0);
    h = std::max(h, 1.0);
    const double cx = areaLeft + areaWidth * 0.5 - pan.x / z;
    const double cy = areaTop + areaHeight * 0.5 - pan.y / z;
    // The extent is rounded once and the far edge follows from the near one:
    // rounding both edges on their own makes an odd extent one pixel longer
    // where the centre falls on a half pixel, and 100 % would then stretch.
    w = RoundHalfAwayFromZero(w);
    h = RoundHalfAwayFromZero(h);
    Platform::Video::RectI32 r;
    r.left = std::int32_t(RoundHalfAwayFromZero(cx - w * 0.5));
    r.top = std::int32_t(RoundHalfAwayFromZero(cy - h * 0.5));
    r.right = r.left + std::int32_t(w);
    r.bottom = r.top + std::int32_t(h);
    return r;
}

Vec2 ImagePointAtScreen(Vec2 screen, double imageWidth, double imageHeight, std::int32_t rotation, double z,
                        Vec2 pan, double areaLeft, double areaTop, double areaWidth, double areaHeight) noexcept
{
    // Offset from the picture's centre on screen, in image pixels along the
    // screen axes, then turned back onto the image axes.
    const double cx = areaLeft + areaWidth * 0.5 - pan.x / z;
    const double cy = areaTop + areaHeight * 0.5 - pan.y / z;
    const Vec2 offset = ScreenToImage({(screen.x - cx) * z, (screen.y - cy) * z}, rotation);
    return {imageWidth * 0.5 + offset.x, imageHeight * 0.5 + offset.y};
}

Vec2 ScreenPointOfImage(Vec2 image, double imageWidth, double imageHeight, std::int32_t rotation, double z, Vec2 pan,
                        double areaLeft, double areaTop, double areaWidth, double areaHeight) noexcept
{
    const Vec2 offset = ImageToScreen({image.x - imageWidth * 0.5, image.y - imageHeight * 0.5}, rotation);
    const double cx = areaLeft + areaWidth * 0.5 - pan.x / z;
    const double cy = areaTop + areaHeight * 0.5 - pan.y / z;
    return {cx + offset.x / z, cy + offset.y / z};
}

Resampling::EnumResamplingMode ChooseResampling(double z, Resampling::EnumResamplingMode magnified,
                                                Resampling::EnumResamplingMode atHundred,
                                                Resampling::EnumResamplingMode reduced) noexcept
{
    return z < 1 ? magnified : z > 1 ? reduced : atHundred;
}

} // namespace Brintavolex::ImageView
