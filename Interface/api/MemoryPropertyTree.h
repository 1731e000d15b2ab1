#pragma once

// A registry-like tree of keys and values in memory: the back end that stands
// in for the registry where there is none (native builds and their tests).
// Missing keys and values fail as the registry's do.

#include "Interface/api/PropertyReaderWriter.h"

#include <map>
#include <variant>

namespace Brintavolex {

struct MemoryPropertyKey {
    std::map<std::u16string, std::variant<String, UInt32>> values;
    std::map<std::u16string, SharedPtr<MemoryPropertyKey>> keys;
};

class MemoryPropertyWriter : public PropertyWriter
{
public:
    explicit MemoryPropertyWriter(SharedPtr<MemoryPropertyKey> key) : _key(std::move(key)) {}

    void WriteString(StringExpr name, const String &value) override;
    void WriteUInt32(StringExpr name, UInt32 value) override;
    void DeleteValue(StringExpr name) override;
    void DeleteTree(StringExpr name) override;
    void DeleteTreeIfEmpty(StringExpr name) override;
    // Creates the sub-key when missing.
    SharedPtr<PropertyWriter> EnterTree(StringExpr name) override;

private:
    SharedPtr<MemoryPropertyKey> _key;
};

class MemoryPropertyReader : public PropertyReader
{
public:
    explicit MemoryPropertyReader(SharedPtr<MemoryPropertyKey> key) : _key(std::move(key)) {}

    // A missing value or one of the other type throws Exception.
    void ReadString(StringExpr name, String *value) override;
    void ReadUInt32(StringExpr name, UInt32 *value) override;
    std::uint64_t GetKeyCount() override { return _key->keys.size(); }
    String GetKey(std::uint64_t index) override;
    // A missing sub-key throws Exception.
    SharedPtr<PropertyReader> EnterTree(StringExpr name) override;

private:
    SharedPtr<MemoryPropertyKey> _key;
};

} // namespace Brintavolex
