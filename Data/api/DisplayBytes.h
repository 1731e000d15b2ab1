#pragma once

// The fixed mapping of stored pixel components to the 0..1 display scale and
// to display bytes. Every renderer and everything else that turns typed
// pixels into something to look at uses these functions, so that a value
// shows the same byte everywhere.
//
// Integer components: the nominal range of the type spans 0..1 (64-bit types
// as doubles, 2^63 and 2^64 at the top). Float components: clamped to 0..1,
// NaN counts as 0. Bytes are n * 255 + 0.5, truncated, clamped to 0..255.

#include "Data/api/ColorType.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

namespace Brintavolex::Data {

class Image2DBase;

template <class C> inline double NormalizedDisplayValue(C v) noexcept
{
    if constexpr (std::is_floating_point_v<C>) {
        const double d = double(v);
        return d > 0.0 ? (d < 1.0 ? d : 1.0) : 0.0; // NaN fails both tests: 0
    } else if constexpr (std::is_same_v<C, std::uint64_t>) {
        return double(v) * 0x1p-64;
    } else if constexpr (std::is_same_v<C, std::int64_t>) {
        return (double(v) + 0x1p63) * 0x1p-64;
    } else if constexpr (std::is_signed_v<C>) {
        // The product with the reciprocal gives the bytes of the quotient: no
        // value of these types lies closer than 1 / (2 * range) to a rounding edge.
        constexpr double minimum = double(std::numeric_limits<C>::min());
        constexpr double scale = 1.0 / (double(std::numeric_limits<C>::max()) - minimum);
        return (double(v) - minimum) * scale;
    } else {
        constexpr double scale = 1.0 / double(std::numeric_limits<C>::max());
        return double(v) * scale;
    }
}

// n * 255 + 0.5 truncated; anything below 0 (and NaN) gives 0, above 1 gives 255.
inline std::uint8_t DisplayByteFromNormalized(double n) noexcept
{
    const double scaled = n * 255.0 + 0.5;
    if (!(scaled >= 1.0))
        return 0;
    if (scaled >= 255.0)
        return 255;
    return static_cast<std::uint8_t>(scaled);
}

template <class C> inline std::uint8_t DisplayByte(C v) noexcept
{
    if constexpr (std::is_same_v<C, std::uint8_t>)
        return v;
    else
        return DisplayByteFromNormalized(NormalizedDisplayValue(v));
}

// B, G, R, A display bytes of one pixel; grey goes to B, G and R with alpha 255.
template <class P> inline void DisplayBytes(const P &p, std::uint8_t *out) noexcept
{
    if constexpr (std::is_same_v<P, ColorBGRA<std::uint8_t>>) {
        std::memcpy(out, &p, 4);
    } else if constexpr (IsBGRA<P>::value) {
        out[0] = DisplayByte(p.b);
        out[1] = DisplayByte(p.g);
        out[2] = DisplayByte(p.r);
        out[3] = DisplayByte(p.a);
    } else {
        out[0] = out[1] = out[2] = DisplayByte(p);
        out[3] = 255;
    }
}

// DisplayBytes of count pixels in a row, 4 bytes each: the same bytes, at
// the speed of a copy for the common types.
template <class P> void DisplayBytesRow(const P *pixels, std::size_t count, std::uint8_t *out) noexcept;

// The picture of an image (its width x height pixels) as B, G, R, A rows,
// pitch bytes apart. False for the RGBA types and unknown codes, which have
// no display mapping.
bool ConvertToDisplayBytes(const Image2DBase &image, std::uint8_t *out, std::int64_t pitch);

} // namespace Brintavolex::Data
