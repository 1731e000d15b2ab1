#include "BMP/src/BMPHeaders.h"

#include "Platform/api/DecodeLimit.h"
#include "Root/api/Exception.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <string>

namespace Brintavolex::BMP {

namespace {

struct FieldSpec {
    const char *name;
    std::uint8_t bits;
    bool isSigned;
};

[[noreturn]] void Fail(const char *reason) { throw Exception(String("BMPDecoder: ") + reason); }

// Reads the fields that fit completely into the first `available` bytes of
// a header block; the rest stay absent.
std::vector<HeaderField> ReadFields(LockStream<LittleEndian> &block, const FieldSpec *specs, std::size_t count,
                                    std::uint64_t available)
{
    std::vector<HeaderField> fields;
    std::uint64_t offset = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t bytes = specs[i].bits / 8;
        if (offset + bytes > available)
            break;
        std::int64_t value = bytes == 2 ? std::int64_t(block.UInt16()) : std::int64_t(block.UInt32());
        if (specs[i].isSigned)
            value = bytes == 2 ? std::int64_t(std::int16_t(value)) : std::int64_t(std::int32_t(value));
        fields.push_back(HeaderField{specs[i].name, specs[i].bits, specs[i].isSigned, value, {}, nullptr});
        offset += bytes;
    }
    return fields;
}

std::int64_t Value(const std::vector<HeaderField> &fields, std::size_t index)
{
    return index < fields.size() ? fields[index].value : 0;
}

constexpr FieldSpec kFileHeader[] = {
    {"usType", 16, false}, {"cbSize", 32, false}, {"xHotspot", 16, false}, {"yHotspot", 16, false},
    {"offBits", 32, false},
};

constexpr FieldSpec kCoreHeader[] = {
    {"cbFix", 32, false}, {"cx", 16, false}, {"cy", 16, false}, {"cPlanes", 16, false}, {"cBitCount", 16, false},
};

constexpr FieldSpec kOS2Header[] = {
    {"cbFix", 32, false},        {"cx", 32, true},           {"cy", 32, true},
    {"cPlanes", 16, false},      {"cBitCount", 16, false},   {"ulCompression", 32, false},
    {"cbImage", 32, false},      {"cxResolution", 32, true}, {"cyResolution", 32, true},
    {"cclrUsed", 32, false},     {"cclrImportant", 32, false}, {"usUnits", 16, false},
    {"usReserved", 16, false},   {"usRecording", 16, false}, {"usRendering", 16, false},
    {"cSize1", 32, false},       {"cSize2", 32, false},      {"ulColorEncoding", 32, false},
    {"ulIdentifier", 32, false},
};

// The Windows headers share one field order; only the prefix changes.
constexpr const char *kWindowsFieldNames[] = {"Size",         "Width",         "Height",    "Planes",
                                              "BitCount",     "Compression",   "SizeImage", "XPelsPerMeter",
                                              "YPelsPerMeter", "ClrUsed",      "ClrImportant", "RedMask",
                                              "GreenMask",    "BlueMask",      "AlphaMask", "CSType"};
constexpr std::uint8_t kWindowsFieldBits[] = {32, 32, 32, 16, 16, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32};
constexpr bool kWindowsFieldSigned[] = {false, true, true, false, false, false, false, true,
                                        true,  false, false, false, false, false, false, false};

// Names live as long as the program: they are built once per prefix.
const char *FieldName(const char *prefix, const char *name)
{
    static std::vector<std::string> *names = new std::vector<std::string>();
    static std::mutex *mutex = new std::mutex();
    std::lock_guard<std::mutex> guard(*mutex);
    const std::string full = std::string(prefix) + name;
    for (const std::string &known : *names)
        if (known == full)
            return known.c_str();
    names->reserve(64);
    names->push_back(full);
    return names->back().c_str();
}

std::vector<HeaderField> ReadWindowsHeader(LockStream<LittleEndian> &block, std::uint32_t size, const char *prefix)
{
    const std::size_t count = size == kInfoHeaderSize     ? 11
                              : size == kV2InfoHeaderSize ? 14
                              : size == kV3InfoHeaderSize ? 15
                                                          : 16;
    std::vector<HeaderField> fields;
    for (std::size_t i = 0; i < count; ++i) {
        const bool wide = kWindowsFieldBits[i] == 32;
        std::int64_t value = wide ? std::int64_t(block.UInt32()) : std::int64_t(block.UInt16());
        if (kWindowsFieldSigned[i])
            value = wide ? std::int64_t(std::int32_t(value)) : std::int64_t(std::int16_t(value));
        fields.push_back(
            HeaderField{FieldName(prefix, kWindowsFieldNames[i]), kWindowsFieldBits[i], kWindowsFieldSigned[i], value, {}, nullptr});
    }
    if (size >= kV4HeaderSize) {
        // CIEXYZTRIPLE of three CIEXYZ (2.30 fixed point), then the gammas.
        HeaderField endpoints{FieldName(prefix, "Endpoints"), 32, false, 0, {}, "CIEXYZTRIPLE"};
        for (const char *colour : {"ciexyzRed", "ciexyzGreen", "ciexyzBlue"}) {
            HeaderField xyz{colour, 32, false, 0, {}, "CIEXYZ"};
            for (const char *axis : {"ciexyzX", "ciexyzY", "ciexyzZ"})
                xyz.children.push_back(HeaderField{axis, 32, true, std::int32_t(block.UInt32()), {}, nullptr});
            endpoints.children.push_back(xyz);
        }
        fields.push_back(endpoints);
        for (const char *gamma : {"GammaRed", "GammaGreen", "GammaBlue"})
            fields.push_back(HeaderField{FieldName(prefix, gamma), 32, false, std::int64_t(block.UInt32()), {}, nullptr});
    }
    if (size >= kV5HeaderSize)
        for (const char *name : {"Intent", "ProfileData", "ProfileSize", "Reserved"})
            fields.push_back(HeaderField{FieldName(prefix, name), 32, false, std::int64_t(block.UInt32()), {}, nullptr});
    return fields;
}

// The OS/2 2.x and the Windows info headers share the order of their first
// eleven fields.
void TakeInfoFields(Layout &layout, const std::vector<HeaderField> &fields)
{
    layout.widthField = Value(fields, 1);
    layout.heightField = Value(fields, 2);
    layout.bitCount = std::uint16_t(Value(fields, 4));
    layout.compression = Compression(std::uint32_t(Value(fields, 5)));
    layout.imageSize = std::uint32_t(Value(fields, 6));
    layout.xPixelsPerMetre = double(Value(fields, 7));
    layout.yPixelsPerMetre = double(Value(fields, 8));
    layout.colorsUsed = std::uint32_t(Value(fields, 9));
}

} // namespace

Layout ReadLayout(IStream &stream)
{
    Layout layout;
    const std::uint64_t size = stream.size();
    if (size < 16)
        Fail("the file is too short");
    stream.seek(0);
    std::uint8_t signature[2];
    stream.read(signature, 2);
    stream.seek(0);
    std::uint64_t headerStart = 0;
    if (signature[0] == kSignature[0] && signature[1] == kSignature[1]) {
        LockStream<LittleEndian> block(stream, kFileHeaderSize);
        HeaderRecord record{"BITMAPFILEHEADER", ReadFields(block, kFileHeader, 5, kFileHeaderSize)};
        layout.hasFileHeader = true;
        layout.dataOffset = std::uint32_t(Value(record.fields, 4));
        layout.headers.push_back(std::move(record));
        headerStart = kFileHeaderSize;
    }
    stream.seek(headerStart);
    std::uint8_t sizeBytes[4];
    stream.read(sizeBytes, 4);
    const std::uint32_t headerSize =
        std::uint32_t(sizeBytes[0]) | sizeBytes[1] << 8 | sizeBytes[2] << 16 | std::uint32_t(sizeBytes[3]) << 24;
    layout.headerSize = headerSize;
    stream.seek(headerStart);

    std::uint64_t maskBytes = 0;
    if (headerSize == kCoreHeaderSize) {
        LockStream<LittleEndian> block(stream, kCoreHeaderSize);
        HeaderRecord record{"BITMAPINFOHEADER", ReadFields(block, kCoreHeader, 5, kCoreHeaderSize)};
        layout.os2Core = true;
        layout.widthField = Value(record.fields, 1);
        layout.heightField = Value(record.fields, 2);
        layout.bitCount = std::uint16_t(Value(record.fields, 4));
        layout.headers.push_back(std::move(record));
    } else if (IsOS2InfoHeaderSize(headerSize)) {
        LockStream<LittleEndian> block(stream, headerSize);
        HeaderRecord record{"BITMAPINFOHEADER2", ReadFields(block, kOS2Header, 19, headerSize)};
        TakeInfoFields(layout, record.fields);
        layout.headers.push_back(std::move(record));
    } else if (headerSize == kInfoHeaderSize || headerSize == kV2InfoHeaderSize || headerSize == kV3InfoHeaderSize ||
               headerSize == kV4HeaderSize || headerSize == kV5HeaderSize) {
        LockStream<LittleEndian> block(stream, headerSize);
        const char *name = headerSize == kInfoHeaderSize     ? "BITMAPINFOHEADER"
                           : headerSize == kV2InfoHeaderSize ? "BITMAPV2INFOHEADER"
                           : headerSize == kV3InfoHeaderSize ? "BITMAPV3INFOHEADER"
                           : headerSize == kV4HeaderSize     ? "BITMAPV4HEADER"
                                                             : "BITMAPV5HEADER";
        const char *prefix = headerSize == kV4HeaderSize ? "bV4" : headerSize == kV5HeaderSize ? "bV5" : "bi";
        HeaderRecord record{name, ReadWindowsHeader(block, headerSize, prefix)};
        TakeInfoFields(layout, record.fields);
        for (std::size_t i = 0; i < 4 && 11 + i < record.fields.size(); ++i)
            layout.masks[i] = std::uint32_t(Value(record.fields, 11 + i));
        layout.masksFromFile = headerSize > kInfoHeaderSize;
        // A plain info header with bit fields: the masks follow it.
        if (headerSize == kInfoHeaderSize && HasBitFields(layout.compression)) {
            const unsigned count = layout.compression == Compression::AlphaBitFields ? 4 : 3;
            maskBytes = 4u * count;
            LockStream<LittleEndian> masks(stream, maskBytes);
            for (unsigned i = 0; i < count; ++i) {
                layout.masks[i] = masks.UInt32();
                record.fields.push_back(
                    HeaderField{FieldName("bi", kWindowsFieldNames[11 + i]), 32, false, layout.masks[i], {}, nullptr});
            }
            layout.masksFromFile = true;
        }
        layout.headers.push_back(std::move(record));
    } else {
        Fail("invalid header size");
    }

    // Sizes are checked before any arithmetic depends on them.
    if (layout.widthField <= 0)
        Fail("invalid width");
    if (layout.heightField == 0 || layout.heightField == std::int64_t(INT32_MIN))
        Fail("invalid height");
    layout.width = std::uint32_t(layout.widthField);
    layout.topDown = layout.heightField < 0;
    layout.height = std::uint32_t(layout.topDown ? -layout.heightField : layout.heightField);

    const std::uint16_t bits = layout.bitCount;
    switch (layout.compression) {
    case Compression::RGB: break;
    case Compression::RLE8:
        if (bits != 8)
            Fail("RLE8 needs 8 bits per pixel");
        break;
    case Compression::RLE4:
        if (bits != 4)
            Fail("RLE4 needs 4 bits per pixel");
        break;
    case Compression::BitFields:
        if (bits == 1)
            throw Exception("BCA_HUFFMAN1D is not supported");
        [[fallthrough]];
    case Compression::AlphaBitFields:
        if (bits != 16 && bits != 32)
            Fail("bit fields need 16 or 32 bits per pixel");
        break;
    case Compression::JPEG: throw Exception("BI_JPEG or BCA_RLE24 is not supported");
    case Compression::PNG: throw Exception("BI_PNG is not supported");
    default: throw Exception("invalid compression");
    }
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Fail("unsupported bit count");
    if (IsRunLength(layout.compression) && layout.topDown)
        Fail("a top-down image cannot be run-length encoded");
    // Run-length data can describe any size with a few bytes: the limit,
    // not the file, bounds what a decode allocates.
    CheckDecodeLimit("BMPDecoder", layout.width, layout.height, 4);

    // The palette sits between the header (and its masks) and the pixels.
    const std::uint64_t palettePosition = headerStart + headerSize + maskBytes;
    const unsigned entryBytes = layout.os2Core ? 3 : 4;
    if (bits <= 8) {
        std::uint64_t entries = std::uint64_t(1) << bits;
        if (layout.colorsUsed != 0)
            entries = std::min<std::uint64_t>(entries, layout.colorsUsed);
        if (layout.dataOffset != 0) {
            // Room before the data, clamped at 0 for inconsistent offsets.
            const std::uint64_t used = layout.os2Core ? kFileHeaderSize + kCoreHeaderSize
                                                      : kFileHeaderSize + std::uint64_t(headerSize) + maskBytes;
            const std::uint64_t room = layout.dataOffset > used ? (layout.dataOffset - used) / entryBytes : 0;
            entries = std::min(entries, room);
        }
        const std::uint64_t held = size > palettePosition ? (size - palettePosition) / entryBytes : 0;
        entries = std::min(entries, held);
        layout.paletteEntries = std::uint32_t(entries);
        if (entries != 0) {
            stream.seek(palettePosition);
            LockStream<LittleEndian> palette(stream, entries * entryBytes);
            for (std::uint64_t i = 0; i < entries; ++i)
                palette.Bytes(layout.palette[i], entryBytes);
        }
    }

    if (layout.dataOffset != 0)
        layout.pixelPosition = layout.dataOffset;
    else if (bits > 8)
        layout.pixelPosition = palettePosition + 4ull * layout.colorsUsed;
    else
        layout.pixelPosition = palettePosition + std::uint64_t(layout.paletteEntries) * entryBytes;
    if (layout.pixelPosition > size)
        Fail("the pixel data lies beyond the end of the file");

    if (!IsRunLength(layout.compression)) {
        const std::uint64_t rowBytes = (std::uint64_t(bits) * layout.width + 31) / 32 * 4;
        const std::uint64_t lastRow = (std::uint64_t(bits) * layout.width + 7) / 8;
        // 128 bits: a caller may raise the decode limit to any size.
        if ((unsigned __int128)rowBytes * (layout.height - 1) + lastRow > size - layout.pixelPosition)
            Fail("the file is shorter than its pixel data");
    }
    return layout;
}

} // namespace Brintavolex::BMP
