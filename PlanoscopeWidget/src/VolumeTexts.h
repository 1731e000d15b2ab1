#pragma once

// Texts of the volume viewer (German first).

#include "Platform/api/Language.h"

namespace Brintavolex::ImageView::VolumeTexts {

extern const TextPair ZSlice;
extern const TextPair YSlice;
extern const TextPair XSlice;
extern const TextPair Loading;
extern const TextPair WaitingForOtherView;
extern const TextPair RenderingNotSupported;
extern const TextPair DefaultView;
extern const TextPair XYView;
extern const TextPair XZView;
extern const TextPair YZView;
extern const TextPair RedCyanStereo;
extern const TextPair Layout;

} // namespace Brintavolex::ImageView::VolumeTexts
