#pragma once

// The application's notice line: a text on a blue band (the portable
// notice, the wrong-extension warning, a file that did not open).

#include "GUI/api/Drawing.h"
#include "GUI/api/Label.h"

namespace Brintavolex {

class NoticeLine : public GUI::Label {
public:
    // What the band shows on screen, whatever the background below.
    static constexpr GUI::Color kShown{0.39f, 0.42f, 0.76f, 1.0f};
    static constexpr float kAlpha = 0.9f;

    // The band's colour at kAlpha over background so that the blend shows
    // kShown: x = (k - (1 - alpha) c) / alpha, per channel.
    static GUI::Color BandColor(const GUI::Color &background) noexcept;

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
    GUI::Color _bandBuiltOver;
    bool _bandBuilt = false;
};

} // namespace Brintavolex
