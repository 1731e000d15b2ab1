#pragma once

// What the 2D viewer remembers between runs: the resampling method per zoom
// range and which of its panels are shown.

#include "Interface/api/CompositeOfProperties.h"
#include "Interface/api/SettingEnums.h"

namespace Brintavolex {

class PlanoscopeControlListSettings : public CompositeOfProperties
{
public:
    using Mode = Resampling::EnumResamplingMode;

    PlanoscopeControlListSettings(CompositeOfProperties *parent, String name) : CompositeOfProperties(parent, std::move(name))
    {
    }

    // Members register in this order, which is the order they are stored in.
    PropertyWithNotification<Mode> interpolationL100{this, "InterpolationL100", Mode::Area};
    PropertyWithNotification<Mode> interpolationE100{this, "InterpolationE100", Mode::Nearest};
    PropertyWithNotification<Mode> interpolationG100{this, "InterpolationG100", Mode::Cubic};
    PropertyWithNotification<bool> ruler{this, "Ruler", false};
    PropertyWithNotification<bool> histogram{this, "Histogram", false};
    PropertyWithNotification<bool> scrollBars{this, "ScrollBars", false};
    PropertyWithNotification<bool> rgbColorInfo{this, "RGBColorInfo", true};
    PropertyWithNotification<bool> brightnessContrast{this, "BrightnessContrast", false};
};

} // namespace Brintavolex
