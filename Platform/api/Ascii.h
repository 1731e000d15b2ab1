#pragma once

namespace Brintavolex {

// Lower-cases A to Z only; command-line switches and file extensions are
// compared this way so that the result never depends on a locale.
template <class C> constexpr C ToLowerAscii(C c) noexcept
{
    return (c >= C('A') && c <= C('Z')) ? C(c + 0x20) : c;
}

} // namespace Brintavolex
