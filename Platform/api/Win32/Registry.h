#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace Brintavolex::Win32 {

// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded) of a key below root,
// or nothing when the key or value is missing or not a string.
std::optional<std::u16string> ReadRegistryString(HKEY root, std::u16string_view subKey,
                                                  std::u16string_view valueName);

// A REG_DWORD value of a key below root, or nothing when it is missing or
// of another type.
std::optional<std::uint32_t> ReadRegistryDword(HKEY root, std::u16string_view subKey, std::u16string_view valueName);

} // namespace Brintavolex::Win32
