#pragma once

// The image file directories of a TIFF structure (classic or BigTIFF, either
// byte order) on any stream: whole TIFF files, and the Exif segment of JPEG
// files over a MemoryStream. Offsets count from stream position 0.
#include "Data/api/Property.h"
#include "Platform/api/Stream.h"
#include "Root/api/SharedPtr.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Brintavolex::TIF {

enum class FieldType : std::uint16_t {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    Rational = 5,
    SByte = 6,
    Undefined = 7,
    SShort = 8,
    SLong = 9,
    SRational = 10,
    Float = 11,
    Double = 12,
    Ifd = 13,
    Long8 = 16,
    SLong8 = 17,
    Ifd8 = 18,
};

// Bytes of one value of a field type; 0 for a type this reader does not know.
unsigned FieldTypeSize(std::uint16_t type) noexcept;
// "BYTE", "ASCII", ...; nullptr for an unknown type.
const char *FieldTypeName(std::uint16_t type) noexcept;

// One named value of an enumerated tag.
struct ValueName {
    std::uint64_t value;
    const char *name;
    const char *description;
};

// What a published format definition says of one tag. types is a mask of
// the field types it may have (bit 1 << FieldType); count 0 means any.
struct TagInfo {
    std::uint16_t tag;
    const char *name;
    const char *description;
    std::uint32_t types;
    std::uint32_t count;
    const ValueName *values = nullptr;
    std::size_t valueCount = 0;

    // The name of value v, or nullptr.
    const ValueName *FindValue(std::uint64_t v) const noexcept;
};

// A table of tags. A table may fall back to another one for the tags it does
// not hold (the Exif table to the TIFF table, since an Exif segment's first
// directory holds TIFF tags).
struct TagTable {
    const char *name;
    const TagInfo *tags;
    std::size_t count;
    const TagTable *fallback = nullptr;

    // The tag's entry here or in the fallback, or nullptr.
    const TagInfo *Find(std::uint16_t tag) const noexcept;
};

extern const TagTable ExtendedIFDSpecification; // "TIFF": TIFF 6.0 and its extensions
namespace Exif22 {
extern const TagTable IFDSpecification;         // "Exif": the Exif IFD's tags
}
extern const TagTable GPSSpecification;         // "GPS"
extern const TagTable InteroperabilitySpecification; // "Interoperability"

// A table by its name ("TIFF", "Exif", "GPS", "Interoperability"), or nullptr.
const TagTable *SpecificationFromName(std::string_view name) noexcept;

// Tags that point to sub-directories, and the table each is read with.
constexpr std::uint16_t kExifIFDPointer = 34665;
constexpr std::uint16_t kGPSInfoIFDPointer = 34853;
constexpr std::uint16_t kInteroperabilityIFDPointer = 40965;

// One directory entry with its values in machine byte order (a rational is
// two 32-bit halves, numerator first). An entry this reader refused is not
// kept; its reason is among the directory's problems.
struct Field {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint64_t count = 0;
    std::vector<std::uint8_t> data;
};

class ImageFileDirectory {
public:
    ImageFileDirectory(std::uint64_t offset, const TagTable &tags) noexcept
        : _offset(offset), _tags(&tags) {}

    std::uint64_t Offset() const noexcept { return _offset; }
    const TagTable &Tags() const noexcept { return *_tags; }
    // In the order of the file.
    const std::vector<Field> &Fields() const noexcept { return _fields; }
    const Field *Find(std::uint16_t tag) const noexcept;
    bool Has(std::uint16_t tag) const noexcept { return Find(tag) != nullptr; }

    // The values of a tag; empty when the tag is absent or of another kind.
    // Unsigned: BYTE, SHORT, LONG, LONG8, IFD, IFD8. Signed: those and
    // SBYTE, SSHORT, SLONG, SLONG8 (unsigned values above the signed range
    // give an empty vector). Doubles: every numeric type, rationals divided
    // out. Text: ASCII without its terminating zero; Bytes: the raw values of
    // any type (machine order).
    std::vector<std::uint64_t> Unsigned(std::uint16_t tag) const;
    std::vector<std::int64_t> Signed(std::uint16_t tag) const;
    std::vector<double> Doubles(std::uint16_t tag) const;
    std::string Text(std::uint16_t tag) const;
    std::vector<std::uint8_t> Bytes(std::uint16_t tag) const;

    // The sub-directory read under a pointer tag, or nullptr.
    SharedPtr<ImageFileDirectory> Child(std::uint16_t pointerTag) const;
    const std::vector<std::pair<std::uint16_t, SharedPtr<ImageFileDirectory>>> &Children() const noexcept
    {
        return _children;
    }
    // Entries and sub-directories refused, one message each.
    const std::vector<std::string> &Problems() const noexcept { return _problems; }

    // Every field under its tag name (or number), enumerated values with a
    // child "Meaning", sub-directories as children of their pointer tags,
    // and "Problems" when there were any.
    SharedPtr<IProperty> GetProperty() const;

private:
    friend class DirectoryReader;
    std::uint64_t _offset;
    const TagTable *_tags;
    std::vector<Field> _fields;
    std::vector<std::pair<std::uint16_t, SharedPtr<ImageFileDirectory>>> _children;
    std::vector<std::string> _problems;
};

enum class ByteOrder { LittleEndian, BigEndian };

struct TiffStructure {
    ByteOrder byteOrder = ByteOrder::LittleEndian;
    std::uint16_t version = 0;        // 42 classic, 43 BigTIFF
    std::uint16_t offsetSize = 4;     // 8 for BigTIFF
    std::uint16_t reserved = 0;       // BigTIFF only
    std::uint64_t firstIFDOffset = 0;
    std::vector<SharedPtr<ImageFileDirectory>> ifds; // the chain, in file order
    std::vector<std::string> problems;                // why the chain ended early
    SharedPtr<IProperty> header; // "Byte Order", "Version", "Big Tiff", "Offset Size", "Reserved", "IFD Pointer"

    bool IsBigTiff() const noexcept { return version == 43; }
    // "Header", then "IFD 0", "IFD 1", ...
    SharedPtr<IProperty> GetProperty() const;
};

// Reads the header and the IFD chain from stream position 0, each chain
// directory with the given tag table, Exif, GPS and Interoperability sub-directories with
// their own tables. Throws Exception for a header that is no TIFF header
// and for a first directory that cannot be read; a later directory that
// cannot be read ends the chain (see problems). Never allocates much more
// than the stream holds.
TiffStructure ReadTiffStructure(IStream &stream, const TagTable &tags);

} // namespace Brintavolex::TIF
