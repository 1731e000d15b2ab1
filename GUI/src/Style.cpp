#include "GUI/api/Style.h"

#include "Platform/api/Language.h"

namespace Brintavolex::GUI {

int GetLanguageIndex() noexcept
{
    try {
        return int(Locale::GetLanguageIndex() & 1);
    } catch (...) {
        return 1;
    }
}

Style::Style()
{
    panelBackground = Color{0.94f, 0.94f, 0.94f, 1.0f};
    titleBackground = Color{0.85f, 0.85f, 0.85f, 1.0f};
    titleText = Color{0.0f, 0.0f, 0.0f, 1.0f};
    normal = StateColors{{0.88f, 0.88f, 0.88f, 1}, {0.68f, 0.68f, 0.68f, 1}, {0, 0, 0, 1}};
    hovered = StateColors{{0.90f, 0.94f, 0.98f, 1}, {0.24f, 0.52f, 0.84f, 1}, {0, 0, 0, 1}};
    pressed = StateColors{{0.80f, 0.88f, 0.97f, 1}, {0.17f, 0.38f, 0.65f, 1}, {0, 0, 0, 1}};
    disabled = StateColors{{0.92f, 0.92f, 0.92f, 1}, {0.80f, 0.80f, 0.80f, 1}, {0.55f, 0.55f, 0.55f, 1}};
    focused = StateColors{{0.88f, 0.88f, 0.88f, 1}, {0.0f, 0.47f, 0.84f, 1}, {0, 0, 0, 1}};
    editNormal = StateColors{{1, 1, 1, 1}, {0.48f, 0.48f, 0.48f, 1}, {0, 0, 0, 1}};
    editActive = StateColors{{1, 1, 1, 1}, {0.0f, 0.47f, 0.84f, 1}, {0, 0, 0, 1}};
    listNormal = StateColors{{1, 1, 1, 1}, {0.48f, 0.48f, 0.48f, 1}, {0, 0, 0, 1}};
    listHighlighted = StateColors{{0.0f, 0.47f, 0.84f, 1}, {0.0f, 0.47f, 0.84f, 1}, {1, 1, 1, 1}};
    separator = Color{0.63f, 0.63f, 0.63f, 1.0f};
    sliderTrack = Color{0.75f, 0.75f, 0.75f, 1.0f};
    sliderKnob = Color{0.45f, 0.45f, 0.45f, 1.0f};
    checkMark = Color{0.0f, 0.0f, 0.0f, 1.0f};
}

FontDescription Style::GetFontDescription(FontRole role) const
{
    FontDescription font;
    font.face = "Segoe UI";
    font.pixelHeight = role == FontRole::Small ? 11 : role == FontRole::Title ? 14 : 13;
    font.bold = role == FontRole::Bold || role == FontRole::Title;
    return font;
}

ViewerStyle::ViewerStyle()
{
    panelBackground = Color{0.12f, 0.12f, 0.12f, 0.8f};
    titleBackground = Color{0.2f, 0.2f, 0.2f, 0.6f};
    titleText = Color{1, 1, 1, 1};
    normal = StateColors{{0.22f, 0.22f, 0.22f, 1}, {0.35f, 0.35f, 0.35f, 1}, {0.92f, 0.92f, 0.92f, 1}};
    hovered = StateColors{{0.30f, 0.30f, 0.30f, 1}, {0.50f, 0.50f, 0.50f, 1}, {1, 1, 1, 1}};
    pressed = StateColors{{0.16f, 0.16f, 0.16f, 1}, {0.55f, 0.55f, 0.55f, 1}, {1, 1, 1, 1}};
    disabled = StateColors{{0.18f, 0.18f, 0.18f, 1}, {0.25f, 0.25f, 0.25f, 1}, {0.45f, 0.45f, 0.45f, 1}};
    focused = StateColors{{0.22f, 0.22f, 0.22f, 1}, {0.35f, 0.60f, 0.95f, 1}, {1, 1, 1, 1}};
    editNormal = StateColors{{0.10f, 0.10f, 0.10f, 1}, {0.35f, 0.35f, 0.35f, 1}, {0.92f, 0.92f, 0.92f, 1}};
    editActive = StateColors{{0.05f, 0.05f, 0.05f, 1}, {0.35f, 0.60f, 0.95f, 1}, {1, 1, 1, 1}};
    listNormal = StateColors{{0.15f, 0.15f, 0.15f, 1}, {0.35f, 0.35f, 0.35f, 1}, {0.92f, 0.92f, 0.92f, 1}};
    listHighlighted = StateColors{{0.25f, 0.45f, 0.75f, 1}, {0.25f, 0.45f, 0.75f, 1}, {1, 1, 1, 1}};
    separator = Color{0.40f, 0.40f, 0.40f, 1.0f};
    sliderTrack = Color{0.30f, 0.30f, 0.30f, 1.0f};
    sliderKnob = Color{0.65f, 0.65f, 0.65f, 1.0f};
    checkMark = Color{1, 1, 1, 1};
}

ViewerStyleWithOpaquePanelBackground::ViewerStyleWithOpaquePanelBackground()
{
    panelBackground.a = 1.0f;
    titleBackground.a = 1.0f;
}

} // namespace Brintavolex::GUI
