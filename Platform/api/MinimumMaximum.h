#pragma once

#include "Data/api/Image2D.h"

namespace Brintavolex::Data {

// Smallest and largest stored value of a float image. NaN never enters the
// result (a value replaces the minimum only when the minimum is greater);
// infinities do. Colour images count B, G and R, not alpha. found is false
// when the image holds no comparable value.
struct MinimumMaximum {
    double minimum;
    double maximum;
    bool found;
};

// For Float32, Float64, BGRAFloat32 and BGRAFloat64 images; rows are spread
// over the parallel loop. Other colour types throw Exception.
MinimumMaximum ComputeMinimumMaximum(const Image2DBase &image);

// The scan of one pixel type over rows [begin, end) of a locked image.
template <class T> struct MinimumMaximumComputationFunctor {
    static void Scan(const T *data, std::uint64_t stride, std::uint64_t width, std::uint64_t begin,
                     std::uint64_t end, double &minimum, double &maximum);
};

} // namespace Brintavolex::Data
