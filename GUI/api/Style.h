#pragma once

// Colours, metrics and fonts that widgets take from their panel.

#include "Root/api/String.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>

namespace Brintavolex::GUI {

struct Color {
    float r = 0, g = 0, b = 0, a = 1;
    friend bool operator==(const Color &, const Color &) = default;
};

// Colours of one widget state.
struct StateColors {
    Color background;
    Color border;
    Color text;
};

enum class FontRole { Normal = 0, Bold = 1, Title = 2, Small = 3 };

struct FontDescription {
    String face;
    std::int32_t pixelHeight = 13; // at scale 1
    bool bold = false;
};

// The user-interface language: German at index 0, English at index 1 (the
// process-wide language of Locale).
int GetLanguageIndex() noexcept;

class Style : public EnableSharedPtrFromThis {
public:
    Style();
    ~Style() override = default;

    // Size metric: pixels of one unit at scale 1.
    double unit = 1.0;
    Color panelBackground;
    Color titleBackground;
    Color titleText;
    StateColors normal, hovered, pressed, disabled, focused;
    StateColors editNormal, editActive;
    StateColors listNormal, listHighlighted;
    Color separator;
    double separatorWidth = 1.0; // in units
    Color sliderTrack, sliderKnob;
    Color checkMark;
    double padding = 4.0;        // horizontal padding of texts, in units
    double controlHeight = 22.0; // default widget height, in units
    double toolbarSpacing = 2.0; // between toolbar items, in units
    double titleHeight = 22.0;   // in units

    virtual FontDescription GetFontDescription(FontRole role) const;
};

// The viewer's dark style, with transparent panel backgrounds.
class ViewerStyle : public Style {
public:
    ViewerStyle();
};

class ViewerStyleWithOpaquePanelBackground : public ViewerStyle {
public:
    ViewerStyleWithOpaquePanelBackground();
};

} // namespace Brintavolex::GUI
