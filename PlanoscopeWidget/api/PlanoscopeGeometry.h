#pragma once

// The arithmetic of the 2D view: zoom grid, fitting, panning limits and the
// mapping between screen pixels and image pixels. The zoom factor z is the
// size of one screen pixel in image pixels (z = 0.5 shows 200 %).

#include "Interface/api/SettingEnums.h"
#include "Root/api/String.h"
#include "Platform/api/Video/Context.h"

#include <cstdint>

namespace Brintavolex::ImageView {

constexpr double kMinimumZoom = 1.0 / 256.0;
constexpr double kMaximumZoom = 64.0;

struct Vec2 {
    double x = 0, y = 0;
    friend bool operator==(const Vec2 &, const Vec2 &) = default;
};

double ClampZoom(double z) noexcept;

// The zoom after steps eighth-octave steps; positive steps magnify, and the
// first step from any z lands on the grid (whole octaves exactly).
double ZoomAfterSteps(double z, double steps) noexcept;

// "100.0000 %": 100 / z with four decimals, whatever the locale.
String ZoomText(double z);

// The zoom list "Zoom factor": index 0 is z = 64, index 14 is z = 1/256.
constexpr int kZoomListSize = 15;
double ZoomListValue(int index);

bool CanZoomIn(double z) noexcept;
bool CanZoomOut(double z) noexcept;

// The zoom that shows the whole image (extent width x height in image pixels,
// exchanged for 90 and 270 degrees) in a view area of viewWidth x viewHeight.
double FitZoom(double width, double height, double viewWidth, double viewHeight, std::int32_t rotation) noexcept;

// Keeps at least 50 screen pixels of the image inside the view; an image
// smaller than the view is centred. Throws Exception for an angle other than
// 0, 90, 180 or 270.
Vec2 ClampPanning(Vec2 pan, double imageWidth, double imageHeight, double viewWidth, double viewHeight, double z,
                  std::int32_t rotation);

// The pan after the view turns from one angle to another, so that the image
// point at the view centre stays there. Angles turn the picture clockwise on
// screen.
Vec2 RotatePan(Vec2 pan, std::int32_t fromAngle, std::int32_t toAngle) noexcept;

// Where the view shows the image: the rectangle around the area centre minus
// pan / z, with extents of at least one pixel. Extents and top-left corner
// are rounded half away from zero, so the size on screen does not depend on
// where the picture stands (at 100 % one image pixel is one screen pixel).
// areaLeft/areaTop/areaWidth/areaHeight: the view's image area.
Platform::Video::RectI32 ImageRectangle(double imageWidth, double imageHeight, std::int32_t rotation, double z,
                                        Vec2 pan, double areaLeft, double areaTop, double areaWidth,
                                        double areaHeight) noexcept;

// The image point (continuous, pixel (0,0) spans 0..1) at a screen point of
// the view, and back. imageWidth/Height are the extents in image pixels.
Vec2 ImagePointAtScreen(Vec2 screen, double imageWidth, double imageHeight, std::int32_t rotation, double z,
                        Vec2 pan, double areaLeft, double areaTop, double areaWidth, double areaHeight) noexcept;
Vec2 ScreenPointOfImage(Vec2 image, double imageWidth, double imageHeight, std::int32_t rotation, double z,
                        Vec2 pan, double areaLeft, double areaTop, double areaWidth, double areaHeight) noexcept;

// The sampling for a zoom: magnified (z < 1), at 100 % (z = 1), reduced.
Resampling::EnumResamplingMode ChooseResampling(double z, Resampling::EnumResamplingMode magnified,
                                                Resampling::EnumResamplingMode atHundred,
                                                Resampling::EnumResamplingMode reduced) noexcept;

} // namespace Brintavolex::ImageView
