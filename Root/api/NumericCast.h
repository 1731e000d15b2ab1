#pragma once

#include <stdexcept>
#include <utility>

namespace Brintavolex {

// Checked narrowing: a value that does not fit throws std::runtime_error
// "numeric_cast".
template <class To, class From> To numeric_cast(From value)
{
    if (!std::in_range<To>(value))
        throw std::runtime_error("numeric_cast");
    return static_cast<To>(value);
}

} // namespace Brintavolex
