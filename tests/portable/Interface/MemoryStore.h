#pragma once

#include "Interface/api/ReaderWriter.h"
#include "Interface/api/ValueText.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Brintavolex::TestSupport {

// Named texts in memory, keyed by "sub/key/name", with the order of writes;
// the typed operations convert as the real back ends do.
struct MemoryStore {
    std::map<std::string, String> values;
    std::vector<std::string> order;
};

class MemoryReader : public IReader
{
public:
    MemoryReader(std::shared_ptr<MemoryStore> store, std::string prefix = "")
        : _store(std::move(store)), _prefix(std::move(prefix))
    {
    }
    void ReadUInt8(UInt8 *v, StringExpr n) override { *v = ValueFromString<UInt8>(Text(n)); }
    void ReadUInt16(UInt16 *v, StringExpr n) override { *v = ValueFromString<UInt16>(Text(n)); }
    void ReadUInt32(UInt32 *v, StringExpr n) override { *v = ValueFromString<UInt32>(Text(n)); }
    void ReadUInt64(UInt64 *v, StringExpr n) override { *v = ValueFromString<UInt64>(Text(n)); }
    void ReadSInt8(SInt8 *v, StringExpr n) override { *v = ValueFromString<SInt8>(Text(n)); }
    void ReadSInt16(SInt16 *v, StringExpr n) override { *v = ValueFromString<SInt16>(Text(n)); }
    void ReadSInt32(SInt32 *v, StringExpr n) override { *v = ValueFromString<SInt32>(Text(n)); }
    void ReadSInt64(SInt64 *v, StringExpr n) override { *v = ValueFromString<SInt64>(Text(n)); }
    void ReadFloat32(Float32 *v, StringExpr n) override { *v = ValueFromString<Float32>(Text(n)); }
    void ReadFloat64(Float64 *v, StringExpr n) override { *v = ValueFromString<Float64>(Text(n)); }
    void ReadString(String *v, StringExpr n) override { *v = Text(n); }
    SharedPtr<IReader> EnterTree(StringExpr n) override
    {
        return MakeShared<MemoryReader>(_store, _prefix + String(n).ToStdString() + "/");
    }
    std::uint64_t GetKeyCount() override { return 0; }
    String GetKey(std::uint64_t) override { return String(); }

private:
    String Text(StringExpr name) const
    {
        const auto found = _store->values.find(_prefix + String(name).ToStdString());
        return found == _store->values.end() ? String() : found->second;
    }
    std::shared_ptr<MemoryStore> _store;
    std::string _prefix;
};

class MemoryWriter : public IWriter
{
public:
    MemoryWriter(std::shared_ptr<MemoryStore> store, std::string prefix = "")
        : _store(std::move(store)), _prefix(std::move(prefix))
    {
    }
    void WriteUInt8(const UInt8 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteUInt16(const UInt16 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteUInt32(const UInt32 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteUInt64(const UInt64 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteSInt8(const SInt8 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteSInt16(const SInt16 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteSInt32(const SInt32 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteSInt64(const SInt64 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteFloat32(const Float32 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteFloat64(const Float64 *v, StringExpr n) override { Put(n, StringFromValue(*v)); }
    void WriteString(const String *v, StringExpr n) override { Put(n, *v); }
    SharedPtr<IWriter> EnterTree(StringExpr n) override
    {
        return MakeShared<MemoryWriter>(_store, _prefix + String(n).ToStdString() + "/");
    }

private:
    void Put(StringExpr name, const String &text)
    {
        const std::string key = _prefix + String(name).ToStdString();
        _store->values[key] = text;
        _store->order.push_back(key);
    }
    std::shared_ptr<MemoryStore> _store;
    std::string _prefix;
};

} // namespace Brintavolex::TestSupport
