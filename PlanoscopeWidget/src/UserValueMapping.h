#pragma once

#include "Data/api/Image2D.h"
#include "Data/api/UserRepresentation.h"

#include <cmath>

namespace Brintavolex::ImageView {

// Stored value -> user value and user value -> normalised value of an
// image's representation, without a virtual call per value for the two
// kinds the data cache attaches. The arithmetic is the representation's own,
// in the same order, so the results are the same to the last bit.
class UserValueMapping {
public:
    explicit UserValueMapping(const Data::Image2DBase &image) : _default(image.GetColorType())
    {
        _representation = image.GetUserRepresentation().Get();
        if (!_representation)
            _representation = &_default;
        if (auto *r = dynamic_cast<Data::ImageUserRepresentationFromMinMaxValues *>(_representation)) {
            _kind = Kind::MinMax;
            _userMinimum = r->UserMinimum(), _userMaximum = r->UserMaximum();
            _pixelMinimum = r->PixelMinimum(), _pixelMaximum = r->PixelMaximum();
            _identity = _userMinimum == _pixelMinimum && _userMaximum == _pixelMaximum;
        } else if (_representation == &_default) {
            _kind = Kind::Default;
        }
    }
    UserValueMapping(const UserValueMapping &) = delete;
    UserValueMapping &operator=(const UserValueMapping &) = delete;

    double UserFromPixel(double p) const
    {
        switch (_kind) {
        case Kind::Default: return p;
        case Kind::MinMax:
            if (_identity)
                return p;
            return _userMinimum + (p - _pixelMinimum) / Span(_pixelMinimum, _pixelMaximum) * (_userMaximum - _userMinimum);
        default: return _representation->GetUserValueFromPixelValue(p);
        }
    }
    double NormalizedFromUser(double u) const
    {
        if (_kind == Kind::MinMax)
            return (u - _userMinimum) / Span(_userMinimum, _userMaximum);
        return _representation->GetNormalizedFloatFromUserValue(u);
    }
    double UserFromNormalized(double n) const { return _representation->GetUserValueFromNormalizedFloatValue(n); }

private:
    static double Span(double minimum, double maximum) noexcept
    {
        const double span = maximum - minimum;
        return span != 0.0 ? span : 1.0;
    }
    enum class Kind { Default, MinMax, Other };
    Data::DefaultImageUserRepresentation _default;
    Data::IImageUserRepresentation *_representation = nullptr;
    Kind _kind = Kind::Other;
    bool _identity = false;
    double _userMinimum = 0, _userMaximum = 1, _pixelMinimum = 0, _pixelMaximum = 1;
};

} // namespace Brintavolex::ImageView
