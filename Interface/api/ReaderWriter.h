#pragma once

#include "Data/api/ValueTypes.h"
#include "Root/api/String.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>

namespace Brintavolex {

// Typed reading of named values below one key. 8-bit integers have no text
// form and are refused with Exception.
class IReader
{
public:
    virtual ~IReader() = default;
    virtual void ReadUInt8(UInt8 *value, StringExpr name) = 0;
    virtual void ReadUInt16(UInt16 *value, StringExpr name) = 0;
    virtual void ReadUInt32(UInt32 *value, StringExpr name) = 0;
    virtual void ReadUInt64(UInt64 *value, StringExpr name) = 0;
    virtual void ReadSInt8(SInt8 *value, StringExpr name) = 0;
    virtual void ReadSInt16(SInt16 *value, StringExpr name) = 0;
    virtual void ReadSInt32(SInt32 *value, StringExpr name) = 0;
    virtual void ReadSInt64(SInt64 *value, StringExpr name) = 0;
    virtual void ReadFloat32(Float32 *value, StringExpr name) = 0;
    virtual void ReadFloat64(Float64 *value, StringExpr name) = 0;
    virtual void ReadString(String *value, StringExpr name) = 0;
    // A reader for the sub-key name.
    virtual SharedPtr<IReader> EnterTree(StringExpr name) = 0;
    // The sub-keys directly below this reader.
    virtual std::uint64_t GetKeyCount() = 0;
    virtual String GetKey(std::uint64_t index) = 0;
};

// Typed writing of named values below one key.
class IWriter
{
public:
    virtual ~IWriter() = default;
    virtual void WriteUInt8(const UInt8 *value, StringExpr name) = 0;
    virtual void WriteUInt16(const UInt16 *value, StringExpr name) = 0;
    virtual void WriteUInt32(const UInt32 *value, StringExpr name) = 0;
    virtual void WriteUInt64(const UInt64 *value, StringExpr name) = 0;
    virtual void WriteSInt8(const SInt8 *value, StringExpr name) = 0;
    virtual void WriteSInt16(const SInt16 *value, StringExpr name) = 0;
    virtual void WriteSInt32(const SInt32 *value, StringExpr name) = 0;
    virtual void WriteSInt64(const SInt64 *value, StringExpr name) = 0;
    virtual void WriteFloat32(const Float32 *value, StringExpr name) = 0;
    virtual void WriteFloat64(const Float64 *value, StringExpr name) = 0;
    virtual void WriteString(const String *value, StringExpr name) = 0;
    virtual SharedPtr<IWriter> EnterTree(StringExpr name) = 0;
};

class ISerializable
{
public:
    virtual ~ISerializable() = default;
    virtual void Read(IReader &reader) = 0;
    virtual void Write(IWriter &writer) = 0;
};

} // namespace Brintavolex
