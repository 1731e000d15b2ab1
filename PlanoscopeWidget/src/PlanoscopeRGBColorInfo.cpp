#include "PlanoscopeWidget/src/PlanoscopeRGBColorInfo.h"

#include "Data/api/UserRepresentation.h"

#include <charconv>
#include <cmath>

namespace Brintavolex::ImageView {

String FitText(GUI::Font &font, const String &text, std::int32_t width)
{
    if (font.TextWidth(text) <= width)
        return text;
    std::string narrow = text.ToStdString();
    // Removes one character per round: the loop ends with the text.
    while (!narrow.empty()) {
        narrow.pop_back();
        const String candidate((narrow + "...").c_str());
        if (font.TextWidth(candidate) <= width)
            return candidate;
    }
    return String();
}

namespace {

String NumberText(double value)
{
    char buffer[64];
    std::to_chars_result result;
    if (std::isfinite(value) && value == std::round(value) && std::fabs(value) < 1e15)
        result = std::to_chars(buffer, buffer + sizeof buffer, (long long)value);
    else if (std::isnan(value))
        return String("nan");
    else if (std::isinf(value))
        return String(value > 0 ? "inf" : "-inf");
    else
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return String(StringExpr(buffer, std::size_t(result.ptr - buffer), Encoding::Windows1252));
}

} // namespace

std::vector<String> PixelValueTexts(const Data::Image2DBase &image, std::uint64_t x, std::uint64_t y)
{
    std::vector<String> texts;
    Data::IImageUserRepresentation *representation = image.GetUserRepresentation().Get();
    const auto user = [&](double stored) {
        return representation ? representation->GetUserValueFromPixelValue(stored) : stored;
    };
    Data::DispatchColorType(image.GetColorType(), [&](auto tag) {
        using P = typename decltype(tag)::type;
        const auto lock = image.Lock<P>(Data::LockReadOnly);
        if (x >= lock.Width() || y >= lock.Height())
            return;
        const P &p = lock(x, y);
        if constexpr (Data::IsBGRA<P>::value) {
            texts.push_back("R " + NumberText(user(double(p.r))));
            texts.push_back("G " + NumberText(user(double(p.g))));
            texts.push_back("B " + NumberText(user(double(p.b))));
            texts.push_back("A " + NumberText(user(double(p.a))));
        } else {
            texts.push_back(NumberText(user(double(p))));
        }
    });
    return texts;
}

void PlanoscopeRGBColorInfo::Build(GUI::QuadBatch &batch, GUI::Font &font, const Data::Image2DBase &image,
                                   const GUI::Rect &area, double zoom, std::int64_t firstX, std::int64_t firstY,
                                   std::int64_t lastX, std::int64_t lastY,
                                   const std::function<GUI::Rect(std::int64_t, std::int64_t)> &cellOf)
{
    const bool colour = static_cast<std::int32_t>(image.GetColorType()) > 40;
    const std::int32_t lines = colour ? 4 : 1;
    const double cell = 1.0 / zoom;
    // Cells need room for every line and a few characters.
    if (cell < lines * font.LineHeight() + 4 || cell < font.TextWidth("R 000") + 4)
        return;
    if ((lastX - firstX + 1) * (lastY - firstY + 1) > 20000)
        return;
    for (std::int64_t y = firstY; y <= lastY; ++y)
        for (std::int64_t x = firstX; x <= lastX; ++x) {
            const GUI::Rect r = cellOf(x, y);
            if (!r.IntersectsStrictly(area))
                continue;
            const std::vector<String> texts = PixelValueTexts(image, std::uint64_t(x), std::uint64_t(y));
            std::int32_t line = r.y0 + (r.Height() - lines * font.LineHeight()) / 2;
            for (const String &text : texts) {
                const String shown = FitText(font, text, r.Width() - 4);
                if (!shown.Empty()) {
                    // Dark text with a light shadow reads on every pixel colour.
                    batch.AddText(font, r.x0 + 3, line + 1, shown, GUI::Color{1, 1, 1, 0.8f});
                    batch.AddText(font, r.x0 + 2, line, shown, GUI::Color{0, 0, 0, 1});
                }
                line += font.LineHeight();
            }
        }
}

} // namespace Brintavolex::ImageView
