#pragma once

#include "Root/api/String.h"

#include <string>
#include <string_view>

namespace Brintavolex {

// Lower case of one UTF-16 unit by the program's own table (A-Z and the simple
// Unicode mappings of the BMP), the same on every runtime.
char16_t ToLowerUTF16(char16_t unit) noexcept;

// True when a and b differ at most in case, by the same table: how the
// Windows file systems compare names.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept;

// Lower-cases in place (A-Z for single-byte text; the case table for UTF-16).
void ToLower(String &text);

// UTF-8 for the POSIX file layer and for tools: UTF-16 or 1252 text to UTF-8,
// and UTF-8 to UTF-16 (invalid sequences become U+FFFD).
std::string ToUTF8(StringExpr text);
String FromUTF8(std::string_view utf8);

} // namespace Brintavolex
