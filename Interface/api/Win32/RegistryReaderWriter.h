#pragma once

// The registry as a back end of the property reader and writer: what the
// installer writes and the window host reads. Every failing system call
// throws SystemErrorException with the operation, the function and its code.

#include "Interface/api/PropertyReaderWriter.h"

#include <windows.h>

namespace Brintavolex {

// One open key; closed with the object.
class RegistryKey
{
public:
    explicit RegistryKey(HKEY key) noexcept : _key(key) {}
    ~RegistryKey();
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;
    HKEY Get() const noexcept { return _key; }

private:
    HKEY _key;
};

class RegistryWriter : public PropertyWriter
{
public:
    // Opens the key with full access, creating it when missing.
    RegistryWriter(HKEY root, StringExpr path);

    void WriteString(StringExpr name, const String &value) override;
    void WriteUInt32(StringExpr name, UInt32 value) override;
    void DeleteValue(StringExpr name) override;
    // On systems without RegDeleteTreeW: Exception "RegDeleteTreeW not supported".
    void DeleteTree(StringExpr name) override;
    // Only a sub-key without sub-keys and values goes.
    void DeleteTreeIfEmpty(StringExpr name) override;
    SharedPtr<PropertyWriter> EnterTree(StringExpr name) override;

private:
    RegistryKey _key;
};

class RegistryReader : public PropertyReader
{
public:
    RegistryReader(HKEY root, StringExpr path);

    void ReadString(StringExpr name, String *value) override;
    void ReadUInt32(StringExpr name, UInt32 *value) override;
    // Not supported: "GetKeyCount: not implemented", "GetKey: not implemented".
    std::uint64_t GetKeyCount() override;
    String GetKey(std::uint64_t index) override;
    SharedPtr<PropertyReader> EnterTree(StringExpr name) override;

private:
    RegistryKey _key;
};

} // namespace Brintavolex
