#pragma once

// The application's notice line: a text on a blue band (the portable
// notice, the wrong-extension warning, a file that did not open).

#include "GUI/api/Drawing.h"
#include "GUI/api/Label.h"

namespace Brintavolex {

class NoticeLine : public GUI::Label {
public:
    // The band's colour on screen, (0.39, 0.42, 0.76) in bytes. Drawn
    // opaque: blending a 90 % band over the background rounds a unit off.
    static constexpr GUI::Color kShown{99 / 255.0f, 107 / 255.0f, 194 / 255.0f, 1.0f};

    NoticeLine();
    void Draw() override;
    bool DeleteContextObjects() override;
    void SetText(const TextPair &text) override;
    void SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) override;
    using Control::SetRect;

protected:
    GUI::Color TextColor() const override { return GUI::Color{1, 1, 1, 1}; }

private:
    GUI::QuadBatch _band;
    bool _bandBuilt = false;
};

} // namespace Brintavolex
