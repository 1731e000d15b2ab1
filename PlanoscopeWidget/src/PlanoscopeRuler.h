#pragma once

#include "GUI/api/Drawing.h"
#include "GUI/api/Font.h"
#include "PlanoscopeWidget/api/PlanoscopeGeometry.h"

#include <functional>

namespace Brintavolex::ImageView {

// The steps of a ruler: labels every labelStep image pixels, ticks every
// minorStep.
struct RulerSteps {
    double labelStep = 1;
    double minorStep = 1;
};

// Chooses the steps so that labels stand at least minimumGap + widestLabel
// screen pixels apart: d = that gap in image pixels, p = 10^floor(log10 d),
// steps of p, 2p, 5p or 10p, minor ticks of p (2p for 10p), never below 0.1.
RulerSteps ChooseRulerSteps(double screenPixelsPerImagePixel, double minimumGap, double widestLabel) noexcept;

// The template whose width bounds every label of numbers up to magnitude:
// "-000" for up to 3 digits, then one more digit at a time (up to 15).
String RulerLabelTemplate(double magnitude);

// Label text of an image coordinate: whole numbers without decimals, else
// one decimal.
String RulerLabel(double value);

// Draws a ruler along the top and the left edge of a view area: image
// coordinates at the screen positions the mapping gives.
class PlanoscopeRuler {
public:
    // imageAt maps a view point to its image point.
    void Build(GUI::QuadBatch &batch, GUI::Font &font, const GUI::Rect &area, double zoom, std::int32_t rotation,
               double minimumGap, const std::function<Vec2(double, double)> &imageAt);
};

} // namespace Brintavolex::ImageView
