#include "Platform/api/Win32/Registry.h"

#include "Platform/api/Win32/WideText.h"

#include <vector>

namespace Brintavolex::Win32 {

std::optional<std::u16string> ReadRegistryString(HKEY root, std::u16string_view subKey,
                                                  std::u16string_view valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, ToW(subKey).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring name = ToW(valueName);
    std::optional<std::u16string> result;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && bytes < (1u << 20)) {
        // Room for a terminator the stored value may lack.
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = bytes;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &size) ==
            ERROR_SUCCESS) {
            std::size_t length = std::min<std::size_t>(size / sizeof(wchar_t), buffer.size() - 1);
            while (length > 0 && buffer[length - 1] == L'\0')
                --length;
            result = ToU16(buffer.data(), length);
        }
    }
    RegCloseKey(key);
    return result;
}

std::optional<std::uint32_t> ReadRegistryDword(HKEY root, std::u16string_view subKey, std::u16string_view valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, ToW(subKey).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::uint32_t> result;
    DWORD type = 0, value = 0, bytes = sizeof value;
    if (RegQueryValueExW(key, ToW(valueName).c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &bytes) ==
            ERROR_SUCCESS &&
        type == REG_DWORD && bytes == sizeof value)
        result = value;
    RegCloseKey(key);
    return result;
}

} // namespace Brintavolex::Win32
