#pragma once

#include "Data/api/ColorType.h"
#include "Root/api/SharedPtr.h"

#include <optional>

namespace Brintavolex::Data {

class Image2DBase;

// Relates stored pixel values, the normalised 0..1 display scale and the
// values shown to the user.
class IImageUserRepresentation {
public:
    virtual ~IImageUserRepresentation() = default;
    virtual double GetPixelValueFromUserValue(double u) = 0;
    virtual double GetUserValueFromPixelValue(double p) = 0;
    virtual double GetUserValueFromNormalizedFloatValue(double n) = 0;
    virtual double GetNormalizedFloatFromUserValue(double u) = 0;
};

// The fixed mapping of a pixel type: its nominal range spans 0..1.
class DefaultImageUserRepresentation final : public IImageUserRepresentation {
public:
    explicit DefaultImageUserRepresentation(ColorType type) noexcept : _type(type) {}
    double GetPixelValueFromUserValue(double u) override { return u; }
    double GetUserValueFromPixelValue(double p) override { return p; }
    double GetUserValueFromNormalizedFloatValue(double n) override;
    double GetNormalizedFloatFromUserValue(double u) override;

private:
    ColorType _type;
};

// A user range over a pixel range.
class ImageUserRepresentationFromMinMaxValues final : public IImageUserRepresentation {
public:
    ImageUserRepresentationFromMinMaxValues(double userMinimum, double userMaximum, double pixelMinimum,
                                            double pixelMaximum) noexcept
        : _userMinimum(userMinimum), _userMaximum(userMaximum), _pixelMinimum(pixelMinimum),
          _pixelMaximum(pixelMaximum)
    {
    }
    double GetPixelValueFromUserValue(double u) override;
    double GetUserValueFromPixelValue(double p) override;
    double GetUserValueFromNormalizedFloatValue(double n) override;
    double GetNormalizedFloatFromUserValue(double u) override;

    double UserMinimum() const noexcept { return _userMinimum; }
    double UserMaximum() const noexcept { return _userMaximum; }
    double PixelMinimum() const noexcept { return _pixelMinimum; }
    double PixelMaximum() const noexcept { return _pixelMaximum; }

private:
    bool RangesEqual() const noexcept
    {
        return _userMinimum == _pixelMinimum && _userMaximum == _pixelMaximum;
    }
    double _userMinimum, _userMaximum, _pixelMinimum, _pixelMaximum;
};

// Nominal range of a component kind; false for float and double, whose range
// comes from the data.
bool NominalRange(ColorType type, double &minimum, double &maximum) noexcept;

// What a decoded item may say about its values.
struct ValueRangeHints {
    std::optional<double> minimum, maximum;         // of the stored values
    std::optional<double> userMinimum, userMaximum; // shown to the user
};

// Attaches an ImageUserRepresentationFromMinMaxValues: the pixel range from
// the hints or the nominal range (float data has none: the caller measures
// it, as the data cache does, and passes it as hints); the user
// range from the hints when they form a range, else the pixel range. An
// image whose values give no range at all (empty, all NaN, constant) gets a
// range of one unit around its value so that nothing divides by zero.
void AttachUserRepresentation(Image2DBase &image, const ValueRangeHints &hints = {});

void SetImageUserRepresentation(Image2DBase &image, const SharedPtr<IImageUserRepresentation> &p);

} // namespace Brintavolex::Data
