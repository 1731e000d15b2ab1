// Compiled to Windows-1252: the German texts hold umlauts.
#include "PlanoscopeWidget/src/PanelTexts.h"

namespace Brintavolex::ImageView::PanelTexts {

const TextPair LinearScaling{String("Lineare Skalierung"), String("Linear scaling")};
const TextPair LogarithmicScaling{String("Logarithmische Skalierung zur Basis 10"),
                                  String("Logarithmic scaling to the base 10")};
const TextPair RelativeScaling{String("Relative Skalierung bezogen auf die maximale Häufigkeit"),
                               String("Relative scaling based on the maximum frequency")};
const TextPair AbsoluteScaling{String("Absolute Skalierung bezogen auf die Anzahl der Pixel im Bild"),
                               String("Absolute scaling based on the number of pixels in the image")};
const TextPair Close{String("Schließen [ESC]"), String("Close [ESC]")};
const TextPair Reset{String("Zurücksetzen"), String("Reset")};
const TextPair ResetBrightness{String("Helligkeit zurücksetzen"), String("Reset brightness")};
const TextPair ResetContrast{String("Kontrast zurücksetzen"), String("Reset contrast")};
const TextPair Minimum{String("Min:"), String("Min:")};
const TextPair Maximum{String("Max:"), String("Max:")};
const TextPair MinimumTooltip{String("Minimalwert (schwarz)"), String("Mininum value (black)")};
const TextPair MaximumTooltip{String("Maximalwert (weiß)"), String("Maximum value (white)")};
const TextPair Brightness{String("Helligkeit"), String("Brightness")};
const TextPair Contrast{String("Kontrast"), String("Contrast")};
const TextPair AutoWindow{String("Fenster auf die Werte des Bildes setzen"),
                          String("Window from the lowest to the highest value of the image")};
const TextPair Degrees[4] = {{String("0°"), String("0°")},
                             {String("90°"), String("90°")},
                             {String("180°"), String("180°")},
                             {String("270°"), String("270°")}};

} // namespace Brintavolex::ImageView::PanelTexts
