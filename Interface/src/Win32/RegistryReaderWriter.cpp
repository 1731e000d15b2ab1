#include "Interface/api/Win32/RegistryReaderWriter.h"

#include "Platform/api/Win32/WideText.h"
#include "Root/api/Exception.h"

#include <limits>
#include <string>
#include <vector>

namespace Brintavolex {

namespace {

// Longest string value read: far beyond anything the program stores.
constexpr DWORD kMaximumStringBytes = 1u << 20;

std::wstring Wide(StringExpr text) { return Win32::ToW(text); }

void Check(LSTATUS status, const char *operation, const char *call)
{
    if (status != ERROR_SUCCESS)
        throw SystemErrorException(operation, call, std::uint32_t(status));
}

HKEY Create(HKEY root, StringExpr path)
{
    HKEY key = nullptr;
    Check(RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
          "RegistryWriter::RegistryWriter", "RegCreateKeyExW");
    return key;
}

HKEY Open(HKEY root, StringExpr path)
{
    HKEY key = nullptr;
    Check(RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ, &key), "RegistryReader::RegistryReader",
          "RegOpenKeyExW");
    return key;
}

} // namespace

RegistryKey::~RegistryKey()
{
    if (_key)
        RegCloseKey(_key);
}

RegistryWriter::RegistryWriter(HKEY root, StringExpr path) : _key(Create(root, path)) {}

void RegistryWriter::WriteString(StringExpr name, const String &value)
{
    const std::wstring text = Wide(value);
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (bytes > std::numeric_limits<DWORD>::max())
        throw Exception("numeric_cast");
    Check(RegSetValueExW(_key.Get(), Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                         DWORD(bytes)),
          "RegistryWriter::WriteString", "RegSetValueExW");
}

void RegistryWriter::WriteUInt32(StringExpr name, UInt32 value)
{
    const DWORD dword = value;
    Check(RegSetValueExW(_key.Get(), Wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&dword),
                         sizeof dword),
          "RegistryWriter::WriteUInt32", "RegSetValueExW");
}

void RegistryWriter::DeleteValue(StringExpr name)
{
    Check(RegDeleteValueW(_key.Get(), Wide(name).c_str()), "RegistryWriter::DeleteValue", "RegDeleteValueW");
}

void RegistryWriter::DeleteTree(StringExpr name)
{
    // Looked up at run time: systems before Vista lack it.
    using DeleteTreeFunction = LSTATUS(WINAPI *)(HKEY, LPCWSTR);
    const HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
    const auto deleteTree = advapi ? reinterpret_cast<DeleteTreeFunction>(
                                         reinterpret_cast<void *>(GetProcAddress(advapi, "RegDeleteTreeW")))
                                   : nullptr;
    if (!deleteTree)
        throw Exception("RegDeleteTreeW not supported");
    Check(deleteTree(_key.Get(), Wide(name).c_str()), "RegistryWriter::DeleteTree", "RegDeleteTreeW");
}

void RegistryWriter::DeleteTreeIfEmpty(StringExpr name)
{
    const std::wstring wide = Wide(name);
    HKEY opened = nullptr;
    Check(RegOpenKeyExW(_key.Get(), wide.c_str(), 0, KEY_READ, &opened), "RegistryWriter::DeleteTreeIfEmpty",
          "RegOpenKeyExW");
    DWORD subKeys = 0, values = 0;
    {
        const RegistryKey sub(opened);
        Check(RegQueryInfoKeyW(sub.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr),
              "RegistryWriter::DeleteTreeIfEmpty", "RegQueryInfoKeyW");
    }
    if (subKeys == 0 && values == 0)
        Check(RegDeleteKeyW(_key.Get(), wide.c_str()), "RegistryWriter::DeleteTreeIfEmpty", "RegDeleteKeyW");
}

SharedPtr<PropertyWriter> RegistryWriter::EnterTree(StringExpr name)
{
    return SharedPtr<PropertyWriter>(new RegistryWriter(_key.Get(), name));
}

RegistryReader::RegistryReader(HKEY root, StringExpr path) : _key(Open(root, path)) {}

void RegistryReader::ReadString(StringExpr name, String *value)
{
    const std::wstring wide = Wide(name);
    DWORD type = 0, bytes = 0;
    Check(RegQueryValueExW(_key.Get(), wide.c_str(), nullptr, &type, nullptr, &bytes), "RegistryReader::ReadString",
          "RegQueryValueExW");
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw SystemErrorException("RegistryReader::ReadString", "RegQueryValueExW", ERROR_INVALID_DATATYPE);
    if (bytes > kMaximumStringBytes)
        throw SystemErrorException("RegistryReader::ReadString", "RegQueryValueExW", ERROR_MORE_DATA);
    // Room for a terminator the stored value may lack.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = bytes;
    Check(RegQueryValueExW(_key.Get(), wide.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &size),
          "RegistryReader::ReadString", "RegQueryValueExW");
    std::size_t length = std::min<std::size_t>(size / sizeof(wchar_t), buffer.size() - 1);
    while (length > 0 && buffer[length - 1] == L'\0')
        --length;
    *value = String(StringExpr(Win32::ToU16(buffer.data(), length)));
}

void RegistryReader::ReadUInt32(StringExpr name, UInt32 *value)
{
    DWORD type = 0, dword = 0, bytes = sizeof dword;
    Check(RegQueryValueExW(_key.Get(), Wide(name).c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&dword), &bytes),
          "RegistryReader::ReadUInt32", "RegQueryValueExW");
    if (type != REG_DWORD || bytes != sizeof dword)
        throw SystemErrorException("RegistryReader::ReadUInt32", "RegQueryValueExW", ERROR_INVALID_DATATYPE);
    *value = dword;
}

std::uint64_t RegistryReader::GetKeyCount() { throw Exception("GetKeyCount: not implemented"); }

String RegistryReader::GetKey(std::uint64_t) { throw Exception("GetKey: not implemented"); }

SharedPtr<PropertyReader> RegistryReader::EnterTree(StringExpr name)
{
    return SharedPtr<PropertyReader>(new RegistryReader(_key.Get(), name));
}

} // namespace Brintavolex
