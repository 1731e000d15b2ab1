#include "PlanoscopeWidget/src/PlanoscopeRuler.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace Brintavolex::ImageView {

RulerSteps ChooseRulerSteps(double screenPixelsPerImagePixel, double minimumGap, double widestLabel) noexcept
{
    RulerSteps steps;
    if (!(screenPixelsPerImagePixel > 0))
        return steps;
    const double d = (minimumGap + widestLabel) / screenPixelsPerImagePixel;
    if (!(d > 0) || !std::isfinite(d))
        return steps;
    const double p = std::pow(10.0, std::floor(std::log10(d)));
    const double r = d / p;
    if (r <= 1)
        steps = {p, p};
    else if (r <= 2)
        steps = {2 * p, p};
    else if (r <= 5)
        steps = {5 * p, p};
    else
        steps = {10 * p, 2 * p};
    steps.minorStep = std::max(steps.minorStep, 0.1);
    steps.labelStep = std::max(steps.labelStep, 0.1);
    return steps;
}

String RulerLabelTemplate(double magnitude)
{
    int digits = 3;
    double limit = 1000;
    while (digits < 15 && std::fabs(magnitude) >= limit) {
        ++digits;
        limit *= 10;
    }
    return String(("-" + std::string(std::size_t(digits), '0')).c_str());
}

String RulerLabel(double value)
{
    char buffer[64];
    const double rounded = std::round(value * 10) / 10;
    const bool whole = std::fabs(rounded - std::round(rounded)) < 1e-9;
    const auto result = whole ? std::to_chars(buffer, buffer + sizeof buffer, (long long)std::llround(rounded))
                              : std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, 1);
    return String(StringExpr(buffer, std::size_t(result.ptr - buffer), Encoding::Windows1252));
}

namespace {

const GUI::Color kBand{0.0f, 0.0f, 0.0f, 0.55f};
const GUI::Color kMarks{1.0f, 1.0f, 1.0f, 0.9f};

// One ruler: screen positions from `from` to `to` along one axis; coordinate
// gives the image coordinate at a screen position (linear).
template <class Place>
void BuildAxis(GUI::Font &font, double from, double to, double zoom, double minimumGap,
               const std::function<double(double)> &coordinate, Place &&place)
{
    const double c0 = coordinate(from), c1 = coordinate(to);
    if (!std::isfinite(c0) || !std::isfinite(c1) || c0 == c1)
        return;
    const double widest = font.TextWidth(RulerLabelTemplate(std::max(std::fabs(c0), std::fabs(c1))));
    const RulerSteps steps = ChooseRulerSteps(1.0 / zoom, minimumGap, widest);
    const double low = std::min(c0, c1), high = std::max(c0, c1);
    // Never more ticks than screen pixels, whatever the numbers say.
    const double span = std::fabs(to - from);
    if ((high - low) / steps.minorStep > span + 2)
        return;
    for (double k = std::ceil(low / steps.minorStep); k * steps.minorStep <= high; k += 1) {
        const double value = k * steps.minorStep;
        const double screen = from + (value - c0) / (c1 - c0) * (to - from);
        const double ratio = value / steps.labelStep;
        const bool labelled = std::fabs(ratio - std::round(ratio)) < 1e-6;
        place(screen, labelled, labelled ? RulerLabel(value) : String());
    }
}

} // namespace

void PlanoscopeRuler::Build(GUI::QuadBatch &batch, GUI::Font &font, const GUI::Rect &area, double zoom,
                            std::int32_t rotation, double minimumGap,
                            const std::function<Vec2(double, double)> &imageAt)
{
    (void)rotation;
    const std::int32_t band = font.LineHeight() + 6;
    if (area.Width() <= band * 2 || area.Height() <= band * 2)
        return;
    // Which image axis runs along the screen's x and y axes.
    const Vec2 origin = imageAt(area.x0, area.y0);
    const Vec2 alongX = imageAt(area.x1, area.y0);
    const bool xIsImageX = std::fabs(alongX.x - origin.x) > std::fabs(alongX.y - origin.y);
    const double centreY = area.y0, centreX = area.x0;

    batch.AddRect(GUI::Rect{area.x0, area.y0, area.x1, area.y0 + band}, kBand);
    batch.AddRect(GUI::Rect{area.x0, area.y0 + band, area.x0 + band, area.y1}, kBand);
    BuildAxis(
        font, area.x0 + band, area.x1, zoom, minimumGap,
        [&](double sx) {
            const Vec2 p = imageAt(sx, centreY);
            return xIsImageX ? p.x : p.y;
        },
        [&](double sx, bool labelled, const String &label) {
            const std::int32_t x = std::int32_t(std::floor(sx));
            const std::int32_t length = labelled ? band : band / 3;
            batch.AddRect(GUI::Rect{x, area.y0 + band - length, x + 1, area.y0 + band}, kMarks);
            if (labelled && x + 3 + font.TextWidth(label) < area.x1)
                batch.AddText(font, x + 3, area.y0 + 1, label, kMarks);
        });
    BuildAxis(
        font, area.y0 + band, area.y1, zoom, minimumGap,
        [&](double sy) {
            const Vec2 p = imageAt(centreX, sy);
            return xIsImageX ? p.y : p.x;
        },
        [&](double sy, bool labelled, const String &label) {
            const std::int32_t y = std::int32_t(std::floor(sy));
            const std::int32_t length = labelled ? band : band / 3;
            batch.AddRect(GUI::Rect{area.x0 + band - length, y, area.x0 + band, y + 1}, kMarks);
            // Vertical labels would need rotated glyphs: the left ruler is
            // labelled where the label fits across the band.
            if (labelled && font.TextWidth(label) + 2 <= band * 3 && y + font.LineHeight() < area.y1)
                batch.AddText(font, area.x0 + 2, y + 1, label, kMarks);
        });
}

} // namespace Brintavolex::ImageView
