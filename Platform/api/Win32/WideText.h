#pragma once

// UTF-16 is char16_t everywhere; wchar_t appears only at the Win32 call.
#include "Root/api/String.h"

#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace Brintavolex::Win32 {

inline const wchar_t *W(const char16_t *text) noexcept { return reinterpret_cast<const wchar_t *>(text); }
inline wchar_t *W(char16_t *text) noexcept { return reinterpret_cast<wchar_t *>(text); }
inline const char16_t *U(const wchar_t *text) noexcept { return reinterpret_cast<const char16_t *>(text); }

inline std::u16string ToU16(const wchar_t *text) { return text ? std::u16string(U(text)) : std::u16string(); }
inline std::u16string ToU16(const wchar_t *text, std::size_t length) { return std::u16string(U(text), length); }
inline std::wstring ToW(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::wstring ToW(StringExpr text)
{
    const std::u16string wide = String(text).ToU16String();
    return std::wstring(wide.begin(), wide.end());
}

} // namespace Brintavolex::Win32
