#pragma once

#include "Interface/api/ReaderWriter.h"
#include "Root/api/String.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>

namespace Brintavolex {

// The string-valued back ends of IReader and IWriter (the RML file, the
// registry).
class PropertyReader
{
public:
    virtual ~PropertyReader() = default;
    // An absent value reads as the empty text.
    virtual void ReadString(StringExpr name, String *value) = 0;
    virtual void ReadUInt32(StringExpr name, UInt32 *value) = 0;
    virtual std::uint64_t GetKeyCount() = 0;
    virtual String GetKey(std::uint64_t index) = 0;
    virtual SharedPtr<PropertyReader> EnterTree(StringExpr name) = 0;
};

class PropertyWriter
{
public:
    virtual ~PropertyWriter() = default;
    virtual void WriteString(StringExpr name, const String &value) = 0;
    virtual void WriteUInt32(StringExpr name, UInt32 value) = 0;
    virtual void DeleteValue(StringExpr name) = 0;
    virtual void DeleteTree(StringExpr name) = 0;
    virtual void DeleteTreeIfEmpty(StringExpr name) = 0;
    virtual SharedPtr<PropertyWriter> EnterTree(StringExpr name) = 0;
};

// IReader over a back end: typed values travel as their text
// (ValueFromString). The adapter of depth 0 stands for the root: entering a
// tree from it stays at the back end's root, so the outermost object's own
// name is never stored.
class IReaderFromPropertyReader : public IReader
{
public:
    explicit IReaderFromPropertyReader(SharedPtr<PropertyReader> backEnd, SInt32 depth = 0);

    void ReadUInt8(UInt8 *value, StringExpr name) override;
    void ReadUInt16(UInt16 *value, StringExpr name) override;
    void ReadUInt32(UInt32 *value, StringExpr name) override;
    void ReadUInt64(UInt64 *value, StringExpr name) override;
    void ReadSInt8(SInt8 *value, StringExpr name) override;
    void ReadSInt16(SInt16 *value, StringExpr name) override;
    void ReadSInt32(SInt32 *value, StringExpr name) override;
    void ReadSInt64(SInt64 *value, StringExpr name) override;
    void ReadFloat32(Float32 *value, StringExpr name) override;
    void ReadFloat64(Float64 *value, StringExpr name) override;
    void ReadString(String *value, StringExpr name) override;
    SharedPtr<IReader> EnterTree(StringExpr name) override;
    std::uint64_t GetKeyCount() override;
    String GetKey(std::uint64_t index) override;

private:
    template <class T> void Read(T *value, StringExpr name);
    SInt32 _depth;
    SharedPtr<PropertyReader> _backEnd;
};

class IWriterFromPropertyWriter : public IWriter
{
public:
    explicit IWriterFromPropertyWriter(SharedPtr<PropertyWriter> backEnd, SInt32 depth = 0);

    void WriteUInt8(const UInt8 *value, StringExpr name) override;
    void WriteUInt16(const UInt16 *value, StringExpr name) override;
    void WriteUInt32(const UInt32 *value, StringExpr name) override;
    void WriteUInt64(const UInt64 *value, StringExpr name) override;
    void WriteSInt8(const SInt8 *value, StringExpr name) override;
    void WriteSInt16(const SInt16 *value, StringExpr name) override;
    void WriteSInt32(const SInt32 *value, StringExpr name) override;
    void WriteSInt64(const SInt64 *value, StringExpr name) override;
    void WriteFloat32(const Float32 *value, StringExpr name) override;
    void WriteFloat64(const Float64 *value, StringExpr name) override;
    void WriteString(const String *value, StringExpr name) override;
    SharedPtr<IWriter> EnterTree(StringExpr name) override;

private:
    template <class T> void Write(const T *value, StringExpr name);
    SInt32 _depth;
    SharedPtr<PropertyWriter> _backEnd;
};

} // namespace Brintavolex
