#pragma once

// What the volume viewer remembers between runs: its own toggles and layout,
// and the 2D settings of each of its four views.

#include "PlanoscopeWidget/api/PlanoscopeControlListSettings.h"

namespace Brintavolex {

class ImageViewXYXZYZ3DControlSettings : public CompositeOfProperties
{
public:
    using Mode = Resampling::EnumResamplingMode;
    // The three slice views one above the other.
    static constexpr SInt32 kDefaultLayout = 2;

    ImageViewXYXZYZ3DControlSettings(CompositeOfProperties *parent, String name)
        : CompositeOfProperties(parent, std::move(name))
    {
    }

    // Members register in this order, which is the order they are stored in.
    PropertyWithNotification<bool> ruler{this, "Ruler", false};
    PropertyWithNotification<bool> scrollBars{this, "ScrollBars", true};
    PropertyWithNotification<bool> rgbColorInfo{this, "RGBColorInfo", true};
    PropertyWithNotification<SInt32> layout{this, "Layout", kDefaultLayout};
    PropertyWithNotification<bool> brightnessContrast{this, "BrightnessContrast", true};
    PropertyWithNotification<Mode> interpolationL100{this, "InterpolationL100", Mode::Area};
    PropertyWithNotification<Mode> interpolationE100{this, "InterpolationE100", Mode::Nearest};
    PropertyWithNotification<Mode> interpolationG100{this, "InterpolationG100", Mode::Cubic};
    PlanoscopeControlListSettings viewXY{this, "PlanoscopeControlSettingsXY"};
    PlanoscopeControlListSettings viewXZ{this, "PlanoscopeControlSettingsXZ"};
    PlanoscopeControlListSettings viewYZ{this, "PlanoscopeControlSettingsYZ"};
    PlanoscopeControlListSettings view3D{this, "PlanoscopeControlSettings3D"};
};

} // namespace Brintavolex
