#pragma once

#include "Data/api/Image2D.h"
#include "GUI/api/Drawing.h"
#include "GUI/api/Font.h"
#include "PlanoscopeWidget/api/PlanoscopeGeometry.h"

#include <functional>
#include <vector>

namespace Brintavolex::ImageView {

// Shortens text from its end, with "...", until it is at most width pixels
// wide; empty when not even "..." fits.
String FitText(GUI::Font &font, const String &text, std::int32_t width);

// The component texts of one pixel: "R 255", "G 0", ... for colour images,
// the single value for grey ones, as user values (display mapping).
std::vector<String> PixelValueTexts(const Data::Image2DBase &image, std::uint64_t x, std::uint64_t y);

// Writes the values of every visible image pixel into its cell when the
// cells are large enough for them.
class PlanoscopeRGBColorInfo {
public:
    // cellOf gives the screen rectangle of image pixel (x, y); visible the
    // range of image pixels to consider.
    void Build(GUI::QuadBatch &batch, GUI::Font &font, const Data::Image2DBase &image, const GUI::Rect &area,
               double zoom, std::int64_t firstX, std::int64_t firstY, std::int64_t lastX, std::int64_t lastY,
               const std::function<GUI::Rect(std::int64_t, std::int64_t)> &cellOf);
};

} // namespace Brintavolex::ImageView
