// Compiled to Windows-1252: the German texts hold umlauts.
#include "PlanoscopeWidget/src/VolumeTexts.h"

namespace Brintavolex::ImageView::VolumeTexts {

const TextPair ZSlice{String("Z-Schicht"), String("Z-Slice")};
const TextPair YSlice{String("Y-Schicht"), String("Y-Slice")};
const TextPair XSlice{String("X-Schicht"), String("X-Slice")};
const TextPair Loading{String("Laden"), String("Loading")};
const TextPair WaitingForOtherView{String("[warte auf andere Ansicht]"), String("[waiting for other view]")};
// The English text is the one users know, slips included.
const TextPair RenderingNotSupported{String("3D-Darstellung wird vom gewählten Renderer nicht unterstützt."),
                                     String("3D-Rendering ist not supported with the choosen renderer.")};
const TextPair DefaultView{String("Standardansicht"), String("Default-View")};
const TextPair XYView{String("XY-Ansicht"), String("XY-View")};
const TextPair XZView{String("XZ-Ansicht"), String("XZ-View")};
const TextPair YZView{String("YZ-Ansicht"), String("YZ-View")};
const TextPair RedCyanStereo{String("Rot-Cyan-Stereo"), String("Red-Cyan-Stereo")};
const TextPair Layout{String("Anordnung der Ansichten"), String("Arrangement of the views")};

} // namespace Brintavolex::ImageView::VolumeTexts
