#include "this/src/NoticeLine.h"

#include "GUI/api/Panel.h"


namespace Brintavolex {

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
    if (!_bandBuilt || _band.BuiltFor() != context) {
        _band.Clear();
        _band.AddRect(GetRect(), kShown);
        _band.Upload(context->SharedFromThis<Platform::Video::Context>());
        _bandBuilt = true;
    }
    _band.Draw();
    Label::Draw();
}

} // namespace Brintavolex
