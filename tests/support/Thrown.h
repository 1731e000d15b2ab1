#pragma once

#include <exception>
#include <string>

namespace Brintavolex {
// The message of what f throws, or "<none>": one line per expected error.
template <class F> std::string Thrown(F &&f)
{
    try {
        f();
    } catch (const std::exception &e) {
        return e.what();
    }
    return "<none>";
}
} // namespace Brintavolex
