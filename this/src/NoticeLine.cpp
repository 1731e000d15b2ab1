#include "this/src/NoticeLine.h"

#include "GUI/api/Panel.h"

#include <algorithm>

namespace Brintavolex {

GUI::Color NoticeLine::BandColor(const GUI::Color &background) noexcept
{
    const auto channel = [](float k, float c) { return std::clamp((k - (1.0f - kAlpha) * c) / kAlpha, 0.0f, 1.0f); };
    return GUI::Color{channel(kShown.r, background.r), channel(kShown.g, background.g), channel(kShown.b, background.b),
                      kAlpha};
}

NoticeLine::NoticeLine() { SetAlignment(AlignLeft); }

void NoticeLine::SetText(const TextPair &text)
{
    Label::SetText(text);
    _bandBuilt = false;
}

void NoticeLine::SetRect(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
{
    Label::SetRect(x0, y0, x1, y1);
    _bandBuilt = false;
}

bool NoticeLine::DeleteContextObjects()
{
    _bandBuilt = false;
    const bool band = _band.Release();
    return Label::DeleteContextObjects() && band;
}

void NoticeLine::Draw()
{
    GUI::Panel *panel = GetPanel();
    Platform::Video::Context *context = panel ? panel->GetContext() : nullptr;
    if (!context)
        return;
    const GUI::Color background = panel->GetStyle()->panelBackground;
    if (!_bandBuilt || _band.BuiltFor() != context || !(background == _bandBuiltOver)) {
        _band.Clear();
        _band.AddRect(GetRect(), BandColor(background));
        _band.Upload(context->SharedFromThis<Platform::Video::Context>());
        _bandBuiltOver = background;
        _bandBuilt = true;
    }
    _band.Draw();
    Label::Draw();
}

} // namespace Brintavolex
