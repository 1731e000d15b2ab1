#pragma once

// Texts of the 2D viewer's own toolbar lists and side panels (German first).

#include "Platform/api/Language.h"

namespace Brintavolex::ImageView::PanelTexts {

extern const TextPair LinearScaling;
extern const TextPair LogarithmicScaling;
extern const TextPair RelativeScaling;
extern const TextPair AbsoluteScaling;
extern const TextPair Close;
extern const TextPair Reset;
extern const TextPair ResetBrightness;
extern const TextPair ResetContrast;
extern const TextPair Minimum;
extern const TextPair Maximum;
extern const TextPair MinimumTooltip;
extern const TextPair MaximumTooltip;
extern const TextPair Brightness;
extern const TextPair Contrast;
extern const TextPair AutoWindow;
// The rotation list's entries: 0, 90, 180 and 270 degrees.
extern const TextPair Degrees[4];

} // namespace Brintavolex::ImageView::PanelTexts
