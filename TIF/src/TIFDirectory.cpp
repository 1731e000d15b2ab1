#include "TIF/api/TIFDirectory.h"
#include "TIF/src/TIFComposites.h"
#include "TIF/src/TIFFormat.h"

#include "Root/api/Exception.h"

#include <cstring>
#include <limits>
#include <set>

namespace Brintavolex::TIF {

unsigned FieldTypeSize(std::uint16_t type) noexcept
{
    switch (FieldType(type)) {
    case FieldType::Byte: case FieldType::Ascii: case FieldType::SByte: case FieldType::Undefined:
        return 1;
    case FieldType::Short: case FieldType::SShort:
        return 2;
    case FieldType::Long: case FieldType::SLong: case FieldType::Float: case FieldType::Ifd:
        return 4;
    case FieldType::Rational: case FieldType::SRational: case FieldType::Double: case FieldType::Long8:
    case FieldType::SLong8: case FieldType::Ifd8:
        return 8;
    }
    return 0;
}

const char *FieldTypeName(std::uint16_t type) noexcept
{
    static constexpr const char *kNames[] = {nullptr,  "BYTE",   "ASCII", "SHORT",  "LONG",   "RATIONAL", "SBYTE",
                                             "UNDEFINED", "SSHORT", "SLONG", "SRATIONAL", "FLOAT", "DOUBLE", "IFD",
                                             nullptr,  nullptr,  "LONG8", "SLONG8", "IFD8"};
    return type < std::size(kNames) ? kNames[type] : nullptr;
}

const Field *ImageFileDirectory::Find(std::uint16_t tag) const noexcept
{
    for (const Field &field : _fields)
        if (field.tag == tag)
            return &field;
    return nullptr;
}

namespace {

template <class T> T ValueAt(const Field &field, std::uint64_t i)
{
    T value;
    std::memcpy(&value, field.data.data() + i * sizeof(T), sizeof(T));
    return value;
}

bool IsUnsignedInteger(std::uint16_t type)
{
    switch (FieldType(type)) {
    case FieldType::Byte: case FieldType::Short: case FieldType::Long: case FieldType::Long8: case FieldType::Ifd:
    case FieldType::Ifd8:
        return true;
    default:
        return false;
    }
}

std::uint64_t UnsignedAt(const Field &field, std::uint64_t i)
{
    switch (FieldTypeSize(field.type)) {
    case 1: return ValueAt<std::uint8_t>(field, i);
    case 2: return ValueAt<std::uint16_t>(field, i);
    case 4: return ValueAt<std::uint32_t>(field, i);
    default: return ValueAt<std::uint64_t>(field, i);
    }
}

std::int64_t SignedAt(const Field &field, std::uint64_t i)
{
    switch (FieldTypeSize(field.type)) {
    case 1: return ValueAt<std::int8_t>(field, i);
    case 2: return ValueAt<std::int16_t>(field, i);
    case 4: return ValueAt<std::int32_t>(field, i);
    default: return ValueAt<std::int64_t>(field, i);
    }
}

} // namespace

std::vector<std::uint64_t> ImageFileDirectory::Unsigned(std::uint16_t tag) const
{
    const Field *field = Find(tag);
    if (!field || !IsUnsignedInteger(field->type))
        return {};
    std::vector<std::uint64_t> values(field->count);
    for (std::uint64_t i = 0; i < field->count; ++i)
        values[i] = UnsignedAt(*field, i);
    return values;
}

std::vector<std::int64_t> ImageFileDirectory::Signed(std::uint16_t tag) const
{
    const Field *field = Find(tag);
    if (!field)
        return {};
    std::vector<std::int64_t> values(field->count);
    switch (FieldType(field->type)) {
    case FieldType::SByte: case FieldType::SShort: case FieldType::SLong: case FieldType::SLong8:
        for (std::uint64_t i = 0; i < field->count; ++i)
            values[i] = SignedAt(*field, i);
        return values;
    default:
        if (!IsUnsignedInteger(field->type))
            return {};
        for (std::uint64_t i = 0; i < field->count; ++i) {
            const std::uint64_t value = UnsignedAt(*field, i);
            if (value > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
                return {};
            values[i] = std::int64_t(value);
        }
        return values;
    }
}

std::vector<double> ImageFileDirectory::Doubles(std::uint16_t tag) const
{
    const Field *field = Find(tag);
    if (!field)
        return {};
    std::vector<double> values(field->count);
    for (std::uint64_t i = 0; i < field->count; ++i) {
        switch (FieldType(field->type)) {
        case FieldType::Rational:
            values[i] = double(ValueAt<std::uint32_t>(*field, 2 * i)) / double(ValueAt<std::uint32_t>(*field, 2 * i + 1));
            break;
        case FieldType::SRational:
            values[i] = double(ValueAt<std::int32_t>(*field, 2 * i)) / double(ValueAt<std::int32_t>(*field, 2 * i + 1));
            break;
        case FieldType::Float: values[i] = ValueAt<float>(*field, i); break;
        case FieldType::Double: values[i] = ValueAt<double>(*field, i); break;
        case FieldType::SByte: case FieldType::SShort: case FieldType::SLong: case FieldType::SLong8:
            values[i] = double(SignedAt(*field, i));
            break;
        default:
            if (!IsUnsignedInteger(field->type))
                return {};
            values[i] = double(UnsignedAt(*field, i));
        }
    }
    return values;
}

std::string ImageFileDirectory::Text(std::uint16_t tag) const
{
    const Field *field = Find(tag);
    if (!field || FieldType(field->type) != FieldType::Ascii)
        return {};
    std::string text(field->data.begin(), field->data.end());
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::vector<std::uint8_t> ImageFileDirectory::Bytes(std::uint16_t tag) const
{
    const Field *field = Find(tag);
    return field ? field->data : std::vector<std::uint8_t>();
}

SharedPtr<ImageFileDirectory> ImageFileDirectory::Child(std::uint16_t pointerTag) const
{
    for (const auto &[tag, child] : _children)
        if (tag == pointerTag)
            return child;
    return nullptr;
}

namespace {

const TagTable *SubDirectoryTags(std::uint16_t tag)
{
    switch (tag) {
    case kExifIFDPointer: return &Exif22::IFDSpecification;
    case kGPSInfoIFDPointer: return &GPSSpecification;
    case kInteroperabilityIFDPointer: return &InteroperabilitySpecification;
    default: return nullptr;
    }
}

std::string TagText(std::uint16_t tag) { return "tag " + std::to_string(tag); }
std::string At(std::uint64_t offset) { return "IFD at offset " + std::to_string(offset); }

} // namespace

// Reads directories of one structure: every count and offset is checked
// against the stream before anything is allocated, every directory offset is
// read once, and all reads together stay within a budget of the stream size.
class DirectoryReader {
public:
    DirectoryReader(IStream &stream, ByteOrder order, const DirectoryLayout &layout)
        : _stream(stream), _order(order), _layout(layout), _size(stream.size()),
          _budget(_size > (std::numeric_limits<std::uint64_t>::max() - kReadBudgetSlack) / kReadBudgetFactor
                      ? std::numeric_limits<std::uint64_t>::max()
                      : _size * kReadBudgetFactor + kReadBudgetSlack)
    {
    }

    // Throws Exception when the directory itself cannot be read; its entries
    // and sub-directories fail alone. next receives the next IFD offset.
    SharedPtr<ImageFileDirectory> Read(std::uint64_t offset, const TagTable &tags, unsigned depth,
                                       std::uint64_t &next)
    {
        if (_order == ByteOrder::LittleEndian)
            return ReadIn<LittleEndian>(offset, tags, depth, next);
        return ReadIn<BigEndian>(offset, tags, depth, next);
    }

private:
    void Charge(std::uint64_t bytes, const std::string &what)
    {
        if (bytes > _budget)
            throw Exception(what + ": directories and values add up to more than twice the size of the data");
        _budget -= bytes;
    }

    template <class Order>
    SharedPtr<ImageFileDirectory> ReadIn(std::uint64_t offset, const TagTable &tags, unsigned depth,
                                         std::uint64_t &next)
    {
        if (!_visited.insert(offset).second)
            throw Exception(At(offset) + " was read before; it is not read again");
        if (offset > _size || _layout.countSize > _size - offset)
            throw Exception(At(offset) + " lies beyond the end of the data");
        _stream.seek(offset);
        std::uint64_t count;
        {
            LockStream<Order> head(_stream, _layout.countSize);
            count = _layout.countSize == 2 ? head.UInt16() : head.UInt64();
        }
        const std::uint64_t room = _size - offset - _layout.countSize;
        if (room < _layout.offsetSize || count > (room - _layout.offsetSize) / _layout.entrySize)
            throw Exception(At(offset) + ": its " + std::to_string(count) +
                            " entries reach beyond the end of the data");
        const std::uint64_t tableBytes = count * _layout.entrySize + _layout.offsetSize;
        Charge(_layout.countSize + tableBytes, At(offset));
        LockStream<Order> table(_stream, tableBytes);

        auto ifd = MakeShared<ImageFileDirectory>(offset, tags);
        std::vector<bool> seen(std::size_t(1) << 16);
        for (std::uint64_t i = 0; i < count; ++i) {
            table.SetCursor(i * _layout.entrySize);
            try {
                ReadEntry(table, *ifd, seen);
            } catch (const Exception &e) {
                AddProblem(*ifd, e.what());
            }
        }
        table.SetCursor(count * _layout.entrySize);
        next = _layout.offsetSize == 4 ? table.UInt32() : table.UInt64();
        ReadSubDirectories(*ifd, depth);
        return ifd;
    }

    template <class Order>
    void ReadEntry(LockStream<Order> &table, ImageFileDirectory &ifd, std::vector<bool> &seen)
    {
        Field field;
        field.tag = table.UInt16();
        field.type = table.UInt16();
        field.count = _layout.offsetSize == 4 ? table.UInt32() : table.UInt64();
        const unsigned typeSize = FieldTypeSize(field.type);
        if (typeSize == 0)
            throw Exception(TagText(field.tag) + ": unknown field type " + std::to_string(field.type) + ", skipped");
        if (seen[field.tag])
            throw Exception(TagText(field.tag) + " appears again; the first is kept");
        seen[field.tag] = true;
        // The entry itself lies in the data, so inline values always pass.
        if (field.count > _size / typeSize)
            throw Exception(TagText(field.tag) + ": " + std::to_string(field.count) + " values of " +
                            std::to_string(typeSize) + " bytes are more than the data holds");
        const std::uint64_t bytes = field.count * typeSize;
        if (bytes <= _layout.offsetSize) {
            ReadValues(table, field, typeSize);
        } else {
            const std::uint64_t at = _layout.offsetSize == 4 ? table.UInt32() : table.UInt64();
            if (at > _size || bytes > _size - at)
                throw Exception(TagText(field.tag) + ": its " + std::to_string(bytes) + " bytes of values at offset " +
                                std::to_string(at) + " reach beyond the end of the data");
            Charge(bytes, TagText(field.tag));
            _stream.seek(at);
            LockStream<Order> values(_stream, bytes);
            ReadValues(values, field, typeSize);
        }
        ifd._fields.push_back(std::move(field));
    }

    // Values into machine order; a rational is two 32-bit values.
    template <class Order> static void ReadValues(LockStream<Order> &from, Field &field, unsigned typeSize)
    {
        const bool rational = FieldType(field.type) == FieldType::Rational ||
                              FieldType(field.type) == FieldType::SRational;
        const unsigned unit = rational ? 4 : typeSize;
        const std::uint64_t units = field.count * typeSize / unit;
        field.data.resize(std::size_t(units * unit));
        std::uint8_t *out = field.data.data();
        for (std::uint64_t i = 0; i < units; ++i, out += unit) {
            switch (unit) {
            case 1: *out = from.UInt8(); break;
            case 2: { const std::uint16_t v = from.UInt16(); std::memcpy(out, &v, 2); break; }
            case 4: { const std::uint32_t v = from.UInt32(); std::memcpy(out, &v, 4); break; }
            default: { const std::uint64_t v = from.UInt64(); std::memcpy(out, &v, 8); break; }
            }
        }
    }

    static void AddProblem(ImageFileDirectory &ifd, std::string problem)
    {
        if (ifd._problems.size() < kMaxProblemsPerDirectory)
            ifd._problems.push_back(std::move(problem));
        else if (ifd._problems.size() == kMaxProblemsPerDirectory)
            ifd._problems.push_back("further problems are not listed");
    }

    void ReadSubDirectories(ImageFileDirectory &ifd, unsigned depth)
    {
        for (std::size_t i = 0; i < ifd._fields.size(); ++i) {
            const std::uint16_t tag = ifd._fields[i].tag;
            const TagTable *childTags = SubDirectoryTags(tag);
            if (!childTags)
                continue;
            const std::vector<std::uint64_t> offsets = ifd.Unsigned(tag);
            if (offsets.size() != 1) {
                AddProblem(ifd, TagText(tag) + ": a sub-directory pointer must be one unsigned offset");
                continue;
            }
            if (depth + 1 > kMaxSubDirectoryDepth) {
                AddProblem(ifd, TagText(tag) + ": sub-directories nested more than " +
                                        std::to_string(kMaxSubDirectoryDepth) + " deep are cut");
                continue;
            }
            try {
                std::uint64_t ignored = 0;
                ifd._children.emplace_back(tag, Read(offsets[0], *childTags, depth + 1, ignored));
            } catch (const Exception &e) {
                AddProblem(ifd, TagText(tag) + ": " + e.what());
            }
        }
    }

    IStream &_stream;
    ByteOrder _order;
    DirectoryLayout _layout;
    std::uint64_t _size;
    std::uint64_t _budget;
    std::set<std::uint64_t> _visited;
};

namespace {

template <class Order> void ReadHeaderFields(IStream &stream, TiffStructure &tiff)
{
    const std::uint64_t size = stream.size();
    if (size < kClassicHeaderSize)
        throw Exception("the TIFF header is cut short");
    stream.seek(2);
    LockStream<Order> head(stream, kClassicHeaderSize - 2);
    tiff.version = head.UInt16();
    if (tiff.version == kClassicVersion) {
        tiff.offsetSize = 4;
        tiff.firstIFDOffset = head.UInt32();
        return;
    }
    if (tiff.version != kBigTiffVersion)
        throw Exception("unknown tiff version");
    if (size < kBigTiffHeaderSize)
        throw Exception("the TIFF header is cut short");
    tiff.offsetSize = head.UInt16();
    tiff.reserved = head.UInt16();
    if (tiff.offsetSize != kBigTiffOffsetSize)
        throw Exception("BigTIFF: size of offsets must be 8");
    if (tiff.reserved != 0)
        throw Exception("BigTIFF: reserved value must be 0");
    LockStream<Order> offset(stream, 8);
    tiff.firstIFDOffset = offset.UInt64();
}

} // namespace

TiffStructure ReadTiffStructure(IStream &stream, const TagTable &tags)
{
    TiffStructure tiff;
    std::uint8_t mark[2] = {};
    if (stream.size() < sizeof mark)
        throw Exception("invalid byte order");
    stream.seek(0);
    stream.read(mark, sizeof mark);
    if (std::memcmp(mark, kLittleEndianMark, 2) == 0)
        tiff.byteOrder = ByteOrder::LittleEndian;
    else if (std::memcmp(mark, kBigEndianMark, 2) == 0)
        tiff.byteOrder = ByteOrder::BigEndian;
    else
        throw Exception("invalid byte order");
    if (tiff.byteOrder == ByteOrder::LittleEndian)
        ReadHeaderFields<LittleEndian>(stream, tiff);
    else
        ReadHeaderFields<BigEndian>(stream, tiff);
    tiff.header = HeaderComposite(tiff);

    DirectoryReader reader(stream, tiff.byteOrder, tiff.IsBigTiff() ? kBigTiffLayout : kClassicLayout);
    for (std::uint64_t offset = tiff.firstIFDOffset; offset != 0;) {
        std::uint64_t next = 0;
        try {
            tiff.ifds.push_back(reader.Read(offset, tags, 0, next));
        } catch (const Exception &e) {
            if (tiff.ifds.empty())
                throw;
            tiff.problems.push_back(e.what());
            break;
        }
        offset = next;
    }
    if (tiff.ifds.empty())
        throw Exception("the TIFF structure holds no image file directory");
    return tiff;
}

} // namespace Brintavolex::TIF
