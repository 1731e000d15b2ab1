#pragma once

// Readable GoogleTest output for the program's own types.
#include "Platform/api/String.h"

#include <ostream>

namespace Brintavolex {
inline void PrintTo(const String &text, std::ostream *out) { *out << '"' << ToUTF8(text) << '"'; }
} // namespace Brintavolex
