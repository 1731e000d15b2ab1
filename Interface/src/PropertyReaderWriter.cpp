#include "Interface/api/PropertyReaderWriter.h"

#include "Interface/api/ValueText.h"

#include <limits>
#include <stdexcept>

namespace Brintavolex {

namespace {
SInt32 Deeper(SInt32 depth)
{
    if (depth == std::numeric_limits<SInt32>::max())
        throw std::length_error("EnterTree: too deep");
    return depth + 1;
}
} // namespace

IReaderFromPropertyReader::IReaderFromPropertyReader(SharedPtr<PropertyReader> backEnd, SInt32 depth)
    : _depth(depth), _backEnd(std::move(backEnd))
{
    if (!_backEnd)
        throw std::invalid_argument("IReaderFromPropertyReader::IReaderFromPropertyReader: nullptr");
}

template <class T> void IReaderFromPropertyReader::Read(T *value, StringExpr name)
{
    String text;
    _backEnd->ReadString(name, &text);
    *value = ValueFromString<T>(text);
}

// 8-bit integers have no text form: refused before the back end is asked.
void IReaderFromPropertyReader::ReadUInt8(UInt8 *value, StringExpr)
{
    *value = ValueFromString<UInt8>("");
}
void IReaderFromPropertyReader::ReadSInt8(SInt8 *value, StringExpr)
{
    *value = ValueFromString<SInt8>("");
}
void IReaderFromPropertyReader::ReadUInt16(UInt16 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadUInt32(UInt32 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadUInt64(UInt64 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadSInt16(SInt16 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadSInt32(SInt32 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadSInt64(SInt64 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadFloat32(Float32 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadFloat64(Float64 *value, StringExpr name)
{
    Read(value, name);
}
void IReaderFromPropertyReader::ReadString(String *value, StringExpr name)
{
    _backEnd->ReadString(name, value);
}

SharedPtr<IReader> IReaderFromPropertyReader::EnterTree(StringExpr name)
{
    if (_depth == 0)
        return MakeShared<IReaderFromPropertyReader>(_backEnd, 1);
    return MakeShared<IReaderFromPropertyReader>(_backEnd->EnterTree(name), Deeper(_depth));
}

std::uint64_t IReaderFromPropertyReader::GetKeyCount()
{
    return _backEnd->GetKeyCount();
}
String IReaderFromPropertyReader::GetKey(std::uint64_t index)
{
    return _backEnd->GetKey(index);
}

IWriterFromPropertyWriter::IWriterFromPropertyWriter(SharedPtr<PropertyWriter> backEnd, SInt32 depth)
    : _depth(depth), _backEnd(std::move(backEnd))
{
    if (!_backEnd)
        throw std::invalid_argument("IWriterFromPropertyWriter::IWriterFromPropertyWriter: nullptr");
}

template <class T> void IWriterFromPropertyWriter::Write(const T *value, StringExpr name)
{
    _backEnd->WriteString(name, StringFromValue<T>(*value));
}

void IWriterFromPropertyWriter::WriteUInt8(const UInt8 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteSInt8(const SInt8 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteUInt16(const UInt16 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteUInt32(const UInt32 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteUInt64(const UInt64 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteSInt16(const SInt16 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteSInt32(const SInt32 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteSInt64(const SInt64 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteFloat32(const Float32 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteFloat64(const Float64 *value, StringExpr name)
{
    Write(value, name);
}
void IWriterFromPropertyWriter::WriteString(const String *value, StringExpr name)
{
    _backEnd->WriteString(name, *value);
}

SharedPtr<IWriter> IWriterFromPropertyWriter::EnterTree(StringExpr name)
{
    if (_depth == 0)
        return MakeShared<IWriterFromPropertyWriter>(_backEnd, 1);
    return MakeShared<IWriterFromPropertyWriter>(_backEnd->EnterTree(name), Deeper(_depth));
}

} // namespace Brintavolex
